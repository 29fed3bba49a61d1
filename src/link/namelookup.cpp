#include "link/namelookup.h"

#include "link/socket_platform.h"

#include <QMetaObject>
#include <QUrl>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace qd::link {

namespace {

// The name as the resolver takes it: ASCII as it stands, anything else in its ACE form.
// Empty when the name cannot be written so; it is then not looked up at all.
QByteArray resolverName(const QString &host)
{
    bool ascii = true;
    for (const QChar c : host)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return host.toLatin1();
    return QUrl::toAce(host);
}

// The one lookup thread. It is started on the first lookup and never joined: at the program's
// end it may still sit in the resolver, and nothing waits for it.
class LookupWorker
{
public:
    using Done = std::function<void(quint32 address, int error)>;

    static LookupWorker &instance()
    {
        // Never destroyed, for the same reason.
        static LookupWorker *worker = new LookupWorker;
        return *worker;
    }

    void submit(QByteArray name, Done done)
    {
        Done replaced;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_waiting)
                replaced = std::move(m_waiting->done);
            m_waiting = Request{std::move(name), std::move(done)};
            if (!m_started) {
                m_started = true;
                std::thread([this] { run(); }).detach();
            }
        }
        m_wake.notify_one();
        if (replaced)
            replaced(0, platform::hostNotFoundError());
    }

private:
    struct Request
    {
        QByteArray name;
        Done done;
    };

    void run()
    {
        for (;;) {
            Request request;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_waiting.has_value(); });
                request = std::move(*m_waiting);
                m_waiting.reset();
            }
            quint32 address = 0;
            const int error = platform::lookupIPv4(request.name, &address);
            request.done(address, error);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_waiting;
    bool m_started = false;
};

} // namespace

// What the worker reaches the object through: cleared when the object goes, so that an answer
// that comes later is dropped instead of delivered to nothing.
struct NameLookup::Channel
{
    std::mutex mutex;
    NameLookup *target = nullptr;
};

std::optional<quint32> NameLookup::literalIPv4(const QString &host)
{
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        }
        const uint value = part.toUInt();
        if (value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    return address;
}

NameLookup::NameLookup(QObject *parent) : QObject(parent), m_channel(std::make_shared<Channel>())
{
    m_channel->target = this;
}

NameLookup::~NameLookup()
{
    const std::lock_guard<std::mutex> lock(m_channel->mutex);
    m_channel->target = nullptr;
}

void NameLookup::start(const QString &host)
{
    const quint64 generation = ++m_generation;
    const QByteArray name = resolverName(host);
    if (name.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, generation] { deliver(generation, 0, platform::hostNotFoundError()); }, Qt::QueuedConnection);
        return;
    }
    LookupWorker::instance().submit(name, [channel = m_channel, generation](quint32 address, int error) {
        // Posted while the lock is held, so the object cannot go in between; a posted call
        // to an object that has gone since is dropped with it.
        const std::lock_guard<std::mutex> lock(channel->mutex);
        if (NameLookup *target = channel->target) {
            QMetaObject::invokeMethod(
                target, [target, generation, address, error] { target->deliver(generation, address, error); },
                Qt::QueuedConnection);
        }
    });
}

void NameLookup::cancel()
{
    ++m_generation;
}

void NameLookup::deliver(quint64 generation, quint32 address, int error)
{
    if (generation != m_generation)
        return;
    emit finished(address, error);
}

int NameLookup::lookupAndWait(const QString &host, int timeoutMs, quint32 *address)
{
    const QByteArray name = resolverName(host);
    if (name.isEmpty())
        return platform::hostNotFoundError();
    struct Answer
    {
        std::mutex mutex;
        std::condition_variable ready;
        bool done = false;
        quint32 address = 0;
        int error = 0;
    };
    auto answer = std::make_shared<Answer>();
    LookupWorker::instance().submit(name, [answer](quint32 a, int error) {
        {
            const std::lock_guard<std::mutex> lock(answer->mutex);
            answer->done = true;
            answer->address = a;
            answer->error = error;
        }
        answer->ready.notify_all();
    });
    std::unique_lock<std::mutex> lock(answer->mutex);
    const auto done = [&answer] { return answer->done; };
    if (timeoutMs > 0)
        answer->ready.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    else
        answer->ready.wait(lock, done);
    if (!answer->done || answer->error != 0)
        return platform::hostNotFoundError();
    *address = answer->address;
    return 0;
}

} // namespace qd::link
