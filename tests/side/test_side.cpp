// The three side windows: the modal-signature and miscellaneous-signs palettes and the arrange
// window. Each key is tapped where the user would tap it and the reference peer says what
// arrived; the layout is checked against tables typed here, not against the generator's numbers.

#include <guiharness.h>
#include <support/peerprocess.h>

#include <QD_client.h>
#include <Unit1.h>
#include <diafora.h>
#include <martyries.h>
#include <taktopoihsi.h>

#include <art/signtable.h>
#include <link/lineconnection.h>
#include <palette/windowset.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>

#include <QTimer>
#include <link/linkcontroller.h>
#include <memory>

using namespace qd::test::running;

using qd::palette::FormWindow;
using qd::palette::WindowSet;
using qd::test::MessageCapture;

namespace {

QStringList range(const QString &prefix, int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out.append(prefix + QString::number(i));
    return out;
}

// One row of keys as the user sees it: left to right, with the band of panel y its keys start in,
// and the group fill colour of each tile where the tiles are coloured.
struct KeyRow
{
    QStringList keys;
    int yMin, yMax;
    QList<QRgb> fills; // one per key, or empty
};

QList<QRgb> repeat(QRgb c, int n)
{
    return QList<QRgb>(n, c);
}

constexpr QRgb kPeach = 0xF8D29C, kPink = 0xF6C1DA, kTan = 0xCDA778, kGreen = 0x4DBF84, kGrey = 0xC0C0C0,
               kBlue = 0xC2E0FC, kLilac = 0xD6ACFE, kYellow = 0xFDF010;

QList<KeyRow> martyriesRows()
{
    return {
        {range(QStringLiteral("ark"), 1, 11) + range(QStringLiteral("ark"), 44, 46), 16, 18,
         repeat(kPeach, 6) + repeat(kPink, 5) + repeat(kTan, 3)},
        {range(QStringLiteral("ark"), 12, 23) + range(QStringLiteral("ark"), 47, 48), 64, 66,
         repeat(kGreen, 4) + repeat(kGrey, 8) + repeat(kTan, 2)},
        {range(QStringLiteral("ark"), 24, 27) + range(QStringLiteral("ark"), 36, 43), 110, 116,
         repeat(kBlue, 4) + repeat(kLilac, 8)},
        {range(QStringLiteral("ark"), 28, 35), 162, 166, repeat(kYellow, 8)},
        {range(QStringLiteral("mh"), 1, 7) + range(QStringLiteral("mh"), 9, 15), 218, 218, {}},
        {range(QStringLiteral("mh"), 16, 33), 274, 274, {}},
    };
}

QList<KeyRow> diaforaRows()
{
    // The three group boxes stand side by side, so the first row of each box lies left of the next box.
    return {
        {range(QStringLiteral("en"), 1, 8) + range(QStringLiteral("dm"), 1, 6) + range(QStringLiteral("par"), 1, 4),
         32,
         34,
         {}},
        {range(QStringLiteral("en"), 9, 16) + range(QStringLiteral("dm"), 7, 16), 90, 90, {}},
    };
}

struct WindowLayout
{
    FormWindow *window;
    QString panel;
    QPointF panelPos; // in Panel1 units
    double panelScale;
    double keyHeight(const QString &name) const
    {
        if (name.startsWith(u"par"))
            return 42;
        return window == FormMartyries() ? 47 : 50;
    }
    double minWidth, maxWidth, maxOverlap;
};

WindowLayout layoutOf(const QString &window)
{
    if (window == u"FormMartyries")
        return {FormMartyries(), QStringLiteral("Panelmartyries"), QPointF(2, 44), 1.3, 23, 87, 5};
    return {FormDiafora(), QStringLiteral("Paneldiafora"), QPointF(0, 80), 1.3, 17, 49, 1};
}

// A key's rectangle in the units of its palette panel, from where the window laid it out.
QRectF panelRect(const WindowLayout &l, const QString &key)
{
    const QRectF r = l.window->controlRect(key);
    const QSizeF s = l.window->rootScale();
    const double k = l.panelScale;
    return QRectF((r.left() / s.width() - l.panelPos.x()) / k, (r.top() / s.height() - l.panelPos.y()) / k,
                  r.width() / s.width() / k, r.height() / s.height() / k);
}

QStringList keyNames(const FormWindow *w, const QString &handler)
{
    QStringList out;
    for (const auto &c : w->description().controls)
        if (c.kind == u"key" && c.handler == handler)
            out.append(c.name);
    return out;
}

// The colour most pixels of a rectangle have: the tile's fill, whatever sign is drawn on it.
QRgb dominantColour(const QImage &img, const QRect &r)
{
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[img.pixel(x, y) & 0xFFFFFF];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return best;
}

bool near(QRgb a, QRgb b, int tolerance = 14)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

int darkPixels(const QImage &img, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qGray(p) < 110 || (qRed(p) > 150 && qGreen(p) < 90)) // black or red ink
                ++n;
        }
    return n;
}

