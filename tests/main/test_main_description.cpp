// Checks the main window's description (resources/windows/MainClient.json)
// against the hand-typed layout tables in expected_main_keys.h: every command
// word, every key rectangle and handler, the panels, the root stacking order
// and that a tap at the centre of each key reaches that key and nothing above it.

#include "expected_main_keys.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRectF>
#include <QSet>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <optional>

using namespace qd::test::mainwindow;

namespace {

QString qs(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// One control of the description, with `keys` groups expanded into keys.
struct Control
{
    QString kind;
    QString name;
    QString parent;
    QRectF rect;
    double sx = 1.0;
    double sy = 1.0;
    bool visible = true;
    QString look;
    QString handler;
    QString caption;
    QString art;
    QJsonObject raw; // the entry itself (for a grouped key: its group)

    // The rectangle it covers in its parent's units.
    QRectF extent() const { return {rect.x(), rect.y(), rect.width() * sx, rect.height() * sy}; }
};

const QStringList kFamilies{QStringLiteral("c3Click"), QStringLiteral("ft8Click"), QStringLiteral("m1Click"),
                            QStringLiteral("o5Click"), QStringLiteral("o1Click")};

std::optional<QRectF> rectOf(const QJsonValue &v)
{
    const QJsonArray a = v.toArray();
    if (a.size() != 4)
        return std::nullopt;
    return QRectF(a[0].toDouble(), a[1].toDouble(), a[2].toDouble(), a[3].toDouble());
}

// "1-9,12-20" -> {1..9, 12..20}
QList<int> expandNumbers(std::string_view text)
{
    QList<int> out;
    for (const QString &part : qs(text).split(u',')) {
        const QStringList ends = part.split(u'-');
        const int from = ends.first().toInt();
        const int to = ends.last().toInt();
        for (int n = from; n <= to; ++n)
            out << n;
    }
    return out;
}

QString prefixOf(const QString &word)
{
    qsizetype i = 0;
    while (i < word.size() && word.at(i).isLetter())
        ++i;
    return word.left(i);
}

const ExpectedKey *expectedKey(const QString &word)
{
    for (const auto &k : kExpectedMainKeys)
        if (qs(k.word) == word)
            return &k;
    return nullptr;
}

} // namespace

class TestMainDescription : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void windowHeader();
    void namesUniqueAndParentsDeclaredFirst();
    void rootPanel();
    void rootStackingOrder();
    void commandWordsAreExactlyTheTable();

    void key_data();
    void key();

    void panel_data();
    void panel();

    void prefixNumbers_data();
    void prefixNumbers();

    void rootControl_data();
    void rootControl();

    void checkBox();
    void indicator();

    void centreTapReachesKey_data();
    void centreTapReachesKey();

private:
    const Control *find(const QString &name) const
    {
        const auto it = m_index.constFind(name);
        return it == m_index.cend() ? nullptr : &m_controls.at(*it);
    }
    QList<const Control *> childrenOf(const QString &parent) const
    {
        QList<const Control *> out;
        for (const Control &c : m_controls)
            if (c.parent == parent)
                out << &c;
        return out;
    }

    QJsonObject m_window;
    QList<Control> m_controls;
    QHash<QString, qsizetype> m_index;
    QStringList m_duplicates;
};

