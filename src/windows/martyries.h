#pragma once

#include <palette/formwindow.h>

namespace qd::link {
class LinkController;
}

// The modal-signature palette: 80 keys over two pictures; a tap only writes the word.
class TFormMartyries : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    explicit TFormMartyries(qd::link::LinkController &link);
    ~TFormMartyries() override;

    void kataxorisi(QObject *koumpi);
    void ark1Click(QObject *sender);

private:
    qd::link::LinkController &m_link;
};
