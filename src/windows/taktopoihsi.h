#pragma once

#include <palette/formwindow.h>

namespace qd::link {
class LinkController;
}

// The arrange window: arrow keys that use the main window's send (the link's send with the reply check), and
// "move_client" sent whenever the window closes.
class Tmoveform : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    explicit Tmoveform(qd::link::LinkController &link);
    ~Tmoveform() override;

    void SpeedButton25Click(QObject *sender);

protected:
    void FormClose() override;

private:
    qd::link::LinkController &m_link;
};
