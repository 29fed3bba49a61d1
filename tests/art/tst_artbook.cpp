// The main window's pictures: every one loads at its own size, every sign of the sign table draws
// ink, and the tiles lie under the keys that the window lays over them. The packed book and sign
// table that the program reads draw exactly what their JSON sources draw.

#include "art/artbook.h"
#include "art/signtable.h"

#include <QFile>
#include <QPainter>
#include <QRawFont>
#include <QTest>
#include <QThreadPool>

using qd::art::ArtBook;
using qd::art::SignTable;

namespace {

struct Key
{
    QString name;
    QRectF rect; // panel units
};

// A picture as the main window shows it: its own pixel size, the rectangle it is stretched to in
// its panel, the panel's scale and the keys laid over it.
struct Panel
{
    QString art;
    QSize pixels;
    QRectF picture;
    QPointF scale;
    QList<Key> keys;
};

// Keys on a grid: rows of names (empty for no key) at column x and row y positions.
QList<Key> grid(const QList<QStringList> &rows, const QList<int> &xs, const QList<int> &ys, int w, int h,
                const QHash<QString, QRectF> &special = {})
{
    QList<Key> keys;
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows.at(r).size(); ++c) {
            const QString &name = rows.at(r).at(c);
            if (name.isEmpty())
                continue;
            QRectF rect(xs.at(c), ys.at(r), w, h);
            if (special.contains(name)) {
                const QRectF s = special.value(name);
                // Negative values keep the grid's value.
                rect = QRectF(s.x() >= 0 ? s.x() : rect.x(), s.y() >= 0 ? s.y() : rect.y(),
                              s.width() > 0 ? s.width() : w, s.height() > 0 ? s.height() : h);
            }
            keys.append({name, rect});
        }
    return keys;
}

QList<Key> row(const QStringList &names, const QList<int> &xs, int y, int w, int h,
               const QHash<QString, QRectF> &special = {})
{
    return grid({names}, xs, {y}, w, h, special);
}

QStringList words(const char *list)
{
    return QString::fromLatin1(list).split(u' ');
}

