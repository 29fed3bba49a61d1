// Every key of a palette window must be told from every other key of that window at a glance.
// Two signs look the same when they are built of the same glyphs (same characters, font and
// colour), each glyph's ink has nearly the size of its counterpart's, and the glyphs stand to
// each other as their counterparts do, to within a small distance. The sign table is read
// directly and the glyphs' ink is measured from the bundled fonts. Two layouts of the pictures
// are checked the same way: the opening signatures are all drawn at one size, and each gorgon
// form under the note stands straight below the same form over it.

#include "art/signtable.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainterPath>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>

#include <QSet>

#include <algorithm>

using qd::art::Sign;
using qd::art::SignGlyph;
using qd::art::SignTable;

namespace {

// Closer than this (in em, the size a sign is drawn at) two glyphs count as standing in the same
// place: about a kentima's width, some twenty pixels on a 1920 x 1080 screen.
constexpr qreal kVisible = 0.15;

// Pairs of keys of one window that stand for the same sign on purpose, with the reason. There
// are none: each key of a window sends a word of its own, and a chanter must see which.
struct SamePair
{
    const char *window, *first, *second, *reason;
};
const QList<SamePair> kSameOnPurpose = {};

bool sameOnPurpose(const QString &window, const QString &a, const QString &b)
{
    for (const SamePair &p : kSameOnPurpose) {
        const bool names = (a == QLatin1String(p.first) && b == QLatin1String(p.second)) ||
                           (a == QLatin1String(p.second) && b == QLatin1String(p.first));
        if (names && window == QLatin1String(p.window))
            return true;
    }
    return false;
}

QRawFont loadFont(const QString &resource)
{
    QFile f(resource);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QRawFont(f.readAll(), 1000, QFont::PreferNoHinting);
}

// The ink of one glyph in em units, before its offset and scale.
QRectF inkOf(const SignGlyph &g)
{
    static const QRawFont music = loadFont(QStringLiteral(":/fonts/NotoMusic-Regular.ttf"));
    static const QRawFont text = loadFont(QStringLiteral(":/fonts/NotoSans-Regular.ttf"));
    static const QRawFont bold = loadFont(QStringLiteral(":/fonts/NotoSans-Bold.ttf"));
    if (g.font == u"path") {
        QPolygonF points;
        const QStringList tok = g.text.split(QRegularExpression(QStringLiteral("[\\s,MLZ]+")), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i + 1 < tok.size(); i += 2)
            points.append(QPointF(tok.at(i).toDouble(), tok.at(i + 1).toDouble()));
        return points.boundingRect();
    }
    const QRawFont &font = g.font == u"text" ? text : (g.font == u"bold" ? bold : music);
    const QList<quint32> glyphs = font.glyphIndexesForString(g.text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QPainterPath path;
    QPointF pen;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        path.addPath(font.pathForGlyph(glyphs.at(i)).translated(pen));
        pen += advances.value(i);
    }
    const QRectF r = path.boundingRect();
    return QRectF(r.topLeft() / 1000, r.size() / 1000);
}

struct Ink
{
    QString identity; // font, characters and colour
    QRectF box;       // em units, relative to the centre of the whole sign's ink
};

QList<Ink> inkOf(const Sign &s)
{
    QList<Ink> out;
    QRectF all;
    for (const SignGlyph &g : s.glyphs) {
        const QRectF r = inkOf(g);
        const QRectF placed(g.offset + r.topLeft() * g.scale, r.size() * g.scale);
        out.append({g.font + u'|' + g.text + u'|' + g.color.toLower(), placed});
        all = all.isNull() ? placed : all.united(placed);
    }
    // Centred as a tile centres the sign; this only orders glyphs of one kind alike in both signs.
    for (Ink &i : out)
        i.box.translate(-all.center());
    std::sort(out.begin(), out.end(), [](const Ink &a, const Ink &b) {
        if (a.identity != b.identity)
            return a.identity < b.identity;
        if (!qFuzzyCompare(a.box.center().x(), b.box.center().x()))
            return a.box.center().x() < b.box.center().x();
        return a.box.center().y() < b.box.center().y();
    });
    return out;
}

// How far apart two signs are: infinite when their glyphs differ, else the largest difference
// in a glyph's width or height, or in where one glyph stands from another (centre to centre, in
// x or in y). Where the glyphs stand on the page does not count, only where they stand to each other.
qreal distance(const QList<Ink> &a, const QList<Ink> &b)
{
    if (a.size() != b.size())
        return qInf();
    qreal d = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).identity != b.at(i).identity)
            return qInf();
        const QRectF &p = a.at(i).box, &q = b.at(i).box;
        d = std::max({d, qAbs(p.width() - q.width()), qAbs(p.height() - q.height())});
        for (qsizetype j = 0; j < i; ++j) {
            const QPointF moved = (p.center() - a.at(j).box.center()) - (q.center() - b.at(j).box.center());
            d = std::max({d, qAbs(moved.x()), qAbs(moved.y())});
        }
    }
    return d;
}

