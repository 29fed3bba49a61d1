#pragma once

#include <palette/formwindow.h>

// The modal-signature palette: 80 keys over two pictures; a tap only writes the word.
class TFormMartyries : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    TFormMartyries();
    ~TFormMartyries() override;

    void kataxorisi(QObject *koumpi);
    void ark1Click(QObject *sender);
};

extern TFormMartyries *FormMartyries;