// The main window's keys over each picture, as the window description places them.
QList<Panel> mainWindowPanels()
{
    const QRectF any(-1, -1, 0, 0);
    QList<Panel> p;
    p.append({QStringLiteral("katavasi1"),
              {180, 160},
              {8, 24, 180, 160},
              {1.65, 1.65},
              grid({words("c4 c3 c2 c1"), words("c12 c11 c10 c9"), words("c8 c7 c6 c5"), words("f2 c17 c14 c13")},
                   {8, 56, 100, 144}, {24, 64, 104, 144}, 41, 41)});
    p.append({QStringLiteral("katavasi2"),
              {180, 160},
              {8, 24, 180, 160},
              {1.65, 1.65},
              grid({words("e12 e13 e11 e9"), words("d6 d5 d4 d3"), words("d9 d7 d8 d2"), words("d11 d10 d1 d12")},
                   {8, 54, 100, 146}, {24, 64, 104, 144}, 41, 41, {{QStringLiteral("d4"), {98, -1, 0, 0}}})});
    p.append({QStringLiteral("loipa"),
              {136, 160},
              {8, 24, 136, 160},
              {1.65, 1.65},
              grid({words("e1 e2 e5"), words("e10 e4 e7"), words("f1 e3 e6"), words("f5 f4 e8")}, {8, 56, 102},
                   {24, 64, 104, 144}, 41, 41)});
    p.append({QStringLiteral("anavasi1"),
              {264, 160},
              {8, 24, 264, 160},
              {1.65, 1.65},
              grid({words("a1 a6 a7 a15 a19 a17"), words("a8 a9 a3 a4 a20 a18"), words("a2 a5 a16 b1 b5 b3"),
                    words("a12 a13 a14 b2 b6 b4")},
                   {8, 54, 96, 140, 182, 228}, {24, 62, 102, 142}, 41, 42)});
    p.append({QStringLiteral("anavasi2"),
              {264, 160},
              {8, 24, 264, 160},
              {1.65, 1.65},
              grid({words("b7 b12 b14 b9 b16 b20"),
                    words("b8 b15 b13 b10 b17 b11"),
                    {QString(), QString(), QString(), QString(), QStringLiteral("b19"), QStringLiteral("b18")}},
                   {8, 54, 96, 140, 182, 228}, {24, 62, 102}, 41, 42, {{QStringLiteral("b7"), {10, -1, 0, 0}}})});
    p.append({QStringLiteral("gorgo"),
              {592, 70},
              {8, 18, 592, 70},
              {1.7, 1.7},
              grid({words("kar6 xr24 xr22 xr20 xr18 xr19 xr16 xr4 xr3 xr10 xr6 xr7 xr8"),
                    words("kar5 kar7 xr21 xr17 xr15 xr13 xr5 xr1 xr2 xr9 xr11 xr12 xr14")},
                   {10, 54, 100, 146, 190, 238, 284, 328, 374, 420, 466, 510, 558}, {16, 52}, 41, 37,
                   {{QStringLiteral("xr11"), {464, -1, 0, 0}}, {QStringLiteral("xr14"), {556, -1, 0, 0}}})});
    p.append({QStringLiteral("fthores"),
              {449, 70},
              {8, 18, 592, 70},
              {1.7, 1.7},
              grid({words("ft8 ft7 ft6 ft5 ft13 ft14 ft15 ft16 ft19 ft20"),
                    words("ft1 ft2 ft3 ft4 ft9 ft10 ft11 ft12 ft17 ft18 ft21")},
                   {10, 62, 116, 170, 224, 276, 330, 386, 440, 494, 548}, {16, 52}, 50, 37,
                   {{QStringLiteral("ft2"), {64, -1, 0, 0}}, {QStringLiteral("ft9"), {222, -1, 0, 0}}})});
    p.append({QStringLiteral("martyries1"),
              {373, 51},
              {4, 14, 281, 45},
              {1.9, 1.7},
              row(words("m1 m2 m3 m4 m5 m6 m7 m8"), {6, 40, 76, 110, 144, 180, 214, 250}, 16, 33, 42,
                  {{QStringLiteral("m2"), {-1, -1, 35, 0}}})});
    p.append({QStringLiteral("martyries2"),
              {282, 43},
              {2, 14, 282, 43},
              {1.9, 1.7},
              row(words("o1 o2 o3 o4 o5 o6 o7 o8 o9"), {4, 34, 64, 94, 124, 154, 184, 220, 252}, 16, 31, 42,
                  {{QStringLiteral("o1"), {-1, -1, 29, 0}},
                   {QStringLiteral("o2"), {-1, -1, 29, 0}},
                   {QStringLiteral("o7"), {-1, -1, 35, 0}}})});
    p.append({QStringLiteral("diastoles"),
              {146, 35},
              {2, 18, 161, 41},
              {1.6, 1.7},
              row(words("di4 di3 di2 di1 di5"), {2, 34, 66, 98, 130}, 18, 31, 39,
                  {{QStringLiteral("di4"), {-1, -1, 30, 0}}, {QStringLiteral("di5"), {-1, -1, 33, 0}}})});
    p.append({QStringLiteral("ison2"),
              {143, 28},
              {8, 16, 143, 45},
              {1.9, 1.3},
              row(words("l1 l2 l3"), {12, 58, 106}, 16, 45, 42,
                  {{QStringLiteral("l1"), {-1, -1, 43, 0}}, {QStringLiteral("l3"), {-1, 18, 0, 0}}})});
    p.append({QStringLiteral("yfesi"),
              {255, 36},
              {4, 16, 265, 41},
              {1.75, 1.4},
              row(words("sa1 sa2 sa3 sa4 sa5 sa6"), {6, 49, 94, 138, 182, 224}, 16, 41, 42)});
    p.append({QStringLiteral("xronikiagogi1"),
              {261, 39},
              {6, 18, 261, 47},
              {1.75, 1.3},
              row(words("x8 x9 x10 x11 x12 x13 x14"), {6, 44, 82, 118, 156, 192, 230}, 20, 35, 42,
                  {{QStringLiteral("x8"), {-1, -1, 0, 43}}})});
    p.append({QStringLiteral("xronikiagogi2"),
              {252, 53},
              {6, 14, 261, 47},
              {1.75, 1.3},
              row(words("x1 x2 x3 x4 x5 x6 x7"), {6, 44, 82, 118, 156, 192, 230}, 16, 35, 42,
                  {{QStringLiteral("x1"), {-1, -1, 0, 43}}})});
    const auto keys = [](const QList<std::tuple<const char *, int, int, int, int>> &list) {
        QList<Key> out;
        for (const auto &[n, x, y, w, h] : list)
            out.append({QString::fromLatin1(n), QRectF(x, y, w, h)});
        return out;
    };
    p.append({QStringLiteral("poiotitas1"),
              {141, 191},
              {8, 24, 141, 191},
              {1.38, 1.32},
              keys({{"g4", 8, 26, 53, 35},
                    {"g5", 62, 26, 43, 34},
                    {"g6", 106, 26, 41, 34},
                    {"g15", 8, 64, 47, 35},
                    {"g16", 56, 64, 43, 35},
                    {"g17", 104, 64, 41, 35},
                    {"g1", 8, 102, 65, 35},
                    {"g2", 82, 102, 63, 35},
                    {"g7", 10, 140, 67, 37},
                    {"g8", 84, 140, 63, 37},
                    {"g9", 8, 180, 65, 35},
                    {"g11", 84, 180, 65, 35}})});
    p.append({QStringLiteral("poiotitas2"),
              {141, 191},
              {8, 24, 141, 191},
              {1.38, 1.32},
              keys({{"g13", 8, 24, 53, 34},
                    {"g19", 62, 24, 43, 34},
                    {"g14", 104, 24, 41, 34},
                    {"g20", 8, 64, 47, 25},
                    {"g21", 54, 64, 51, 25},
                    {"g24", 104, 64, 43, 25},
                    {"g22", 8, 96, 41, 34},
                    {"g23", 54, 96, 37, 34},
                    {"g3", 94, 96, 51, 33},
                    {"g18", 8, 136, 67, 35},
                    {"g25", 84, 136, 63, 35},
                    {"g10", 8, 176, 65, 37},
                    {"g12", 84, 176, 65, 37}})});
    p.append({QStringLiteral("toolgrid"),
              {243, 157},
              {0, 0, 269, 153},
              {1, 1},
              keys({{"rythmiseisshow", 8, 4, 58, 48},
                    {"SpeedButton15", 69, 4, 60, 48},
                    {"con_SpeedButton", 139, 4, 48, 48},
                    {"off", 202, 3, 62, 48},
                    {"martyriesshow", 8, 54, 58, 48},
                    {"SpeedButton14", 71, 54, 60, 48},
                    {"SpeedButton35", 140, 54, 55, 48},
                    {"SpeedButton2", 202, 54, 62, 48},
                    {"diaforashow", 6, 103, 58, 48},
                    {"n5", 71, 103, 60, 48},
                    {"SpeedButton25", 138, 104, 59, 43},
                    {"SpeedButton31", 202, 104, 59, 43}})});
    return p;
}

