#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// A child program started from an argument list (never through a shell), with its standard input
// on a pipe and its standard output and standard error together on a second pipe. The object owns
// the launcher's ends of both pipes; the child's ends are closed in the launcher right after the
// start, so reading the output reports end-of-file once the child and anything it started have
// exited.
//
// The methods may be called from different threads at the same time (one reader, one waiter, one
// writer): the descriptors never change while the object lives.
class ChildProcess {
public:
    struct SpawnError {
        int code = 0; // errno value
        QString message;
    };

    // Starts `program` with `arguments` in `workingDirectory` (the launcher's own when empty), with
    // the launcher's environment. A program name without "/" is looked up on PATH. Returns null and
    // fills `error` when nothing was started; a program that cannot be executed is reported here,
    // not as a child that exits at once.
    //
    // The child gets SIGTERM when the calling thread ends, which for the user-interface thread is
    // when the launcher ends, however it ends (a SIGKILL included): call it from a thread that lives
    // as long as the child may.
    static std::unique_ptr<ChildProcess> spawn(const QString& program, const QStringList& arguments,
                                               const QString& workingDirectory, SpawnError* error = nullptr);

    // Closes the launcher's pipe ends. Neither kills nor collects the child.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    qint64 pid() const { return m_pid; }

    enum class ReadStatus { Data, Timeout, EndOfFile, Woken, Error };
    // Waits at most `timeoutMs` (negative: without limit) for output and reads what is there, up to
    // `capacity` bytes. Returns Woken, once per wakeReader(), when no output is waiting.
    ReadStatus readOutput(char* buffer, qsizetype capacity, int timeoutMs, qsizetype* bytesRead);
    // Makes a waiting (or the next) readOutput return. Callable from any thread.
    void wakeReader();

    // Writes `bytes` to the child's standard input, waiting at most `maxWaitMs` in total for room in
    // the pipe. Returns false when not everything was written: the child has closed its input or
    // has ended (an error, never a SIGPIPE), or it does not read and the pipe stayed full. Up to
    // 4096 bytes are written whole or not at all.
    bool writeInput(const QByteArray& bytes, int maxWaitMs);

    enum class WriteStatus { Done, Timeout, Closed };
    // Writes `bytes` from offset `*written` on, advancing `*written` by what the pipe took, and
    // waits at most `timeoutMs` for room. Done once everything is written; Closed when the child
    // has closed its input or has ended (an error, never a SIGPIPE).
    WriteStatus writeInputPart(const QByteArray& bytes, qsizetype* written, int timeoutMs);
    // True when a write could only fail: the child has closed its input or has ended. Never waits.
    bool inputClosed() const;

    // Blocks until the child has ended, without collecting it: until collect() its id stays taken,
    // so a kill aimed at it cannot hit an unrelated process that got the id later. Returns false
    // when there is nothing left to collect (someone else did, or SIGCHLD is ignored).
    bool waitForEnd();
    // Collects the ended child. Returns its exit code, 128 + the signal number when a signal ended
    // it, or -1 when the status is lost (someone else collected it).
    int collect();

private:
    ChildProcess() = default;

    qint64 m_pid = 0;
    int m_inputFd = -1;  // write end of the child's standard input
    int m_outputFd = -1; // read end of the child's standard output and error
    int m_wakeFd = -1;   // eventfd that interrupts readOutput
};

// True while a process with this id exists and has not ended; an ended process that has not been
// collected yet (a zombie) counts as ended. Does not collect it: that belongs to whoever waits for
// the child.
bool processExists(qint64 pid);

// Sends SIGKILL. Refuses ids that would address a group or every process (0 and below) and the
// launcher itself. Returns whether the signal was sent.
bool killProcess(qint64 pid);