QRectF bounds(const QList<Ink> &ink)
{
    QRectF all;
    for (const Ink &i : ink)
        all = all.isNull() ? i.box : all.united(i.box);
    return all;
}

struct SignItem
{
    QString word;
    QRectF rect;
    qreal em = 0, margin = 0;
};

QList<SignItem> signItems(const QString &picture)
{
    QFile f(QStringLiteral(":/art/%1.json").arg(picture));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QList<SignItem> out;
    for (const QJsonValue &v : QJsonDocument::fromJson(f.readAll()).object().value(u"items").toArray()) {
        const QJsonObject o = v.toObject();
        const QJsonArray r = o.value(u"rect").toArray();
        if (o.value(u"type").toString() == u"sign")
            out.append({o.value(u"word").toString(),
                        QRectF(r.at(0).toDouble(), r.at(1).toDouble(), r.at(2).toDouble(), r.at(3).toDouble()),
                        o.value(u"em").toDouble(), o.value(u"margin").toDouble(0.1)});
    }
    return out;
}

} // namespace

class TestDistinctSigns : public QObject
{
    Q_OBJECT

private slots:
    void measuresTheGlyphs();
    void tellsLookAlikesApart_data();
    void tellsLookAlikesApart();
    void noTwoKeysOfOneWindowLookTheSame_data();
    void noTwoKeysOfOneWindowLookTheSame();
    void openingSignaturesAreDrawnAtOneSize();
    void gorgonFormsUnderTheNoteStandBelowTheirTwins();
};

void TestDistinctSigns::measuresTheGlyphs()
{
    // The check is only as good as its measure: an oligon is about half an em wide and sits
    // above the baseline, and a path's box is its points' box.
    const QRectF oligon = inkOf(SignGlyph{QStringLiteral("music"), QString::fromUcs4(U"\U0001D047"), {}, 1, {}});
    QVERIFY2(oligon.width() > 0.4 && oligon.width() < 0.6, qPrintable(QString::number(oligon.width())));
    QVERIFY(oligon.bottom() < 0);
    const QRectF path =
        inkOf(SignGlyph{QStringLiteral("path"), QStringLiteral("M 0 -0.5 L 0.3 -0.5 L 0.3 0 Z"), {}, 1, {}});
    QCOMPARE(path, QRectF(0, -0.5, 0.3, 0.5));
}

void TestDistinctSigns::tellsLookAlikesApart_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("same");
    // An oligon with a kentima over it, the kentima moved by the given em.
    const auto kentimaAt = [](double x) {
        return QStringLiteral(R"js({"windows":[{"window":"W","signs":[
            {"word":"a","glyphs":[{"cp":"1D047"},{"cp":"1D04F","x":0.3,"y":-0.2}]},
            {"word":"b","glyphs":[{"cp":"1D047"},{"cp":"1D04F","x":%1,"y":-0.2}]}]}]})js")
            .arg(x)
            .toUtf8();
    };
    QTest::newRow("same place") << kentimaAt(0.3) << true;
    QTest::newRow("a hair apart") << kentimaAt(0.38) << true;
    QTest::newRow("clearly apart") << kentimaAt(0.05) << false;
    QTest::newRow("moved as a whole") << QByteArray(R"js({"windows":[{"window":"W","signs":[
            {"word":"a","glyphs":[{"cp":"1D047"},{"cp":"1D04F","x":0.3,"y":-0.2}]},
            {"word":"b","glyphs":[{"cp":"1D047","x":1,"y":1},{"cp":"1D04F","x":1.3,"y":0.8}]}]}]})js")
                                      << true;
    QTest::newRow("other colour") << QByteArray(R"js({"windows":[{"window":"W","signs":[
            {"word":"a","glyphs":[{"cp":"1D047"}]},{"word":"b","glyphs":[{"cp":"1D047","color":"#d01818"}]}]}]})js")
                                  << false;
    QTest::newRow("one glyph more") << QByteArray(R"js({"windows":[{"window":"W","signs":[
            {"word":"a","glyphs":[{"cp":"1D047"}]},{"word":"b","glyphs":[{"cp":"1D047"},{"cp":"1D085","y":0.2}]}]}]})js")
                                    << false;
    QTest::newRow("half the size") << QByteArray(R"js({"windows":[{"window":"W","signs":[
            {"word":"a","glyphs":[{"cp":"1D047"},{"cp":"1D050","x":0.1,"y":-0.1}]},
            {"word":"b","glyphs":[{"cp":"1D047"},{"cp":"1D050","x":0.1,"y":-0.1,"scale":0.5}]}]}]})js")
                                   << false;
}

