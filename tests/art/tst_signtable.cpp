// The sign table's file format: how entries, glyphs and code points are read, and what the bundled
// table holds for the main window.

#include "art/signtable.h"

#include <QSet>
#include <QTest>

using qd::art::SignTable;

class TestSignTable : public QObject
{
    Q_OBJECT

private slots:
    void readsGlyphsWithDefaults();
    void codePointsFromGlyphsOrOverride();
    void firstWindowWinsForSharedWords();
    void brokenFileReportsError();
    void bundledTableHasTheMainWindowWords();
};

void TestSignTable::readsGlyphsWithDefaults()
{
    const QByteArray json = R"js({"windows":[{"window":"W","signs":[
        {"word":"a1","name":"oligon + kentima","glyphs":[
            {"cp":"1D047"},
            {"font":"music","cp":"1D04F","x":0.25,"y":-0.1,"scale":0.5,"color":"#d01818"},
            {"font":"text","text":"(Ν)"}]}]}]})js";
    QString error;
    const SignTable t = SignTable::fromJson(json, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const auto *s = t.find(QStringLiteral("a1"));
    QVERIFY(s);
    QCOMPARE(s->window, QStringLiteral("W"));
    QCOMPARE(s->name, QStringLiteral("oligon + kentima"));
    QCOMPARE(s->glyphs.size(), 3);
    const auto &carrier = s->glyphs.at(0);
    QCOMPARE(carrier.font, QStringLiteral("music"));
    QCOMPARE(carrier.text, QString::fromUcs4(U"\U0001D047"));
    QCOMPARE(carrier.offset, QPointF(0, 0));
    QCOMPARE(carrier.scale, 1.0);
    QCOMPARE(carrier.color, QStringLiteral("#000000"));
    const auto &mark = s->glyphs.at(1);
    QCOMPARE(mark.offset, QPointF(0.25, -0.1));
    QCOMPARE(mark.scale, 0.5);
    QCOMPARE(mark.color, QStringLiteral("#d01818"));
    QCOMPARE(s->glyphs.at(2).text, QStringLiteral("(Ν)"));
    QCOMPARE(t.signName(QStringLiteral("a1")), QStringLiteral("oligon + kentima"));
    QVERIFY(t.signName(QStringLiteral("a99")).isEmpty());
    QVERIFY(!t.find(QStringLiteral("A1"))); // words are case-sensitive
}

void TestSignTable::codePointsFromGlyphsOrOverride()
{
    const QByteArray json = R"js({"windows":[{"window":"W","signs":[
        {"word":"x","name":"n","glyphs":[{"cp":"1D047"},{"cp":"1D04F"},{"cp":"1D047","x":1}]},
        {"word":"y","name":"n","cp":"1D090","glyphs":[{"cp":"1D08F"},{"cp":"1D085"}]},
        {"word":"z","name":"n","glyphs":[{"font":"path","text":"M 0 0 L 1 0 L 1 1 Z"}]}]}]})js";
    const SignTable t = SignTable::fromJson(json);
    QCOMPARE(t.find(QStringLiteral("x"))->codePoints, (QList<uint>{0x1D047, 0x1D04F}));
    // A sign drawn from stand-in glyphs names the character it stands for.
    QCOMPARE(t.find(QStringLiteral("y"))->codePoints, (QList<uint>{0x1D090}));
    QVERIFY(t.find(QStringLiteral("z"))->codePoints.isEmpty());
}

void TestSignTable::firstWindowWinsForSharedWords()
{
    const QByteArray json = R"js({"windows":[
        {"window":"MainClient","signs":[{"word":"SpeedButton25","name":"move left"},{"word":"n5","name":"lines"}]},
        {"window":"moveform","signs":[{"word":"SpeedButton25","name":"left"}]}]})js";
    const SignTable t = SignTable::fromJson(json);
    QCOMPARE(t.signName(QStringLiteral("SpeedButton25")), QStringLiteral("move left"));
    QCOMPARE(t.find(QStringLiteral("moveform"), QStringLiteral("SpeedButton25"))->name, QStringLiteral("left"));
    QCOMPARE(t.words(), (QStringList{QStringLiteral("SpeedButton25"), QStringLiteral("n5")}));
    QCOMPARE(t.words(QStringLiteral("moveform")), QStringList{QStringLiteral("SpeedButton25")});
    QCOMPARE(t.windows(), (QStringList{QStringLiteral("MainClient"), QStringLiteral("moveform")}));
}

void TestSignTable::brokenFileReportsError()
{
    QString error;
    const SignTable t = SignTable::fromJson(R"js({"windows":[{"window":"W","signs":[{"word":"a1",}]}]})js", &error);
    QVERIFY(!error.isEmpty());
    QVERIFY(t.words().isEmpty());
    QString missing;
    SignTable::fromJson(R"js({"windows":[{"window":"W","signs":[{"name":"no word"}]}]})js", &missing);
    QVERIFY(missing.contains(u"without a word"));
}

void TestSignTable::bundledTableHasTheMainWindowWords()
{
    const SignTable &t = SignTable::instance();
    QVERIFY2(t.loadError().isEmpty(), qPrintable(t.loadError()));
    const QStringList words = t.words(QStringLiteral("MainClient"));
    QCOMPARE(words.size(), 214);
    QCOMPARE(QSet<QString>(words.begin(), words.end()).size(), 214);

    // The numbering of each prefix, with its gaps.
    QSet<QString> expected;
    const auto range = [&](const char *prefix, int from, int to) {
        for (int i = from; i <= to; ++i)
            expected.insert(QString::fromLatin1(prefix) + QString::number(i));
    };
    range("a", 1, 9);
    range("a", 12, 20);
    range("b", 1, 20);
    range("c", 1, 14);
    range("c", 17, 17);
    range("d", 1, 12);
    range("di", 1, 5);
    range("e", 1, 13);
    range("f", 1, 2);
    range("f", 4, 5);
    range("ft", 1, 21);
    range("g", 1, 25);
    range("k", 1, 8);
    range("kar", 5, 7);
    range("l", 1, 3);
    range("m", 1, 8);
    range("o", 1, 9);
    range("sa", 1, 6);
    range("x", 1, 14);
    range("xr", 1, 22);
    range("xr", 24, 24);
    for (const char *w :
         {"SpeedButton14", "SpeedButton15", "SpeedButton25", "SpeedButton31", "SpeedButton35", "n5", "CheckBox1"})
        expected.insert(QString::fromLatin1(w));
    QCOMPARE(expected.size(), 214);
    QCOMPARE(QSet<QString>(words.begin(), words.end()), expected);

    // Words shared with the arrange window name the main window's sign.
    QCOMPARE(t.find(QStringLiteral("SpeedButton25"))->window, QStringLiteral("MainClient"));
    QCOMPARE(t.find(QStringLiteral("SpeedButton31"))->window, QStringLiteral("MainClient"));

    for (const QString &w : words) {
        const auto *s = t.find(QStringLiteral("MainClient"), w);
        QVERIFY2(!s->name.isEmpty(), qPrintable(w));
        QVERIFY2(!s->glyphs.isEmpty(), qPrintable(w));
    }
}

QTEST_APPLESS_MAIN(TestSignTable)
#include "tst_signtable.moc"