void TestMainDescription::initTestCase()
{
    QFile file(QStringLiteral(QD_MAIN_DESCRIPTION));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QVERIFY(doc.isObject());
    m_window = doc.object();

    const QJsonArray controls = m_window.value(QStringLiteral("controls")).toArray();
    QVERIFY(!controls.isEmpty());
    auto add = [this](Control c) {
        if (m_index.contains(c.name))
            m_duplicates << c.name;
        else
            m_index.insert(c.name, m_controls.size());
        m_controls << c;
    };
    for (const QJsonValue &v : controls) {
        const QJsonObject o = v.toObject();
        const QString kind = o.value(QStringLiteral("kind")).toString();
        QVERIFY2(!kind.isEmpty(), "every control has a kind");
        if (kind == QStringLiteral("keys")) {
            const QJsonArray size = o.value(QStringLiteral("size")).toArray();
            const QJsonObject captions = o.value(QStringLiteral("captions")).toObject();
            for (const QJsonValue &kv : o.value(QStringLiteral("keys")).toArray()) {
                const QJsonArray k = kv.toArray();
                QVERIFY2(k.size() == 3 || k.size() == 5, "a grouped key is [name, x, y] or [name, x, y, w, h]");
                Control c;
                c.kind = QStringLiteral("key");
                c.name = k[0].toString();
                c.parent = o.value(QStringLiteral("parent")).toString();
                const double w = k.size() == 5 ? k[3].toDouble() : size.at(0).toDouble();
                const double h = k.size() == 5 ? k[4].toDouble() : size.at(1).toDouble();
                c.rect = QRectF(k[1].toDouble(), k[2].toDouble(), w, h);
                c.look = o.value(QStringLiteral("look")).toString(QStringLiteral("transparentcirclebuttonstyle"));
                c.handler = o.value(QStringLiteral("handler")).toString();
                c.caption = captions.value(c.name).toString();
                c.raw = o;
                add(c);
            }
            continue;
        }
        Control c;
        c.kind = kind;
        c.name = o.value(QStringLiteral("name")).toString();
        c.parent = o.value(QStringLiteral("parent")).toString();
        if (const auto r = rectOf(o.value(QStringLiteral("rect"))))
            c.rect = *r;
        if (o.contains(QStringLiteral("scale"))) {
            const QJsonArray s = o.value(QStringLiteral("scale")).toArray();
            QVERIFY2(s.size() == 2, qPrintable(c.name));
            c.sx = s[0].toDouble();
            c.sy = s[1].toDouble();
        }
        c.visible = o.value(QStringLiteral("visible")).toBool(true);
        c.look = o.value(QStringLiteral("look")).toString();
        c.handler = o.value(QStringLiteral("handler")).toString();
        c.caption = o.value(QStringLiteral("caption")).toString();
        c.art = o.value(QStringLiteral("art")).toString();
        c.raw = o;
        add(c);
    }
}

void TestMainDescription::windowHeader()
{
    QCOMPARE(m_window.value(QStringLiteral("window")).toString(), QStringLiteral("MainClient"));
    QCOMPARE(m_window.value(QStringLiteral("caption")).toString(), QStringLiteral("QD Client V 2.0"));
    const QJsonArray size = m_window.value(QStringLiteral("clientSize")).toArray();
    QCOMPARE(size.size(), 2);
    QCOMPARE(size[0].toInt(), 1024);
    QCOMPARE(size[1].toInt(), 527);
    QCOMPARE(m_window.value(QStringLiteral("scaled")).toBool(false), true);
}

void TestMainDescription::namesUniqueAndParentsDeclaredFirst()
{
    QVERIFY2(m_duplicates.isEmpty(), qPrintable(m_duplicates.join(u' ')));
    QSet<QString> seen;
    for (const Control &c : m_controls) {
        QVERIFY2(!c.name.isEmpty(), qPrintable(c.kind));
        if (!c.parent.isEmpty())
            QVERIFY2(seen.contains(c.parent), qPrintable(c.name + QStringLiteral(" before its parent ") + c.parent));
        seen.insert(c.name);
    }
}

void TestMainDescription::rootPanel()
{
    const Control &first = m_controls.first();
    QCOMPARE(first.name, QStringLiteral("Panel1"));
    QCOMPARE(first.kind, QStringLiteral("panel"));
    QVERIFY(first.parent.isEmpty());
    QCOMPARE(first.rect, QRectF(0, 0, 1024, 720));
    QCOMPARE(first.look, QStringLiteral("calloutpanelstyle"));
    QCOMPARE(first.sx, 1.0);
    QCOMPARE(first.sy, 1.0);
    for (qsizetype i = 1; i < m_controls.size(); ++i)
        QVERIFY2(!m_controls[i].parent.isEmpty(), qPrintable(m_controls[i].name + QStringLiteral(" has no parent")));
}