void TestDistinctSigns::tellsLookAlikesApart()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, same);
    const SignTable t = SignTable::fromJson(json);
    QCOMPARE(t.signs().size(), 2);
    const qreal d = distance(inkOf(t.signs().at(0)), inkOf(t.signs().at(1)));
    QVERIFY2((d < kVisible) == same, qPrintable(QStringLiteral("distance %1").arg(d)));
}

void TestDistinctSigns::noTwoKeysOfOneWindowLookTheSame_data()
{
    QTest::addColumn<QString>("window");
    const SignTable &t = SignTable::instance();
    QVERIFY2(t.loadError().isEmpty(), qPrintable(t.loadError()));
    for (const char *w : {"MainClient", "FormMartyries", "FormDiafora"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TestDistinctSigns::noTwoKeysOfOneWindowLookTheSame()
{
    QFETCH(QString, window);
    const SignTable &t = SignTable::instance();
    QList<const Sign *> signs;
    for (const Sign &s : t.signs())
        if (s.window == window)
            signs.append(&s);
    QVERIFY(signs.size() > 30);
    QList<QList<Ink>> ink;
    for (const Sign *s : signs)
        ink.append(inkOf(*s));
    QStringList alike;
    QString closest;
    qreal least = qInf();
    for (qsizetype i = 0; i < signs.size(); ++i)
        for (qsizetype j = i + 1; j < signs.size(); ++j) {
            if (sameOnPurpose(window, signs.at(i)->word, signs.at(j)->word))
                continue;
            const qreal d = distance(ink.at(i), ink.at(j));
            const QString pair =
                QStringLiteral("%1 = %2 (%3 em)").arg(signs.at(i)->word, signs.at(j)->word).arg(d, 0, 'f', 3);
            if (d < kVisible)
                alike.append(pair);
            if (d < least) {
                least = d;
                closest = pair;
            }
        }
    qInfo("closest pair of %s: %s", qPrintable(window),
          closest.isEmpty() ? "none, no two signs are built of the same glyphs" : qPrintable(closest));
    QVERIFY2(alike.isEmpty(), qPrintable(alike.join(QStringLiteral(", "))));
}

void TestDistinctSigns::openingSignaturesAreDrawnAtOneSize()
{
    // A tile whose sign is too wide for it is drawn smaller: a fthora beside the martyria or a long
    // mode caption must not shrink that tile's syllable below its neighbours'.
    const SignTable &t = SignTable::instance();
    QSet<qreal> ems;
    int withSyllable = 0;
    for (const SignItem &item : signItems(QStringLiteral("martyries_upper"))) {
        const Sign *s = t.find(QStringLiteral("FormMartyries"), item.word);
        QVERIFY2(s, qPrintable(item.word));
        // Tiles with a syllable carry a note letter (U+1D0E9 to U+1D0EF); the others are a mode sign
        // with its caption.
        const bool syllable = std::any_of(s->glyphs.begin(), s->glyphs.end(), [](const SignGlyph &g) {
            const QList<uint> cp = g.text.toUcs4();
            return g.font == u"music" && cp.size() == 1 && cp.first() >= 0x1D0E9 && cp.first() <= 0x1D0EF;
        });
        if (!syllable)
            continue;
        ++withSyllable;
        ems.insert(item.em);
        const QRectF ink = bounds(inkOf(*s));
        const qreal m = item.margin * qMin(item.rect.width(), item.rect.height());
        const qreal fits = qMin((item.rect.width() - 2 * m) / ink.width(), (item.rect.height() - 2 * m) / ink.height());
        QVERIFY2(fits >= item.em * 0.999,
                 qPrintable(QStringLiteral("%1 drawn at %2 instead of %3").arg(item.word).arg(fits).arg(item.em)));
    }
    QCOMPARE(withSyllable, 41);
    QCOMPARE(ems.size(), 1);
}

void TestDistinctSigns::gorgonFormsUnderTheNoteStandBelowTheirTwins()
{
    const SignTable &t = SignTable::instance();
    const QList<SignItem> items = signItems(QStringLiteral("gorgo"));
    QCOMPARE(items.size(), 26);
    QHash<QString, QRectF> over; // sign name -> tile, top row
    for (const SignItem &item : items)
        if (item.rect.center().y() < 35)
            over.insert(t.find(QStringLiteral("MainClient"), item.word)->name, item.rect);
    int twins = 0;
    for (const SignItem &item : items) {
        QString name = t.find(QStringLiteral("MainClient"), item.word)->name;
        if (!name.endsWith(u" (below)"))
            continue;
        name.chop(8);
        name.replace(QStringLiteral("GORGON NEO KATO"), QStringLiteral("GORGON NEO ANO"));
        if (!over.contains(name))
            continue; // a form only the bottom row has
        ++twins;
        const QRectF above = over.value(name);
        QVERIFY2(qAbs(above.center().x() - item.rect.center().x()) < above.width() / 4, qPrintable(item.word));
    }
    QCOMPARE(twins, 9);
}

QTEST_MAIN(TestDistinctSigns)
#include "tst_distinctsigns.moc"
