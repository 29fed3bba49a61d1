#pragma once

#include <palette/formwindow.h>

namespace qd::link {
class LinkController;
}

// The miscellaneous-signs palette: note indications, bar lines and reference marks.
class TFormDiafora : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    explicit TFormDiafora(qd::link::LinkController &link);
    ~TFormDiafora() override;

    void kataxorisi(QObject *koumpi);
    void en1Click(QObject *sender);

private:
    qd::link::LinkController &m_link;
};
