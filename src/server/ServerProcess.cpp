#include "server/ServerProcess.h"

#include "platform/ChildProcess.h"
#include "platform/CodePage.h"
#include "platform/ThreadName.h"
#include "server/ConsoleChunker.h"

#include <QMutexLocker>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// After the server has ended, output that is still in the pipe is read. A process the server
// started in the background may keep the pipe open without ever writing, so the reader stops after
// this pause, or at the latest after DrainLimitMs.
constexpr int DrainIdleMs = 300;
constexpr int DrainLimitMs = 3000;

// The writer waits for room in the pipe in slices of this length, so that it notices the end of
// its run even when a process the server left behind keeps the pipe open without reading.
constexpr int WriteSliceMs = 100;

// Output the owner's thread has not taken yet, in characters. A reader that is this far ahead
// waits for the owner instead of holding an ever larger backlog; the console shows only its last
// 200000 bytes anyway.
constexpr qsizetype MaxPendingChars = 2 * 1024 * 1024;

// Large reads keep up with a flooding server; the chunker cuts them to console-sized pieces.
constexpr qsizetype ReadBufferBytes = 64 * 1024;

} // namespace

// std::thread rather than QThread: joining it is a pthread_join that the thread sanitizer sees.
struct ServerProcess::Run {
    std::unique_ptr<ChildProcess> child; // declared first: outlives the threads that use it
    bool startInGbk = false;
    std::function<ConsoleLines(const QString&)> processor;
    std::atomic<bool> abandoned{false}; // endRun() waits for the threads: the reader must not wait

    // Standard rather than Qt primitives: the thread sanitizer sees a std::condition_variable
    // release its mutex while waiting, not a QWaitCondition.
    std::mutex commandMutex; // guards commands and stopWriter's hand-over
    std::condition_variable commandQueued;
    std::deque<QByteArray> commands;
    std::atomic<bool> stopWriter{false};
    std::atomic<bool> inputClosed{false};

    std::thread reader;  // joined by the watcher
    std::thread writer;  // joined by the watcher
    std::thread watcher; // joined by endRun()

    void endWriter()
    {
        {
            std::lock_guard lock(commandMutex);
            stopWriter.store(true);
        }
        commandQueued.notify_all();
        if (writer.joinable())
            writer.join();
    }
};

ServerProcess::ServerProcess(QObject* parent) : QObject(parent)
{
    // Queued even when emitted on this thread: the slots take the lock that the emitter may hold.
    connect(this, &ServerProcess::linesPending, this, &ServerProcess::deliverLines, Qt::QueuedConnection);
    connect(this, &ServerProcess::exitPending, this, &ServerProcess::deliverExits, Qt::QueuedConnection);
}

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
    {
        QMutexLocker lock(&m_processorMutex);
        run->processor = m_processor;
    }
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
        raw->writer = std::thread([this, raw] { writeInput(raw); });
        raw->watcher = std::thread([this, raw] { watchExit(raw); });
    } catch (const std::system_error& e) {
        // Without its threads the process would be a server nobody hears or waits for.
        raw->abandoned.store(true);
        killProcess(raw->child->pid());
        if (raw->child->waitForEnd())
            raw->child->collect();
        raw->child->wakeReader();
        if (raw->reader.joinable())
            raw->reader.join();
        raw->endWriter();
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
    {
        // A reader that waits for this thread to take its backlog would never be joined.
        std::lock_guard lock(m_deliveryMutex);
        m_run->abandoned.store(true);
    }
    m_linesTaken.notify_all();
    // Only this thread replaces m_run, so it can be used without the lock while waiting; the
    // watcher needs the lock to finish.
    if (m_run->watcher.joinable())
        m_run->watcher.join();
    std::unique_ptr<Run> ended;
    QMutexLocker lock(&m_mutex);
    ended = std::move(m_run);
}

void ServerProcess::setChunkProcessor(std::function<ConsoleLines(const QString& chunk)> processor)
{
    QMutexLocker lock(&m_processorMutex);
    m_processor = std::move(processor);
}