void TestMainDescription::rootStackingOrder()
{
    QStringList actual;
    for (const Control *c : childrenOf(QStringLiteral("Panel1")))
        actual << c->name;
    QStringList expected;
    for (std::string_view n : kRootStacking)
        expected << qs(n);
    QCOMPARE(actual, expected);
}

void TestMainDescription::commandWordsAreExactlyTheTable()
{
    // A control sends its name when one of the five palette tap handlers is
    // bound to it; navigation buttons and toggles have handlers of their own.
    QStringList sending;
    for (const Control &c : m_controls)
        if (kFamilies.contains(c.handler))
            sending << c.name;
    QStringList expected;
    for (const auto &k : kExpectedMainKeys)
        expected << qs(k.word);
    sending.sort();
    expected.sort();
    QCOMPARE(sending.size(), 214);
    QCOMPARE(sending, expected);
}

void TestMainDescription::key_data()
{
    QTest::addColumn<QString>("word");
    for (const auto &k : kExpectedMainKeys)
        QTest::newRow(k.word.data()) << qs(k.word);
}

void TestMainDescription::key()
{
    QFETCH(QString, word);
    const ExpectedKey *e = expectedKey(word);
    QVERIFY(e);
    const Control *c = find(word);
    QVERIFY2(c, "missing from the description");

    QCOMPARE(c->parent, qs(e->panelName()));
    QCOMPARE(c->rect, QRectF(e->x, e->y, e->w, e->h));
    QCOMPARE(c->handler, qs(familyName(e->family)));
    QCOMPARE(c->sx, e->keyScale);
    QCOMPARE(c->sy, e->keyScale);

    // The panel place typed with the key agrees with the description.
    const Control *panel = find(qs(e->panelName()));
    QVERIFY(panel);
    QCOMPARE(panel->rect.x(), e->panel->x);
    QCOMPARE(panel->rect.y(), e->panel->y);
    QCOMPARE(panel->sx, e->panel->sx);
    QCOMPARE(panel->sy, e->panel->sy);
    QVERIFY2(QRectF(QPointF(0, 0), panel->rect.size()).contains(c->extent()), "key reaches outside its panel");

    if (word == QStringLiteral("CheckBox1")) {
        QCOMPARE(c->kind, QStringLiteral("checkbox"));
        return;
    }
    QCOMPARE(c->kind, QStringLiteral("key"));
    const auto caption = std::find_if(std::begin(kIsonCaptions), std::end(kIsonCaptions),
                                      [&](const ExpectedCaption &ec) { return qs(ec.word) == word; });
    if (caption != std::end(kIsonCaptions)) {
        QCOMPARE(c->look, QStringLiteral("segmentedbuttonmiddle"));
        QCOMPARE(c->caption, qs(caption->caption));
    } else {
        // c4 too: it stays transparent like its neighbours.
        QCOMPARE(c->look, QStringLiteral("transparentcirclebuttonstyle"));
        QVERIFY2(c->caption.isEmpty(), qPrintable(c->caption));
    }
}

void TestMainDescription::panel_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kExpectedPanels)); ++i)
        QTest::newRow(kExpectedPanels[i].name.data()) << i;
}

