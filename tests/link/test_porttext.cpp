// The port text of the settings window as a connect takes it.

#include "link/failure.h"
#include "link/porttext.h"

#include <QTest>

using qd::link::Failure;
using qd::link::portFromText;

class TestPortText : public QObject
{
    Q_OBJECT

private slots:
    void conversion_data();
    void conversion();
};

void TestPortText::conversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");      // when it converts
    QTest::addColumn<QString>("error"); // otherwise

    QTest::newRow("default") << QStringLiteral("6000") << 6000 << QString();
    QTest::newRow("0 passes, the connect refuses it") << QStringLiteral("0") << 0 << QString();
    QTest::newRow("highest") << QStringLiteral("65535") << 65535 << QString();
    QTest::newRow("plus sign") << QStringLiteral("+6000") << 6000 << QString();
    QTest::newRow("blanks around") << QStringLiteral(" 6000 ") << 6000 << QString();
    QTest::newRow("leading zeros") << QStringLiteral("06000") << 6000 << QString();

    // Out of range: refused, not cut to the low 16 bits (70000 would be port 4464).
    QTest::newRow("70000") << QStringLiteral("70000") << 0
                           << QStringLiteral("'70000' is not a valid port number (1 to 65535).");
    QTest::newRow("65536") << QStringLiteral("65536") << 0
                           << QStringLiteral("'65536' is not a valid port number (1 to 65535).");
    QTest::newRow("negative") << QStringLiteral("-1") << 0
                              << QStringLiteral("'-1' is not a valid port number (1 to 65535).");

    QTest::newRow("empty") << QString() << 0 << QStringLiteral("'' is not a valid integer value");
    QTest::newRow("letters") << QStringLiteral("abc") << 0 << QStringLiteral("'abc' is not a valid integer value");
    QTest::newRow("trailing letter") << QStringLiteral("6000x") << 0
                                     << QStringLiteral("'6000x' is not a valid integer value");
    QTest::newRow("sign alone") << QStringLiteral("-") << 0 << QStringLiteral("'-' is not a valid integer value");
    QTest::newRow("fraction") << QStringLiteral("60.5") << 0 << QStringLiteral("'60.5' is not a valid integer value");
    QTest::newRow("beyond 32 bits") << QStringLiteral("4294973296") << 0
                                    << QStringLiteral("'4294973296' is not a valid integer value");
    QTest::newRow("blank inside") << QStringLiteral("60 00") << 0
                                  << QStringLiteral("'60 00' is not a valid integer value");
    QTest::newRow("Arabic-Indic digits") << QString::fromUtf16(u"\u0666\u0660\u0660\u0660") << 0
                                         << QString::fromUtf16(
                                                u"'\u0666\u0660\u0660\u0660' is not a valid integer value");
}

void TestPortText::conversion()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    QFETCH(QString, error);
    try {
        const quint16 converted = portFromText(text);
        QVERIFY2(error.isNull(), "no failure");
        QCOMPARE(int(converted), port);
    } catch (const Failure &failure) {
        QCOMPARE(failure.text(), error);
    }
}

QTEST_APPLESS_MAIN(TestPortText)
#include "test_porttext.moc"
