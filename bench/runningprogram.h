#pragma once

// The window set a bench or soak run drives, and its windows and link by the names the
// program gives them.

#include <QD_client.h>
#include <Unit1.h>
#include <martyries.h>
#include <program.h>

#include <link/linkcontroller.h>

namespace qd::bench {

inline qd::windows::Program *runningProgram = nullptr;

inline TMainClient *MainClient()
{
    return runningProgram->MainClient();
}
inline TclientForm *clientForm()
{
    return runningProgram->clientForm();
}
inline TFormMartyries *FormMartyries()
{
    return runningProgram->FormMartyries();
}
inline qd::link::LinkController *controller()
{
    return runningProgram->link();
}

} // namespace qd::bench