// What a failure must leave alone: indicator, discovery timer and the main window's pages.
struct Snapshot
{
    bool connected;
    bool discovery;
    QList<bool> firstPages;
    QString label;

    static Snapshot take()
    {
        Snapshot s{
            MainClient()->indicatorConnected(), controller()->discoveryRunning(), {}, clientForm()->Label1->text()};
        for (int p = 0; p < TMainClient::PairCount; ++p)
            s.firstPages.append(MainClient()->pair(TMainClient::Pair(p)).first->isVisible());
        return s;
    }
    bool operator==(const Snapshot &o) const
    {
        return connected == o.connected && discovery == o.discovery && firstPages == o.firstPages && label == o.label;
    }
};

} // namespace

class SideTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<qd::windows::Program> m_program;
    std::unique_ptr<PeerProcess> m_peer;

    // Starts a peer on loopback and connects the client to it by the settings window's toggle.
    bool connectToPeer(const QStringList &peerArgs = {})
    {
        m_peer = std::make_unique<PeerProcess>();
        if (!m_peer->start(QStringList{QStringLiteral("--no-discovery")} + peerArgs)) {
            qWarning("%s", qPrintable(m_peer->errorString()));
            return false;
        }
        clientForm()->Edit2->setText(QStringLiteral("127.0.0.1"));
        clientForm()->Edit3->setText(QString::number(m_peer->tcpPort()));
        clientForm()->CornerButton1Click(nullptr);
        qd::test::waitForConnectAttempt();
        return controller()->IdTCPClient1() && controller()->IdTCPClient1()->isOpen();
    }

    static FormWindow *windowNamed(const QString &name)
    {
        for (FormWindow *w : WindowSet::instance().windows())
            if (w->instanceName() == name)
                return w;
        return nullptr;
    }