bool ServerProcess::sendCommand(const QString& text)
{
    const QString line = text + QStringLiteral("\r\n");
    const QByteArray bytes = m_gbk.load() ? codepage::toGbk(line) : line.toUtf8();
    QMutexLocker lock(&m_mutex);
    if (!m_running.load() || !m_run)
        return false;
    Run* run = m_run.get();
    if (run->inputClosed.load() || run->child->inputClosed())
        return false;
    {
        std::lock_guard queueLock(run->commandMutex);
        if (run->stopWriter.load() || run->commands.size() >= size_t(MaxQueuedCommands))
            return false;
        run->commands.push_back(bytes);
    }
    run->commandQueued.notify_one();
    return true;
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

void ServerProcess::handOn(ConsoleLines&& lines)
{
    if (lines.isEmpty())
        return;
    qsizetype chars = 0;
    for (const ConsoleLine& line : lines)
        chars += line.text.size();
    std::lock_guard lock(m_deliveryMutex);
    if (m_pendingLines.isEmpty())
        m_pendingLines = std::move(lines);
    else
        m_pendingLines.append(lines);
    m_pendingChars += chars;
    if (!m_linesAnnounced) {
        m_linesAnnounced = true;
        emit linesPending(QPrivateSignal());
    }
}

void ServerProcess::deliverLines()
{
    ConsoleLines lines;
    {
        std::lock_guard lock(m_deliveryMutex);
        lines.swap(m_pendingLines);
        m_pendingChars = 0;
        m_linesAnnounced = false;
    }
    m_linesTaken.notify_all();
    if (!lines.isEmpty())
        emit linesReady(lines);
}

void ServerProcess::deliverExits()
{
    // Whatever output is still waiting came before the end.
    deliverLines();
    QList<Exit> exits;
    {
        std::lock_guard lock(m_deliveryMutex);
        exits.swap(m_pendingExits);
    }
    for (const Exit& exit : exits)
        emit finished(exit.pid, exit.status);
}

void ServerProcess::readOutput(Run* run)
{
    nameCurrentThread("ConsoleReader");
    ChildProcess* child = run->child.get();
    ConsoleChunker chunker(run->startInGbk);
    QByteArray buffer(ReadBufferBytes, Qt::Uninitialized);
    bool draining = false;
    std::chrono::steady_clock::time_point drainDeadline;

    // Every chunk of one read goes through the processor before the owner's thread hears of them:
    // one hand-over per read instead of one per chunk.
    auto process = [&](const QStringList& chunks) {
        // Before the processor runs, so that a command sent meanwhile goes out in the charset just seen.
        m_gbk.store(chunker.lastCharsetIsGbk());
        ConsoleLines lines;
        lines.reserve(chunks.size() * 4);
        for (const QString& chunk : chunks) {
            if (chunk.isEmpty())
                continue;
            if (run->processor)
                lines.append(run->processor(chunk));
            else
                lines.append({consolecolor::Ordinary, chunk});
        }
        handOn(std::move(lines));
        std::unique_lock lock(m_deliveryMutex);
        m_linesTaken.wait(lock, [&] { return m_pendingChars <= MaxPendingChars || run->abandoned.load(); });
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
            process(chunker.feed(QByteArray(buffer.constData(), bytesRead)));
        } else if (status == ChildProcess::ReadStatus::Timeout) {
            if (draining)
                break;
            process(chunker.flushPartial());
        } else if (status == ChildProcess::ReadStatus::Woken) {
            draining = true;
            drainDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DrainLimitMs);
        } else {
            break; // end of output, or the pipe failed
        }
    }
    process(chunker.finish());
}

void ServerProcess::writeInput(Run* run)
{
    nameCurrentThread("ConsoleWriter");
    ChildProcess* child = run->child.get();
    for (;;) {
        QByteArray command;
        {
            std::unique_lock lock(run->commandMutex);
            run->commandQueued.wait(lock, [run] { return !run->commands.empty() || run->stopWriter.load(); });
            if (run->stopWriter.load())
                return;
            command = std::move(run->commands.front());
            run->commands.pop_front();
        }
        // A command the pipe took in part is finished before anything else is written: the next
        // command glued to a fragment would be one nobody typed.
        qsizetype written = 0;
        for (;;) {
            const auto status = child->writeInputPart(command, &written, WriteSliceMs);
            if (status == ChildProcess::WriteStatus::Done)
                break;
            if (status == ChildProcess::WriteStatus::Closed) {
                run->inputClosed.store(true);
                std::lock_guard lock(run->commandMutex);
                run->commands.clear();
                break;
            }
            if (run->stopWriter.load())
                return;
        }
    }
}

void ServerProcess::watchExit(Run* run)
{
    nameCurrentThread("ExitWatcher");
    ChildProcess* child = run->child.get();
    int status = -1;
    const bool collectable = child->waitForEnd();
    {
        QMutexLocker lock(&m_mutex);
        if (collectable)
            status = child->collect();
        m_running.store(false);
    }
    run->endWriter();
    child->wakeReader();
    run->reader.join();
    {
        std::lock_guard lock(m_deliveryMutex);
        m_pendingExits.append({child->pid(), status});
    }
    emit exitPending(QPrivateSignal());
}
