#pragma once

#include <palette/formwindow.h>

class QAbstractButton;

namespace qd::palette {
class FrameStripAnimation;
}
namespace qd::link {
class LinkController;
}

// Two palette panels of one sign family on one spot; exactly one is visible.
struct PagePair
{
    QWidget *first = nullptr;
    QWidget *second = nullptr;

    // Each page's flag is flipped on its own, without reading the other page.
    void flip()
    {
        first->setVisible(first->isHidden());
        second->setVisible(second->isHidden());
    }
    void showFirst()
    {
        first->setVisible(true);
        second->setVisible(false);
    }
    void showSecond()
    {
        first->setVisible(false);
        second->setVisible(true);
    }
};

// The main palette window: seventeen sign panels in seven page pairs, the tool grid with
// the navigation buttons and the connection indicator. Its taps go to the link controller's
// send with the reply check; the indicator shows what the controller reports.
class TMainClient : public qd::palette::FormWindow
{
    Q_OBJECT
public:
    explicit TMainClient(qd::link::LinkController &link);
    ~TMainClient() override;

    // The windows the navigation buttons show; they are made after this one.
    struct Destinations
    {
        qd::palette::FormWindow *clientForm = nullptr;
        qd::palette::FormWindow *FormMartyries = nullptr;
        qd::palette::FormWindow *FormDiafora = nullptr;
        qd::palette::FormWindow *moveform = nullptr;
    };
    void setDestinations(const Destinations &destinations) { m_destinations = destinations; }

    // Sends the key's name and checks the server's reply line; failures end in a message
    // box and the caller carries on.
    void kataxorisi(QObject *koumpi);
    void sendWithReply(const QString &word);

    // The connection indicator's two transitions.
    void switchToConnected();
    void switchToSearching();
    bool indicatorConnected() const;
    qd::palette::FrameStripAnimation *searchingAnimation() const { return m_searching; }
    qd::palette::FrameStripAnimation *connectedAnimation() const { return m_connected; }

    enum Pair { Katavasi, Anavasi, Poiotitas, Ison, Gorgo, XronikiAgogi, Martyries, PairCount };
    PagePair &pair(Pair p) { return m_pairs[p]; }

    // Tap handlers of the key families, the page toggles, the tool grid and the indicator.
    void c3Click(QObject *sender);
    void ft8Click(QObject *sender);
    void o1Click(QObject *sender);
    void o5Click(QObject *sender);
    void m1Click(QObject *sender);
    void rythmiseisshowClick(QObject *sender);
    void martyriesshowClick(QObject *sender);
    void diaforashowClick(QObject *sender);
    void SpeedButton2Click(QObject *sender);
    void offClick(QObject *sender);
    void con_SpeedButtonClick(QObject *sender);

private:
    enum class Page { First, Second, Unchanged };
    void resetPages(Page gorgo, Page xronikiAgogi);

    qd::link::LinkController &m_link;
    Destinations m_destinations;
    PagePair m_pairs[PairCount];
    QAbstractButton *m_checkBox = nullptr;
    qd::palette::FrameStripAnimation *m_searching = nullptr;
    qd::palette::FrameStripAnimation *m_connected = nullptr;
};
