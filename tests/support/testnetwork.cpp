#include "testnetwork.h"

#include <QProcess>
#include <QStandardPaths>

namespace qd::test {

bool inIsolatedNetwork()
{
    return qEnvironmentVariable("QD_TEST_ISOLATED_NETWORK") == QLatin1String("1");
}

QString ip(const QStringList &args)
{
    QString program = QStandardPaths::findExecutable(QStringLiteral("ip"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("ip"),
                                                 {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (program.isEmpty())
        return QStringLiteral("no ip command (iproute2)");
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return QStringLiteral("ip %1: %2")
            .arg(args.join(QLatin1Char(' ')), said.isEmpty() ? process.errorString() : said);
    }
    return QString();
}

TestNetwork::TestNetwork(const QString &name, const QString &cidr, bool namedBroadcast) : m_name(name)
{
    if (!inIsolatedNetwork()) {
        m_error = QStringLiteral("not in an isolated network namespace");
        return;
    }
    const QString peer = name + QLatin1Char('p');
    m_error = ip({QStringLiteral("link"), QStringLiteral("add"), name, QStringLiteral("type"), QStringLiteral("veth"),
                  QStringLiteral("peer"), QStringLiteral("name"), peer});
    if (!m_error.isNull())
        return;
    m_made = true;
    QStringList address{QStringLiteral("addr"), QStringLiteral("add"), cidr};
    if (namedBroadcast)
        address << QStringLiteral("brd") << QStringLiteral("+");
    address << QStringLiteral("dev") << name;
    m_error = ip(address);
    if (m_error.isNull())
        m_error = ip({QStringLiteral("link"), QStringLiteral("set"), peer, QStringLiteral("up")});
    if (m_error.isNull())
        m_error = setUp(true);
}

TestNetwork::~TestNetwork()
{
    remove();
}

QString TestNetwork::setUp(bool up)
{
    return ip(
        {QStringLiteral("link"), QStringLiteral("set"), m_name, up ? QStringLiteral("up") : QStringLiteral("down")});
}

void TestNetwork::remove()
{
    // Removing one end of a veth pair removes both.
    if (m_made)
        ip({QStringLiteral("link"), QStringLiteral("del"), m_name});
    m_made = false;
}

} // namespace qd::test
