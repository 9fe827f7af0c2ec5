#pragma once

#include "console/ConsoleLine.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class ChildProcess;

// The game server as a child process of the launcher: its console input and output pipes, a reader
// thread that hands the output on in text chunks, and an exit watcher. The object lives on the
// thread that created it (the user-interface thread); finished() arrives there.
//
// For each process: every chunk is handed to the chunk handler, on the reader thread and in order,
// before finished() for that process is posted. finished() is emitted exactly once per started
// process, also for one that start() replaced; its pid tells which process it was.
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
    // has printed a line that decides (a server started with -Dfile.encoding=GBK).
    StartResult start(const QString& program, const QStringList& arguments, const QString& workingDirectory,
                      bool startInGbk = false);

    // True when the arguments ask the JVM for a GBK-family console charset (GBK, GB2312, GB18030).
    static bool argumentsAskForGbk(const QStringList& arguments);

    // Called on the reader thread with each chunk of output. It must not wait for the owner thread
    // (no blocking queued call): start() and the destructor wait for the reader. Any thread.
    void setChunkHandler(std::function<void(const QString&)> handler);
    void setChunkProcessor(std::function<ConsoleLines(const QString&)> processor)
    {
        setChunkHandler([this, processor = std::move(processor)](const QString& chunk) {
            emit linesReady(processor(chunk));
        });
    }

    // Writes `text` + "\r\n" in one write, encoded in the charset last seen on the output. Returns
    // false, and does nothing else, when no server runs, it has closed its input, or its input
    // stays full (a server that does not read gets no more than a short wait). Any thread.
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

signals:
    void linesReady(const ConsoleLines& lines);
    // The process has ended and all its output has been handed on. `exitStatus` is its exit code,
    // 128 + the signal number when a signal ended it, or -1 when unknown.
    void finished(qint64 pid, int exitStatus);

private:
    struct Run;

    void readOutput(Run* run);
    void watchExit(Run* run);
    void deliver(const QStringList& chunks);
    void endRun();

    mutable QMutex m_mutex; // guards m_run's child against replacement, and kill against collection
    std::unique_ptr<Run> m_run;
    std::atomic<bool> m_running{false};
    std::atomic<qint64> m_pid{0};
    std::atomic<bool> m_gbk{false};

    QMutex m_handlerMutex;
    std::function<void(const QString&)> m_handler;
};
