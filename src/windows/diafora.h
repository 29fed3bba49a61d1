#pragma once

#include <palette/formwindow.h>

// The miscellaneous-signs palette: note indications, bar lines and reference marks.
class TFormDiafora : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    TFormDiafora();
    ~TFormDiafora() override;

    void kataxorisi(QObject *koumpi);
    void en1Click(QObject *sender);
};

extern TFormDiafora *FormDiafora;
