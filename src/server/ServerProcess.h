#pragma once

#include "console/ConsoleLine.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class ChildProcess;

// The game server as a child process of the launcher: its console input and output pipes, a reader
// thread that turns the output into console runs, a writer thread that feeds it commands, and an
// exit watcher. The object lives on the thread that created it (the user-interface thread);
// linesReady() and finished() arrive there.
//
// Hand-overs to the owner's thread go through this object's own locked queues, announced by queued
// signals that carry no data: the announcement may be late or merged with others, never out of
// order. For each process, every chunk goes through the chunk processor on the reader thread, in
// order, and its runs reach linesReady() before finished() for that process. finished() is emitted
// exactly once per started process, also for one that start() replaced; its pid tells which.
class ServerProcess : public QObject {
    Q_OBJECT

public:
    struct StartResult {
        bool ok = false;
        QString error; // one console line's worth of text when !ok
    };

    explicit ServerProcess(QObject* parent = nullptr);
    // Kills a server that still runs, so that no thread of this object outlives it.
    ~ServerProcess() override;

    // Starts `program` in `workingDirectory`. A previous server that still runs is killed first and
    // its threads are ended. On failure no process and no thread exist and pid() is unchanged.
    // Commands go out in the charset last seen on the output; `startInGbk` sets it until the server
    // has printed a line that decides (a server started with -Dfile.encoding=GBK). The server gets
    // SIGTERM if the launcher dies, so call it on a thread that lives as long as the launcher.
    StartResult start(const QString& program, const QStringList& arguments, const QString& workingDirectory,
                      bool startInGbk = false);

    // True when the arguments ask the JVM for a GBK-family console charset (GBK, GB2312, GB18030).
    static bool argumentsAskForGbk(const QStringList& arguments);

    // Runs on the reader thread for each chunk of output, in order. Without one, a chunk becomes
    // one run of ordinary text. Any thread may set it before start(); a run keeps the one it
    // started with. It must not wait for the owner's thread: start() and the destructor wait for
    // the reader.
    void setChunkProcessor(std::function<ConsoleLines(const QString& chunk)> processor);

    // Queues `text` + "\r\n", encoded in the charset last seen on the output, for the writer thread,
    // and returns at once. A command reaches the server whole or not at all: it is refused (false)
    // when no server runs, the server has closed its input, or MaxQueuedCommands are still waiting
    // for a server that does not read; a command that the pipe took in part is finished before the
    // next one starts. Any thread.
    bool sendCommand(const QString& text);

    // True from a successful start() until the process has ended. Any thread.
    bool isRunning() const { return m_running.load(); }
    // The id of the last process started, 0 before the first; kept after that process has ended.
    qint64 pid() const { return m_pid.load(); }
    // SIGKILL to the running server. Returns whether a signal was sent. Any thread.
    bool terminate();
    // "UTF-8" or "GBK": how the last non-ASCII line of output was encoded. Any thread.
    QString lastCharset() const;

    // How long output may pause within a line before the part so far is shown (a prompt).
    static constexpr int PartialLineDelayMs = 100;
    // Commands waiting for a server that does not read, beyond what its input pipe holds.
    static constexpr int MaxQueuedCommands = 32;

signals:
    // Console runs of the running server, in order. While the owner's thread is busy the runs of
    // many chunks gather into one batch.
    void linesReady(const ConsoleLines& lines);
    // The process has ended and all its output has been handed on. `exitStatus` is its exit code,
    // 128 + the signal number when a signal ended it, or -1 when unknown.
    void finished(qint64 pid, int exitStatus);

    // Internal announcements from the reader and the watcher, queued to the owner's thread.
    void linesPending(QPrivateSignal);
    void exitPending(QPrivateSignal);

private:
    struct Run;
    struct Exit {
        qint64 pid = 0;
        int status = -1;
    };

    void readOutput(Run* run);
    void writeInput(Run* run);
    void watchExit(Run* run);
    void handOn(ConsoleLines&& lines);
    void deliverLines();
    void deliverExits();
    void endRun();

    mutable QMutex m_mutex; // guards m_run's child against replacement, and kill against collection
    std::unique_ptr<Run> m_run;
    std::atomic<bool> m_running{false};
    std::atomic<qint64> m_pid{0};
    std::atomic<bool> m_gbk{false};

    QMutex m_processorMutex;
    std::function<ConsoleLines(const QString&)> m_processor;

    // Hand-over to the owner's thread.
    std::mutex m_deliveryMutex;
    std::condition_variable m_linesTaken;
    ConsoleLines m_pendingLines;
    qsizetype m_pendingChars = 0;
    bool m_linesAnnounced = false;
    QList<Exit> m_pendingExits;
};
