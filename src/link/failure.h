#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace qd::link {

// A failure of the link, carrying the text the user would see in the program's default error
// report. The text may be empty: a connect without host or port fails with an empty message.
class Failure : public std::exception
{
public:
    explicit Failure(QString text);

    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace qd::link
