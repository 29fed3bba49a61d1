#pragma once

#include <palette/formwindow.h>

// The arrange window: arrow keys that use the main window's send, and "move_client"
// sent whenever the window closes.
class Tmoveform : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    Tmoveform();
    ~Tmoveform() override;

    void SpeedButton25Click(QObject *sender);

protected:
    void FormClose() override;
};

extern Tmoveform *moveform;