void TestMainDescription::panel()
{
    QFETCH(int, row);
    const ExpectedPanel &e = kExpectedPanels[row];
    const Control *p = find(qs(e.name));
    QVERIFY(p);
    QCOMPARE(p->kind, QStringLiteral("panel"));
    QCOMPARE(p->parent, QStringLiteral("Panel1"));
    QCOMPARE(p->rect, QRectF(e.x, e.y, e.w, e.h));
    QCOMPARE(p->sx, e.sx);
    QCOMPARE(p->sy, e.sy);
    QCOMPARE(p->visible, e.visible);
    QCOMPARE(p->look, qs(e.look));

    const QList<const Control *> children = childrenOf(p->name);
    QList<const Control *> pictures;
    int keys = 0;
    for (const Control *c : children) {
        if (c->kind == QStringLiteral("picture"))
            pictures << c;
        else if (c->kind == QStringLiteral("key"))
            ++keys;
        else
            QFAIL(qPrintable(QStringLiteral("unexpected child ") + c->name));
    }
    QCOMPARE(keys, e.keyCount);
    if (e.art.empty()) {
        QVERIFY(pictures.isEmpty());
        return;
    }
    QCOMPARE(pictures.size(), 1);
    // The picture lies below the keys.
    QCOMPARE(children.first(), pictures.first());
    QCOMPARE(pictures.first()->art, qs(e.art));
    QCOMPARE(pictures.first()->rect, QRectF(e.px, e.py, e.pw, e.ph));
}

void TestMainDescription::prefixNumbers_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kPrefixNumbers)); ++i) {
        const auto &p = kPrefixNumbers[i];
        QTest::addRow("%s on %s", p.prefix.data(), p.panel.data()) << i;
    }
}

void TestMainDescription::prefixNumbers()
{
    QFETCH(int, row);
    const PrefixNumbers &p = kPrefixNumbers[row];
    QStringList expected;
    for (int n : expandNumbers(p.numbers))
        expected << qs(p.prefix) + QString::number(n);
    QCOMPARE(expected.size(), p.count);

    QStringList actual;
    for (const Control *c : childrenOf(qs(p.panel)))
        if (c->kind == QStringLiteral("key") && prefixOf(c->name) == qs(p.prefix))
            actual << c->name;
    expected.sort();
    actual.sort();
    QCOMPARE(actual, expected);
}

void TestMainDescription::rootControl_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kExpectedRootControls)); ++i)
        QTest::newRow(kExpectedRootControls[i].name.data()) << i;
}

void TestMainDescription::rootControl()
{
    QFETCH(int, row);
    const ExpectedControl &e = kExpectedRootControls[row];
    const Control *c = find(qs(e.name));
    QVERIFY(c);
    QCOMPARE(c->parent, QStringLiteral("Panel1"));
    QCOMPARE(c->kind, qs(e.kind));
    QCOMPARE(c->rect, QRectF(e.x, e.y, e.w, e.h));
    QCOMPARE(c->sx, e.scale);
    QCOMPARE(c->sy, e.scale);
    QCOMPARE(c->handler, qs(e.handler));
    QCOMPARE(c->look, qs(e.look));
    QCOMPARE(c->caption, qs(e.caption));
    if (c->kind == QStringLiteral("button")) {
        QCOMPARE(c->raw.value(QStringLiteral("bold")).toBool(false), true);
        QCOMPARE(c->raw.value(QStringLiteral("radius")).toDouble(), 3.0);
    }
    if (c->kind == QStringLiteral("picture"))
        QCOMPARE(c->art, QStringLiteral("toolgrid"));
}

void TestMainDescription::checkBox()
{
    const Control *c = find(QStringLiteral("CheckBox1"));
    QVERIFY(c);
    QCOMPARE(c->caption, QStringLiteral("Κάτω"));
    QCOMPARE(c->handler, QStringLiteral("c3Click"));
    // Unchecked at start: the description gives it no check mark.
    QVERIFY(!c->raw.contains(QStringLiteral("checked")) || !c->raw.value(QStringLiteral("checked")).toBool());
}