private slots:
    void init()
    {
        m_program = qd::test::startProgram();
        QVERIFY(MainClient()->isActiveWindow());
    }
    void cleanup()
    {
        m_program.reset();
        m_peer.reset();
    }

    // ------------------------------------------------------------------ the word sets

    void wordSets_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("handler");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("modal signatures") << "FormMartyries"
                                          << "ark1Click"
                                          << range(QStringLiteral("ark"), 1, 48) + range(QStringLiteral("mh"), 1, 7) +
                                                 range(QStringLiteral("mh"), 9, 33);
        QTest::newRow("miscellaneous") << "FormDiafora"
                                       << "en1Click"
                                       << range(QStringLiteral("en"), 1, 16) + range(QStringLiteral("dm"), 1, 16) +
                                              range(QStringLiteral("par"), 1, 4);
        QTest::newRow("arrange") << "moveform"
                                 << "SpeedButton25Click"
                                 << QStringList{QStringLiteral("SpeedButton7"),  QStringLiteral("SpeedButton9"),
                                                QStringLiteral("SpeedButton10"), QStringLiteral("SpeedButton8"),
                                                QStringLiteral("SpeedButton25"), QStringLiteral("SpeedButton31")};
    }
    void wordSets()
    {
        QFETCH(QString, window);
        QFETCH(QString, handler);
        QFETCH(QStringList, expected);
        const QStringList words = keyNames(windowNamed(window), handler);
        QCOMPARE(QSet<QString>(words.begin(), words.end()).size(), words.size()); // no word twice
        QCOMPARE(QSet<QString>(words.begin(), words.end()), QSet<QString>(expected.begin(), expected.end()));
        // Every key of the window is one of these: no stray key with another handler.
        int keys = 0;
        for (const auto &c : windowNamed(window)->description().controls)
            keys += c.kind == u"key";
        QCOMPARE(keys, int(expected.size()));
        if (window != u"moveform") {
            // The sign table names the same words for the window, each with a sign to draw.
            const QStringList signs = qd::art::SignTable::instance().words(window);
            QCOMPARE(QSet<QString>(signs.begin(), signs.end()), QSet<QString>(expected.begin(), expected.end()));
            QCOMPARE(qd::art::SignTable::instance().loadError(), QString());
        }
    }

    // ------------------------------------------------------------------ layout

    void keysInRowsOverTheirTiles_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("modal signatures") << "FormMartyries";
        QTest::newRow("miscellaneous") << "FormDiafora";
    }
    void keysInRowsOverTheirTiles()
    {
        QFETCH(QString, window);
        const WindowLayout l = layoutOf(window);
        WindowSet::instance().show(l.window);
        QTRY_VERIFY(l.window->isActiveWindow());
        const QImage shot = l.window->grab().toImage();
        const QList<KeyRow> rows = window == u"FormMartyries" ? martyriesRows() : diaforaRows();
        int total = 0;
        for (const KeyRow &row : rows) {
            QRectF previous;
            for (qsizetype i = 0; i < row.keys.size(); ++i) {
                const QString &key = row.keys.at(i);
                const QRectF r = panelRect(l, key);
                const QString where =
                    QStringLiteral("%1 at %2,%3 %4x%5").arg(key).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
                QVERIFY2(r.top() > row.yMin - 0.01 && r.top() < row.yMax + 0.01, qPrintable(where));
                QVERIFY2(qAbs(r.height() - l.keyHeight(key)) < 0.01, qPrintable(where));
                QVERIFY2(r.width() > l.minWidth - 0.01 && r.width() < l.maxWidth + 0.01, qPrintable(where));
                if (i > 0) {
                    // Left to right in the listed order, touching at most by the allowed sliver.
                    QVERIFY2(r.left() > previous.left(), qPrintable(where));
                    QVERIFY2(previous.right() - r.left() <= l.maxOverlap + 0.01, qPrintable(where));
                }
                previous = r;
                // A sign is drawn under the key...
                const QRect px = l.window->controlRect(key).toAlignedRect().intersected(shot.rect());
                QVERIFY2(darkPixels(shot, px) > 8, qPrintable(where));
                // ...on its group's tile.
                if (!row.fills.isEmpty()) {
                    const QRgb fill = dominantColour(shot, px);
                    QVERIFY2(near(fill, row.fills.at(i)),
                             qPrintable(where + QStringLiteral(": tile %1").arg(fill, 6, 16, QLatin1Char('0'))));
                }
                ++total;
            }
        }
        QCOMPARE(total, window == u"FormMartyries" ? 80 : 36);
        // Keys of different rows never share a pixel beyond the allowed sliver.
        const QStringList all =
            keyNames(l.window, window == u"FormMartyries" ? QStringLiteral("ark1Click") : QStringLiteral("en1Click"));
        for (qsizetype i = 0; i < all.size(); ++i)
            for (qsizetype j = i + 1; j < all.size(); ++j) {
                const QRectF a = panelRect(l, all[i]), b = panelRect(l, all[j]);
                const QRectF both = a.intersected(b);
                QVERIFY2(both.isEmpty() || qMin(both.width(), both.height()) <= l.maxOverlap + 0.01,
                         qPrintable(all[i] + QStringLiteral(" overlaps ") + all[j]));
            }
    }

    void picturesAndButtonAsDescribed()
    {
        // The pictures fill their rectangles of the palette panels, at the screen's scale.
        WindowSet::instance().show(FormMartyries());
        WindowSet::instance().show(FormDiafora());
        QTRY_VERIFY(FormDiafora()->isActiveWindow());
        QVERIFY(FormMartyries()->rootScale() != QSizeF(1, 1) || qd::test::screenSize() == QSize(1024, 720));
        struct Pic
        {
            FormWindow *w;
            const char *name, *panel;
            QRectF rect;
            QPointF panelPos;
        };
        const QList<Pic> pics{{FormMartyries(), "Image16", "Panelmartyries", {8, 16, 773, 195}, {2, 44}},
                              {FormMartyries(), "Image1", "Panelmartyries", {9, 214, 773, 131}, {2, 44}},
                              {FormDiafora(), "Image16", "Paneldiafora", {8, 16, 773, 141}, {0, 80}}};
        for (const Pic &p : pics) {
            const QRectF r = p.w->controlRect(QLatin1String(p.name));
            const QSizeF s = p.w->rootScale();
            const QRectF expected((p.panelPos.x() + 1.3 * p.rect.x()) * s.width(),
                                  (p.panelPos.y() + 1.3 * p.rect.y()) * s.height(), 1.3 * p.rect.width() * s.width(),
                                  1.3 * p.rect.height() * s.height());
            QVERIFY2(qAbs(r.left() - expected.left()) < 0.01 && qAbs(r.top() - expected.top()) < 0.01 &&
                         qAbs(r.width() - expected.width()) < 0.01 && qAbs(r.height() - expected.height()) < 0.01,
                     p.name);
        }
        // The miscellaneous window's canvas is 600 high but scaled against 720: it covers the top
        // five sixths of the window.
        const QRectF canvas = FormDiafora()->controlRect(QStringLiteral("Panel1"));
        QVERIFY(qAbs(canvas.height() - 600 * FormDiafora()->rootScale().height()) < 0.01);
        QVERIFY(qAbs(canvas.width() - 1024 * FormDiafora()->rootScale().width()) < 0.01);
        const QSizeF s = FormMartyries()->rootScale();
        QCOMPARE(FormMartyries()->controlRect(QStringLiteral("Button1")),
                 QRectF(462 * s.width(), 0, 105 * s.width(), 41 * s.height()));
        QCOMPARE(FormDiafora()->controlRect(QStringLiteral("Button1")),
                 QRectF(458 * s.width(), 34 * s.height(), 105 * s.width(), 41 * s.height()));
    }

    void arrangeWindowKeepsDesignPositions_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("full screen") << QSize();
        QTest::newRow("resized small") << QSize(700, 400);
        QTest::newRow("resized large") << QSize(2000, 1500);
    }
    void arrangeWindowKeepsDesignPositions()
    {
        QFETCH(QSize, size);
        WindowSet::instance().show(moveform());
        QTRY_VERIFY(moveform()->isActiveWindow());
        if (size.isValid()) {
            moveform()->showNormal();
            moveform()->resize(size);
            QTest::qWait(20);
        }
        const QList<std::pair<const char *, QRectF>> design{
            {"ImageControl2", {153, 49, 104, 96}}, {"ImageControl1", {17, 49, 104, 96}},
            {"SpeedButton7", {376, 16, 88, 88}},   {"SpeedButton9", {376, 200, 88, 88}},
            {"SpeedButton10", {280, 112, 88, 88}}, {"SpeedButton8", {472, 112, 88, 88}},
            {"Button1", {217, 247, 105, 41}},      {"SpeedButton25", {16, 48, 105, 97}},
            {"SpeedButton31", {152, 48, 105, 97}}};
        for (const auto &[name, rect] : design)
            QCOMPARE(moveform()->controlRect(QLatin1String(name)), rect);
        // The green arrows are drawn in their boxes: a green disc with a white arrow.
        const QImage shot = moveform()->grab().toImage();
        for (const char *box : {"ImageControl1", "ImageControl2"}) {
            const QRect r = moveform()->controlRect(QLatin1String(box)).toRect();
            int green = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    const QRgb p = shot.pixel(x, y);
                    green += qGreen(p) > qRed(p) + 60 && qGreen(p) > qBlue(p) + 60;
                }
            QVERIFY2(green > r.width() * r.height() / 5, box);
        }
    }

    void arrangeWindowFocusOrder()
    {
        WindowSet::instance().show(moveform());
        QTRY_VERIFY(moveform()->isActiveWindow());
        const QStringList order{QStringLiteral("SpeedButton25"), QStringLiteral("SpeedButton31"),
                                QStringLiteral("SpeedButton7"),  QStringLiteral("SpeedButton9"),
                                QStringLiteral("SpeedButton10"), QStringLiteral("SpeedButton8"),
                                QStringLiteral("Button1")};
        moveform()->control(order.first())->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), moveform()->control(order.first()));
        for (qsizetype i = 1; i <= order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), order.at(i % order.size()));
        }
        // The picture boxes take no focus.
        QCOMPARE(moveform()->control(QStringLiteral("ImageControl1"))->focusPolicy(), Qt::NoFocus);
        QCOMPARE(moveform()->control(QStringLiteral("ImageControl2"))->focusPolicy(), Qt::NoFocus);
    }

    // ------------------------------------------------------------------ sending

    void everyKeySendsItsWord_data()
    {
        QTest::addColumn<QString>("window");
        QTest::newRow("modal signatures") << "FormMartyries";
        QTest::newRow("miscellaneous") << "FormDiafora";
        QTest::newRow("arrange") << "moveform";
    }
    void everyKeySendsItsWord()
    {
        QFETCH(QString, window);
        QVERIFY(connectToPeer());
        FormWindow *w = windowNamed(window);
        const QString handler = window == u"FormMartyries" ? QStringLiteral("ark1Click")
                                : window == u"FormDiafora" ? QStringLiteral("en1Click")
                                                           : QStringLiteral("SpeedButton25Click");
        WindowSet::instance().show(w);
        QTRY_VERIFY(w->isActiveWindow());
        const QStringList keys = keyNames(w, handler);
        QVERIFY(!keys.isEmpty());
        MessageCapture messages;
        int expectedCount = 0;
        for (const QString &key : keys) {
            qd::test::tapCentre(w, w->controlRect(key));
            ++expectedCount;
            QVERIFY2(m_peer->waitForWords(expectedCount, 10000), qPrintable(key));
            const QStringList got = m_peer->receivedWords();
            QCOMPARE(got.size(), expectedCount);
            QCOMPARE(got.last(), key);
        }
        QCOMPARE(messages.texts(), QStringList());
        QVERIFY(w->isVisible());
        QVERIFY(controller()->IdTCPClient1()->isOpen());
    }

    void arrangeKeyReadsTheReplyAndTurnsNoPage()
    {
        // A rejecting peer shows whether a reply was read: the arrange keys use the main
        // window's send, which reads one line and drops the link on a bad one.
        QVERIFY(connectToPeer({QStringLiteral("--mode"), QStringLiteral("reject")}));
        WindowSet::instance().show(moveform());
        QTRY_VERIFY(moveform()->isActiveWindow());
        MainClient()->pair(TMainClient::Katavasi).showSecond();
        const Snapshot before = Snapshot::take();
        MessageCapture messages;
        qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("SpeedButton7")));
        QVERIFY(m_peer->waitForWords(1));
        QCOMPARE(m_peer->receivedWords(), QStringList{QStringLiteral("SpeedButton7")});
        QCOMPARE(messages.texts(), QStringList{qd::test::kSideSendFailure});
        QCOMPARE(clientForm()->Label1->text(), QStringLiteral("x"));
        QVERIFY(!controller()->IdTCPClient1()->isOpen());
        QVERIFY(moveform()->isVisible());
        QCOMPARE(Snapshot::take().firstPages, before.firstPages);
    }

    void moveClientOnOpenAndClose_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("replyRead");
        QTest::newRow("opened by SpeedButton2") << "open" << true;
        QTest::newRow("closed by Button1") << "Button1" << false;
        QTest::newRow("closed by the window system") << "close" << false;
    }
    void moveClientOnOpenAndClose()
    {
        QFETCH(QString, how);
        QFETCH(bool, replyRead);
        // Every line is answered with a rejection, so a reply read shows as the side message
        // and a dropped link; a send without a read leaves both alone.
        QVERIFY(connectToPeer({QStringLiteral("--mode"), QStringLiteral("reject")}));
        if (how != u"open") {
            WindowSet::instance().show(moveform());
            QTRY_VERIFY(moveform()->isActiveWindow());
        }
        clientForm()->Label1->setText(QStringLiteral("untouched"));
        MessageCapture messages;
        if (how == u"open")
            qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("SpeedButton2")));
        else if (how == u"Button1")
            qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("Button1")));
        else
            moveform()->close();
        QVERIFY(m_peer->waitForWords(1));
        QTest::qWait(50);
        QCOMPARE(m_peer->receivedWords(), QStringList{QStringLiteral("move_client")});
        QCOMPARE(moveform()->isVisible(), how == u"open");
        if (replyRead) {
            QCOMPARE(messages.texts(), QStringList{qd::test::kSideSendFailure});
            QCOMPARE(clientForm()->Label1->text(), QStringLiteral("x"));
            QVERIFY(!controller()->IdTCPClient1()->isOpen());
        } else {
            QCOMPARE(messages.texts(), QStringList());
            QCOMPARE(clientForm()->Label1->text(), QStringLiteral("untouched"));
            QVERIFY(controller()->IdTCPClient1()->isOpen());
        }
    }

    void openAndCloseAgainSendsMoveClientEachTime()
    {
        QVERIFY(connectToPeer());
        MessageCapture messages;
        for (int round = 0; round < 2; ++round) {
            qd::test::tapCentre(MainClient(), MainClient()->controlRect(QStringLiteral("SpeedButton2")));
            QTRY_VERIFY(moveform()->isActiveWindow());
            qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("SpeedButton25")));
            qd::test::tapCentre(moveform(), moveform()->controlRect(QStringLiteral("Button1")));
            QVERIFY(!moveform()->isVisible());
        }
        QVERIFY(m_peer->waitForWords(6));
        const QStringList once{QStringLiteral("move_client"), QStringLiteral("SpeedButton25"),
                               QStringLiteral("move_client")};
        QCOMPARE(m_peer->receivedWords(), once + once);
        QCOMPARE(messages.texts(), QStringList());
    }

    // ------------------------------------------------------------------ failures

    void sideFailureShowsOneMessageAndChangesNothing_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("key");
        QTest::newRow("first signature") << "FormMartyries"
                                         << "ark1";
        QTest::newRow("cell after βαρύς") << "FormMartyries"
                                          << "mh9";
        QTest::newRow("last single sign") << "FormMartyries"
                                          << "mh33";
        QTest::newRow("red numeral 8") << "FormDiafora"
                                       << "dm16";
        QTest::newRow("scissors") << "FormDiafora"
                                  << "par4";
        QTest::newRow("arrange closing") << "moveform"
                                         << "Button1";
    }
    void sideFailureShowsOneMessageAndChangesNothing()
    {
        QFETCH(QString, window);
        QFETCH(QString, key);
        FormWindow *w = windowNamed(window);
        WindowSet::instance().show(w);
        QTRY_VERIFY(w->isActiveWindow());
        // A state a wrong failure path would disturb: connected, discovery off, a second page shown.
        MainClient()->switchToConnected();
        controller()->Timer1()->stop();
        MainClient()->pair(TMainClient::Martyries).showSecond();
        MainClient()->pair(TMainClient::Gorgo).showSecond();
        clientForm()->Label1->setText(QStringLiteral("before"));
        const Snapshot before = Snapshot::take();

        MessageCapture messages;
        qd::test::tapCentre(w, w->controlRect(key));
        QCOMPARE(messages.texts(), QStringList{qd::test::kSideSendFailure});
        QVERIFY(Snapshot::take() == before);
        QCOMPARE(w->isVisible(), window != u"moveform");

        if (window != u"moveform") {
            // Each failed tap shows the box again, once.
            qd::test::tapCentre(w, w->controlRect(key));
            QCOMPARE(messages.texts(), (QStringList{qd::test::kSideSendFailure, qd::test::kSideSendFailure}));
            QVERIFY(Snapshot::take() == before);
        }
    }

    void arrangeKeyWithoutLinkShowsTheMainMessage_data()
    {
        QTest::addColumn<QString>("key");
        for (const char *k :
             {"SpeedButton7", "SpeedButton9", "SpeedButton10", "SpeedButton8", "SpeedButton25", "SpeedButton31"})
            QTest::newRow(k) << QString::fromLatin1(k);
    }
    void arrangeKeyWithoutLinkShowsTheMainMessage()
    {
        QFETCH(QString, key);
        WindowSet::instance().show(moveform());
        QTRY_VERIFY(moveform()->isActiveWindow());
        MainClient()->switchToConnected();
        controller()->Timer1()->stop();
        MainClient()->pair(TMainClient::Anavasi).showSecond();
        const QList<bool> pages = Snapshot::take().firstPages;
        MessageCapture messages;
        qd::test::tapCentre(moveform(), moveform()->controlRect(key));
        QCOMPARE(messages.texts(), QStringList{qd::test::kMainSendFailure});
        // The main window's failure path, but no page reset and the window stays.
        QVERIFY(!MainClient()->indicatorConnected());
        QVERIFY(controller()->discoveryRunning());
        QCOMPARE(Snapshot::take().firstPages, pages);
        QVERIFY(moveform()->isVisible());
    }

    void quickTapsArriveInTapOrder()
    {
        // No reply is waited for, so taps in quick succession go out one line each, in order,
        // even with the peer's "ok" lines piling up unread.
        QVERIFY(connectToPeer());
        const QList<std::pair<FormWindow *, QStringList>> bursts{
            {FormMartyries(),
             {QStringLiteral("mh33"), QStringLiteral("ark1"), QStringLiteral("mh9"), QStringLiteral("ark1")}},
            {FormDiafora(),
             {QStringLiteral("par4"), QStringLiteral("dm16"), QStringLiteral("en1"), QStringLiteral("dm13")}}};
        QStringList expected;
        for (const auto &[w, keys] : bursts) {
            WindowSet::instance().show(w);
            QTRY_VERIFY(w->isActiveWindow());
            for (const QString &k : keys)
                qd::test::tapCentre(w, w->controlRect(k));
            expected += keys;
        }
        QVERIFY(m_peer->waitForWords(int(expected.size())));
        QCOMPARE(m_peer->receivedWords(), expected);
    }

    void tapBetweenKeysSendsNothing()
    {
        QVERIFY(connectToPeer());
        WindowSet::instance().show(FormMartyries());
        QTRY_VERIFY(FormMartyries()->isActiveWindow());
        MessageCapture messages;
        // Below the pictures, and between the two rows of the lower picture: no key there.
        const QRectF mh16 = FormMartyries()->controlRect(QStringLiteral("mh16"));
        qd::test::tap(FormMartyries(),
                      QPointF(mh16.center().x(), mh16.bottom() + 20 * FormMartyries()->rootScale().height()));
        qd::test::tap(FormMartyries(), QPointF(FormMartyries()->width() / 2.0, FormMartyries()->height() * 0.9));
        // A key afterwards arrives as the first word.
        qd::test::tapCentre(FormMartyries(), FormMartyries()->controlRect(QStringLiteral("ark1")));
        QVERIFY(m_peer->waitForWords(1));
        QTest::qWait(50);
        QCOMPARE(m_peer->receivedWords(), QStringList{QStringLiteral("ark1")});
        QCOMPARE(messages.count(), 0);
    }
};

QD_GUI_TEST_MAIN(SideTest)
#include "test_side.moc"
