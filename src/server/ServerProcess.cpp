#include "server/ServerProcess.h"

#include "platform/ChildProcess.h"
#include "platform/CodePage.h"
#include "server/ConsoleChunker.h"

#include <QMetaObject>
#include <QMutexLocker>

#include <algorithm>
#include <chrono>
#include <pthread.h>
#include <system_error>
#include <thread>

namespace {

// After the server has ended, output that is still in the pipe is read. A process the server
// started in the background may keep the pipe open without ever writing, so the reader stops after
// this pause, or at the latest after DrainLimitMs.
constexpr int DrainIdleMs = 300;
constexpr int DrainLimitMs = 3000;

// A server that does not read its input (hung, or busy starting up) gets this long for room in the
// pipe before a command is dropped; a blocked user-interface thread would be worse than a lost
// command, and commands are short enough to go into the pipe whole or not at all.
constexpr int CommandWaitMs = 200;

// Large reads keep up with a flooding server; the chunker cuts them to console-sized pieces.
constexpr qsizetype ReadBufferBytes = 64 * 1024;

} // namespace

// std::thread rather than QThread: joining it is a pthread_join that the thread sanitizer sees.
struct ServerProcess::Run {
    std::unique_ptr<ChildProcess> child; // declared first: outlives the threads that use it
    bool startInGbk = false;
    std::thread reader;  // joined by the watcher
    std::thread watcher; // joined by endRun()
};

ServerProcess::ServerProcess(QObject* parent) : QObject(parent) {}

bool ServerProcess::argumentsAskForGbk(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1String("-Dfile.encoding="), Qt::CaseInsensitive))
            continue;
        const QString charset = argument.mid(16).trimmed().toUpper();
        return charset == QLatin1String("GBK") || charset == QLatin1String("GB2312") ||
               charset == QLatin1String("GB18030") || charset == QLatin1String("CP936");
    }
    return false;
}

ServerProcess::~ServerProcess()
{
    endRun();
}

ServerProcess::StartResult ServerProcess::start(const QString& program, const QStringList& arguments,
                                                const QString& workingDirectory, bool startInGbk)
{
    endRun();

    ChildProcess::SpawnError error;
    std::unique_ptr<ChildProcess> child = ChildProcess::spawn(program, arguments, workingDirectory, &error);
    if (!child)
        return {false, QStringLiteral("服务器进程创建失败，") + error.message};

    auto run = std::make_unique<Run>();
    run->child = std::move(child);
    run->startInGbk = startInGbk;
    Run* raw = run.get();
    m_gbk.store(startInGbk);
    const qint64 previousPid = m_pid.exchange(raw->child->pid());
    {
        QMutexLocker lock(&m_mutex);
        m_run = std::move(run);
        m_running.store(true);
    }
    try {
        raw->reader = std::thread([this, raw] { readOutput(raw); });
        raw->watcher = std::thread([this, raw] { watchExit(raw); });
    } catch (const std::system_error& e) {
        // Without its threads the process would be a server nobody hears or waits for.
        killProcess(raw->child->pid());
        if (raw->child->waitForEnd())
            raw->child->collect();
        raw->child->wakeReader();
        if (raw->reader.joinable())
            raw->reader.join();
        std::unique_ptr<Run> failed;
        {
            QMutexLocker lock(&m_mutex);
            m_running.store(false);
            failed = std::move(m_run);
        }
        m_pid.store(previousPid);
        return {false,
                QStringLiteral("服务器进程创建失败，无法创建线程：") + QString::fromLocal8Bit(e.what())};
    }
    return {true, {}};
}

void ServerProcess::endRun()
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_run)
            return;
        // Under the lock: the watcher collects the child under it too, so the id cannot have been
        // handed to another process yet.
        if (m_running.load())
            killProcess(m_run->child->pid());
    }
    // Only this thread replaces m_run, so it can be used without the lock while waiting; the
    // watcher needs the lock to finish.
    if (m_run->watcher.joinable())
        m_run->watcher.join();
    std::unique_ptr<Run> ended;
    QMutexLocker lock(&m_mutex);
    ended = std::move(m_run);
}

void ServerProcess::setChunkHandler(std::function<void(const QString&)> handler)
{
    QMutexLocker lock(&m_handlerMutex);
    m_handler = std::move(handler);
}

bool ServerProcess::sendCommand(const QString& text)
{
    const QString line = text + QStringLiteral("\r\n");
    const QByteArray bytes = m_gbk.load() ? codepage::toGbk(line) : line.toUtf8();
    QMutexLocker lock(&m_mutex);
    if (!m_running.load() || !m_run)
        return false;
    return m_run->child->writeInput(bytes, CommandWaitMs);
}

bool ServerProcess::terminate()
{
    QMutexLocker lock(&m_mutex);
    if (!m_running.load() || !m_run)
        return false;
    return killProcess(m_run->child->pid());
}

QString ServerProcess::lastCharset() const
{
    return m_gbk.load() ? QStringLiteral("GBK") : QStringLiteral("UTF-8");
}

void ServerProcess::deliver(const QStringList& chunks)
{
    if (chunks.isEmpty())
        return;
    std::function<void(const QString&)> handler;
    {
        QMutexLocker lock(&m_handlerMutex);
        handler = m_handler;
    }
    if (!handler)
        return;
    for (const QString& chunk : chunks) {
        if (!chunk.isEmpty())
            handler(chunk);
    }
}

void ServerProcess::readOutput(Run* run)
{
    ::pthread_setname_np(::pthread_self(), "ConsoleReader");
    ChildProcess* child = run->child.get();
    ConsoleChunker chunker(run->startInGbk);
    QByteArray buffer(ReadBufferBytes, Qt::Uninitialized);
    bool draining = false;
    std::chrono::steady_clock::time_point drainDeadline;

    auto handOn = [&](const QStringList& chunks) {
        // Before the handler runs, so that a command it sends goes out in the charset it just saw.
        m_gbk.store(chunker.lastCharsetIsGbk());
        deliver(chunks);
    };

    for (;;) {
        int timeout = chunker.hasPending() ? PartialLineDelayMs : -1;
        if (draining) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  drainDeadline - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0)
                break;
            timeout = static_cast<int>(std::min<qint64>(left, DrainIdleMs));
        }
        qsizetype bytesRead = 0;
        const ChildProcess::ReadStatus status =
            child->readOutput(buffer.data(), buffer.size(), timeout, &bytesRead);
        if (status == ChildProcess::ReadStatus::Data) {
            handOn(chunker.feed(QByteArray(buffer.constData(), bytesRead)));
        } else if (status == ChildProcess::ReadStatus::Timeout) {
            if (draining)
                break;
            handOn(chunker.flushPartial());
        } else if (status == ChildProcess::ReadStatus::Woken) {
            draining = true;
            drainDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DrainLimitMs);
        } else {
            break; // end of output, or the pipe failed
        }
    }
    handOn(chunker.finish());
}

void ServerProcess::watchExit(Run* run)
{
    ::pthread_setname_np(::pthread_self(), "ExitWatcher");
    ChildProcess* child = run->child.get();
    int status = -1;
    const bool collectable = child->waitForEnd();
    {
        QMutexLocker lock(&m_mutex);
        if (collectable)
            status = child->collect();
        m_running.store(false);
    }
    child->wakeReader();
    run->reader.join();
    const qint64 pid = child->pid();
    QMetaObject::invokeMethod(
        this, [this, pid, status] { emit finished(pid, status); }, Qt::QueuedConnection);
}