void TestMainDescription::indicator()
{
    const Control *box = find(QStringLiteral("ImageControl1"));
    QVERIFY(box);
    QCOMPARE(box->kind, QStringLiteral("picturebox"));
    QCOMPARE(box->parent, QStringLiteral("con_SpeedButton"));
    QCOMPARE(box->rect, QRectF(5, 3, 41, 41));
    QVERIFY2(box->art.isEmpty(), "the box has no picture of its own; the animations set it");

    struct Anim
    {
        const char *name;
        const char *art;
        bool enabled;
    };
    const Anim anims[] = {{"BitmapListAnimation1", "indicator_searching", true},
                          {"BitmapListAnimation2", "indicator_connected", false}};
    for (const Anim &a : anims) {
        const Control *c = find(QString::fromLatin1(a.name));
        QVERIFY2(c, a.name);
        QCOMPARE(c->kind, QStringLiteral("animation"));
        QCOMPARE(c->parent, QStringLiteral("ImageControl1"));
        QCOMPARE(c->art, QString::fromLatin1(a.art));
        QCOMPARE(c->raw.value(QStringLiteral("frames")).toInt(1), 1);
        QCOMPARE(c->raw.value(QStringLiteral("rows")).toInt(1), 1);
        QCOMPARE(c->raw.value(QStringLiteral("duration")).toDouble(0.2), 0.2);
        QCOMPARE(c->raw.value(QStringLiteral("enabled")).toBool(false), a.enabled);
    }
    // Searching is switched on first so that it is the state at start.
    QVERIFY(m_index.value(QStringLiteral("BitmapListAnimation1")) <
            m_index.value(QStringLiteral("BitmapListAnimation2")));
}

// Walks the controls from the top of the stack down, the way a tap is routed,
// with the key's page shown, and checks that the key is what the tap finds.
void TestMainDescription::centreTapReachesKey_data()
{
    key_data();
}

void TestMainDescription::centreTapReachesKey()
{
    QFETCH(QString, word);
    const ExpectedKey *e = expectedKey(word);
    QVERIFY(e);

    // Panel visibility: start state, then the key's pair flipped if needed.
    QHash<QString, bool> visible;
    for (const auto &p : kExpectedPanels)
        visible.insert(qs(p.name), p.visible);
    for (const auto &pair : kPagePairs) {
        if (pair.toggle == e->showFirst()) {
            visible[qs(pair.first)] = false;
            visible[qs(pair.second)] = true;
        }
    }

    const QPointF inPanel(e->x + e->w * e->keyScale / 2.0, e->y + e->h * e->keyScale / 2.0);
    const QPointF onCanvas(e->panel->x + inPanel.x() * e->panel->sx, e->panel->y + inPanel.y() * e->panel->sy);
    QVERIFY2(QRectF(0, 0, 1024, 720).contains(onCanvas), "centre off the canvas");

    const QList<const Control *> roots = childrenOf(QStringLiteral("Panel1"));
    const Control *hit = nullptr;
    for (auto it = roots.crbegin(); it != roots.crend(); ++it) {
        const Control *c = *it;
        if (!visible.value(c->name, c->visible))
            continue;
        if (c->extent().contains(onCanvas)) {
            hit = c;
            break;
        }
    }
    QVERIFY2(hit, "nothing under the centre");
    if (hit->kind == QStringLiteral("panel")) {
        const QPointF local((onCanvas.x() - hit->rect.x()) / hit->sx, (onCanvas.y() - hit->rect.y()) / hit->sy);
        const QList<const Control *> children = childrenOf(hit->name);
        const Control *inner = nullptr;
        for (auto it = children.crbegin(); it != children.crend(); ++it) {
            if ((*it)->extent().contains(local)) {
                inner = *it;
                break;
            }
        }
        QVERIFY2(inner,
                 qPrintable(QStringLiteral("only the panel ") + hit->name + QStringLiteral(" under the centre")));
        hit = inner;
    }
    QCOMPARE(hit->name, word);
}

QTEST_GUILESS_MAIN(TestMainDescription)

#include "test_main_description.moc"