// The size a picture is shown at on a 1920 x 1080 screen (scale 1.875 x 1.5 on top of the panel's).
QSize shownSize(const Panel &panel)
{
    return QSize(qRound(panel.picture.width() * panel.scale.x() * 1.875),
                 qRound(panel.picture.height() * panel.scale.y() * 1.5));
}

int inkPixels(const QImage &img, const QRect &area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAlpha(img.pixel(x, y)) > 128)
                ++n;
    return n;
}

} // namespace

class TestArtBook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesLoadAtTheirSizes_data();
    void picturesLoadAtTheirSizes();
    void signsDrawInk_data();
    void signsDrawInk();
    void keysLieOverTiles_data();
    void keysLieOverTiles();
    void blankPartsStayTransparent();
    void stretchesEachAxisOnItsOwn();
    void unknownPictureDrawsNothing();
    void packedBookDrawsExactlyAsItsSources_data();
    void packedBookDrawsExactlyAsItsSources();
    void packedSignTableEqualsItsSources();
    void damagedPacksAreRefused_data();
    void damagedPacksAreRefused();
    void picturesDrawnOnSeveralThreadsAtOnceMatch();
};

void TestArtBook::initTestCase()
{
    const ArtBook &book = ArtBook::instance();
    QVERIFY2(book.loadErrors().isEmpty(), qPrintable(book.loadErrors()));
    QVERIFY(!ArtBook::musicFamily().isEmpty());
    QVERIFY(!ArtBook::textFamily().isEmpty());
}

void TestArtBook::picturesLoadAtTheirSizes_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QSize>("size");
    for (const Panel &p : mainWindowPanels())
        QTest::newRow(qPrintable(p.art)) << p.art << p.pixels;
    QTest::newRow("indicator_searching") << QStringLiteral("indicator_searching") << QSize(128, 128);
    QTest::newRow("indicator_connected") << QStringLiteral("indicator_connected") << QSize(64, 64);
}

void TestArtBook::picturesLoadAtTheirSizes()
{
    QFETCH(QString, id);
    QFETCH(QSize, size);
    const ArtBook &book = ArtBook::instance();
    QVERIFY(book.contains(id));
    QCOMPARE(book.size(id), size);
    const QImage img = book.render(id, size * 2);
    QCOMPARE(img.size(), size * 2);
    QCOMPARE(img.format(), QImage::Format_ARGB32_Premultiplied);
    QVERIFY(inkPixels(img, img.rect()) > img.width() * img.height() / 10);
}

void TestArtBook::signsDrawInk_data()
{
    QTest::addColumn<QString>("word");
    for (const QString &w : SignTable::instance().words())
        QTest::newRow(qPrintable(w)) << w;
}

void TestArtBook::signsDrawInk()
{
    QFETCH(QString, word);
    static QRawFont music = [] {
        QFile f(QStringLiteral(":/fonts/NotoMusic-Regular.ttf"));
        return f.open(QIODevice::ReadOnly) ? QRawFont(f.readAll(), 100) : QRawFont();
    }();
    QVERIFY(music.isValid());
    const auto *sign = SignTable::instance().find(word);
    QVERIFY(sign);
    for (const auto &g : sign->glyphs) {
        if (g.font != u"music")
            continue;
        for (char32_t c : g.text.toUcs4()) {
            QVERIFY2(c >= 0x1D000 && c <= 0x1D0F5, qPrintable(QString::number(uint(c), 16)));
            QVERIFY2(music.supportsCharacter(c), qPrintable(QString::number(uint(c), 16)));
        }
    }
    for (uint cp : sign->codePoints)
        if (cp >= 0x10000)
            QVERIFY2(cp <= 0x1D0F5 && music.supportsCharacter(char32_t(cp)), qPrintable(QString::number(cp, 16)));

    // Drawn in a tile the size of a key on a 1920 x 1080 screen, the sign must show: more than a
    // speck, and inside the tile.
    QImage img(96, 72, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(8, 8, 80, 56);
    ArtBook::drawShape(p, ArtBook::instance().signShape(word), tile, 120, 0.1);
    p.end();
    QVERIFY2(inkPixels(img, tile.toRect()) >= 40, qPrintable(QString::number(inkPixels(img, tile.toRect()))));
    QCOMPARE(inkPixels(img, img.rect()), inkPixels(img, tile.toRect()));
}

void TestArtBook::keysLieOverTiles_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QRectF>("picture");
    QTest::addColumn<QRectF>("key");
    for (const Panel &p : mainWindowPanels())
        for (const Key &k : p.keys)
            QTest::addRow("%s/%s", qPrintable(p.art), qPrintable(k.name))
                << p.art << shownSize(p) << p.picture << k.rect;
}

void TestArtBook::keysLieOverTiles()
{
    QFETCH(QString, id);
    QFETCH(QSize, shown);
    QFETCH(QRectF, picture);
    QFETCH(QRectF, key);
    static QHash<QString, QImage> cache;
    if (!cache.contains(id))
        cache.insert(id, ArtBook::instance().render(id, shown));
    const QImage &img = cache.value(id);
    const auto toPixels = [&](QPointF unit) {
        return QPointF((unit.x() - picture.x()) * shown.width() / picture.width(),
                       (unit.y() - picture.y()) * shown.height() / picture.height());
    };
    // The key's centre and a point a quarter of the way in from each corner all lie on opaque tile.
    const QPointF c = key.center();
    const QList<QPointF> probes = {c,
                                   {key.left() + key.width() / 4, key.top() + key.height() / 4},
                                   {key.right() - key.width() / 4, key.top() + key.height() / 4},
                                   {key.left() + key.width() / 4, key.bottom() - key.height() / 4},
                                   {key.right() - key.width() / 4, key.bottom() - key.height() / 4}};
    for (const QPointF &u : probes) {
        const QPoint px = toPixels(u).toPoint();
        QVERIFY2(img.rect().contains(px), qPrintable(QStringLiteral("(%1, %2)").arg(px.x()).arg(px.y())));
        QVERIFY2(qAlpha(img.pixel(px)) == 255,
                 qPrintable(QStringLiteral("background at (%1, %2)").arg(px.x()).arg(px.y())));
    }
}

void TestArtBook::blankPartsStayTransparent()
{
    // The second ascending page draws only fourteen tiles; the bottom left of the grid is empty.
    const QImage img = ArtBook::instance().render(QStringLiteral("anavasi2"), QSize(528, 320));
    QCOMPARE(qAlpha(img.pixel(20, 300)), 0);
    QCOMPARE(qAlpha(img.pixel(260, 240)), 0);
}

void TestArtBook::stretchesEachAxisOnItsOwn()
{
    // Painted into a target rectangle, the picture covers it and nothing outside it.
    QImage img(400, 300, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    ArtBook::instance().paint(p, QStringLiteral("yfesi"), QRectF(50, 100, 300, 120));
    p.end();
    QCOMPARE(inkPixels(img, QRect(0, 0, 400, 100)), 0);
    QCOMPARE(inkPixels(img, QRect(0, 220, 400, 80)), 0);
    QCOMPARE(inkPixels(img, QRect(0, 0, 50, 300)), 0);
    QCOMPARE(inkPixels(img, QRect(350, 0, 50, 300)), 0);
    // Six white tiles side by side: the middle row of the target is mostly tile.
    QVERIFY(inkPixels(img, QRect(50, 160, 300, 1)) > 250);
}

void TestArtBook::unknownPictureDrawsNothing()
{
    const ArtBook &book = ArtBook::instance();
    QVERIFY(!book.contains(QStringLiteral("nosuchpicture")));
    QVERIFY(book.size(QStringLiteral("nosuchpicture")).isEmpty());
    const QImage img = book.render(QStringLiteral("nosuchpicture"), QSize(20, 20));
    QCOMPARE(inkPixels(img, img.rect()), 0);
    QVERIFY(book.signShape(QStringLiteral("nosuchword")).isEmpty());
}

void TestArtBook::packedBookDrawsExactlyAsItsSources_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QSize>("pixels");
    for (const QString &id : ArtBook::instance().ids()) {
        const QSize own = ArtBook::instance().size(id);
        QTest::addRow("%s own size", qPrintable(id)) << id << own;
        // Stretched unevenly and large, as on a 4K screen: any drift of an outline shows here.
        QTest::addRow("%s stretched", qPrintable(id)) << id << QSize(own.width() * 37 / 10, own.height() * 29 / 10);
    }
}

void TestArtBook::packedBookDrawsExactlyAsItsSources()
{
    QFETCH(QString, id);
    QFETCH(QSize, pixels);
    // The program reads the packed book; the JSON sources and the fonts stay the truth.
    const ArtBook &packed = ArtBook::instance();
    QVERIFY(packed.isPacked());
    static const ArtBook sources = ArtBook::fromSources();
    QVERIFY(!sources.isPacked());
    QCOMPARE(packed.ids(), sources.ids());
    QCOMPARE(packed.size(id), sources.size(id));
    QVERIFY(packed.render(id, pixels) == sources.render(id, pixels));
}

void TestArtBook::packedSignTableEqualsItsSources()
{
    const SignTable &packed = SignTable::instance();
    const SignTable sources = SignTable::fromSources();
    QVERIFY(sources.loadError().isEmpty());
    QCOMPARE(packed.loadError(), sources.loadError());
    QCOMPARE(packed.signs().size(), sources.signs().size());
    for (qsizetype i = 0; i < sources.signs().size(); ++i) {
        const auto &a = packed.signs().at(i);
        const auto &b = sources.signs().at(i);
        QCOMPARE(a.window, b.window);
        QCOMPARE(a.word, b.word);
        QCOMPARE(a.name, b.name);
        QCOMPARE(a.codePoints, b.codePoints);
        QCOMPARE(a.glyphs.size(), b.glyphs.size());
        for (qsizetype g = 0; g < b.glyphs.size(); ++g) {
            QCOMPARE(a.glyphs.at(g).font, b.glyphs.at(g).font);
            QCOMPARE(a.glyphs.at(g).text, b.glyphs.at(g).text);
            QVERIFY(a.glyphs.at(g).offset == b.glyphs.at(g).offset);
            QVERIFY(a.glyphs.at(g).scale == b.glyphs.at(g).scale);
            QCOMPARE(a.glyphs.at(g).color, b.glyphs.at(g).color);
        }
    }
    QCOMPARE(packed.words(), sources.words());
    QCOMPARE(packed.signName(QStringLiteral("a15")), sources.signName(QStringLiteral("a15")));
    // Every sign of the packed book is drawn as the sources draw it.
    static const ArtBook book = ArtBook::fromSources();
    for (const QString &word : sources.words()) {
        QImage a(120, 90, QImage::Format_ARGB32_Premultiplied), b = a;
        a.fill(Qt::transparent);
        b.fill(Qt::transparent);
        QPainter pa(&a), pb(&b);
        pa.setRenderHint(QPainter::Antialiasing);
        pb.setRenderHint(QPainter::Antialiasing);
        ArtBook::drawShape(pa, ArtBook::instance().signShape(word), QRectF(3, 3, 114, 84), 200, 0.05);
        ArtBook::drawShape(pb, book.signShape(word), QRectF(3, 3, 114, 84), 200, 0.05);
        pa.end();
        pb.end();
        QVERIFY2(a == b, qPrintable(word));
    }
}

void TestArtBook::damagedPacksAreRefused_data()
{
    const QByteArray book = ArtBook::fromSources().packed();
    const QByteArray signs = SignTable::fromSources().packed();
    QTest::addColumn<bool>("isBook");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("book, empty") << true << QByteArray();
    QTest::newRow("book, not a pack") << true << QByteArray("{\"size\": [1, 1], \"items\": []}");
    QTest::newRow("book, cut in half") << true << book.left(book.size() / 2);
    QTest::newRow("book, a byte too many") << true << book + '\0';
    QTest::newRow("book, a sign table") << true << signs;
    QTest::newRow("signs, empty") << false << QByteArray();
    QTest::newRow("signs, cut short") << false << signs.chopped(3);
    QTest::newRow("signs, a byte too many") << false << signs + '\0';
    QTest::newRow("signs, a book") << false << book;
}

void TestArtBook::damagedPacksAreRefused()
{
    QFETCH(bool, isBook);
    QFETCH(QByteArray, data);
    QString error;
    if (isBook) {
        const ArtBook book = ArtBook::fromPacked(data, &error);
        QVERIFY(!book.isPacked());
        QVERIFY(book.ids().isEmpty());
    } else {
        const SignTable table = SignTable::fromPacked(data, &error);
        QVERIFY(table.signs().isEmpty());
    }
    QVERIFY(!error.isEmpty());
}

void TestArtBook::picturesDrawnOnSeveralThreadsAtOnceMatch()
{
    // The windows draw their pictures side by side on the thread pool, all from the one book.
    const ArtBook &book = ArtBook::instance();
    QStringList ids = book.ids();
    ids += ids; // the same pictures twice at once share every outline
    QList<QImage> alone;
    for (const QString &id : std::as_const(ids))
        alone.append(book.render(id, book.size(id) * 3));
    QList<QImage> together(ids.size());
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    for (qsizetype i = 0; i < ids.size(); ++i)
        pool.start([&, i] { together[i] = book.render(ids.at(i), book.size(ids.at(i)) * 3); });
    QVERIFY(pool.waitForDone(120000));
    for (qsizetype i = 0; i < ids.size(); ++i)
        QVERIFY2(together.at(i) == alone.at(i), qPrintable(ids.at(i)));
}

QTEST_MAIN(TestArtBook)
#include "tst_artbook.moc"
