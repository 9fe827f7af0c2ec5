#include "platform/ChildProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::generic_category().message(code));
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// A write to the input pipe of a server that has died must fail with EPIPE instead of ending the
// launcher. The process-wide SIGPIPE disposition belongs to others (a crash reporter may have a
// handler on it), so the signal is blocked on the writing thread only and a SIGPIPE that the write
// raised is taken back before the block is lifted: SIGPIPE from a write goes to the writing thread.
class SigpipeGuard {
public:
    SigpipeGuard()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
    }
    ~SigpipeGuard()
    {
        if (m_raised && !m_wasPending) {
            const timespec noWait{};
            while (::sigtimedwait(&m_pipe, nullptr, &noWait) < 0 && errno == EINTR) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    void noteEpipe() { m_raised = true; }

private:
    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending = false;
    bool m_raised = false;
};

// Keeps a pipe end away from 0..2: the child's dup2 onto the same number would leave its
// close-on-exec flag set and the child would start without that stream.
bool moveAboveStdio(int& fd)
{
    if (fd > 2)
        return true;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (moved < 0)
        return false;
    ::close(fd);
    fd = moved;
    return true;
}

struct ChildSetup {
    pid_t parent = 0;
    const char* executable = nullptr;
    char* const* argv = nullptr;
    const char* directory = nullptr; // null: stay in the launcher's
    int input = -1;
    int output = -1;
    int errorReport = -1; // close-on-exec; gets errno when the set-up or the exec fails
};

// Runs in the forked child: async-signal-safe calls only.
[[noreturn]] void runChild(const ChildSetup& setup)
{
    auto failWith = [&setup](int code) {
        ssize_t ignored = ::write(setup.errorReport, &code, sizeof code);
        (void)ignored;
        ::_exit(127);
    };
    // A launcher that is killed cannot stop its server, and a game server does not end when its
    // input closes: it would live on holding the port. SIGTERM lets Java run the server's shutdown
    // hook (the world is saved). The signal follows the death of the thread that forked, so spawn()
    // is called from a thread that lives as long as the launcher (the user-interface thread).
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0)
        failWith(errno);
    // The launcher may have died before the line above took effect.
    if (::getppid() != setup.parent)
        ::_exit(127);

    // Whatever the launcher's own signal set-up, the server starts with the ordinary one.
    sigset_t none;
    sigemptyset(&none);
    ::pthread_sigmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &byDefault, nullptr);
    ::sigaction(SIGTERM, &byDefault, nullptr);

    if (::dup2(setup.input, STDIN_FILENO) < 0 || ::dup2(setup.output, STDOUT_FILENO) < 0 ||
        ::dup2(setup.output, STDERR_FILENO) < 0)
        failWith(errno);
    if (setup.directory && ::chdir(setup.directory) != 0)
        failWith(errno);
    // Descriptors that other code opened without close-on-exec (a listening socket, a log file)
    // must not end up held by the server for its whole life.
    const unsigned report = static_cast<unsigned>(setup.errorReport);
    if (report > 3)
        ::close_range(3, report - 1, 0);
    ::close_range(report + 1, ~0U, 0);
    ::execve(setup.executable, setup.argv, environ);
    failWith(errno);
    ::_exit(127);
}

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

std::unique_ptr<ChildProcess> ChildProcess::spawn(const QString& program, const QStringList& arguments,
                                                  const QString& workingDirectory, SpawnError* error)
{
    auto fail = [error](int code, const QString& message) {
        if (error)
            *error = {code, message};
        return std::unique_ptr<ChildProcess>();
    };

    if (program.isEmpty())
        return fail(ENOENT, QStringLiteral("无法运行程序：未指定程序"));

    // The child changes into the working directory before exec, so a relative program path is
    // resolved against the launcher's directory first.
    QString programPath = program;
    if (program.contains(QLatin1Char('/')) && QFileInfo(program).isRelative())
        programPath = QFileInfo(program).absoluteFilePath();

    // Checked here as well so that the message names the folder; a failing chdir inside the spawn
    // only yields an errno that reads like a missing program.
    if (!workingDirectory.isEmpty()) {
        const QFileInfo dirInfo(workingDirectory);
        if (!dirInfo.isDir()) {
            const int code = dirInfo.exists() ? ENOTDIR : ENOENT;
            return fail(code,
                        QStringLiteral("工作目录 %1 不可用：%2").arg(workingDirectory, errnoText(code)));
        }
    }

    int inputPipe[2] = {-1, -1};
    int outputPipe[2] = {-1, -1};
    if (::pipe2(inputPipe, O_CLOEXEC) != 0 || ::pipe2(outputPipe, O_CLOEXEC) != 0) {
        const int code = errno;
        for (int& fd : inputPipe)
            closeFd(fd);
        for (int& fd : outputPipe)
            closeFd(fd);
        return fail(code, QStringLiteral("无法创建管道：%1").arg(errnoText(code)));
    }
    auto closeAll = [&] {
        for (int& fd : inputPipe)
            closeFd(fd);
        for (int& fd : outputPipe)
            closeFd(fd);
    };
    if (!moveAboveStdio(inputPipe[0]) || !moveAboveStdio(outputPipe[1])) {
        const int code = errno;
        closeAll();
        return fail(code, QStringLiteral("无法创建管道：%1").arg(errnoText(code)));
    }

    const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        const int code = errno;
        closeAll();
        return fail(code, QStringLiteral("无法创建管道：%1").arg(errnoText(code)));
    }

    const QByteArray programBytes = QFile::encodeName(programPath);
    const QByteArray directoryBytes = QFile::encodeName(workingDirectory);
    std::vector<QByteArray> argBytes;
    argBytes.reserve(static_cast<size_t>(arguments.size()) + 1);
    argBytes.push_back(programBytes);
    for (const QString& argument : arguments)
        argBytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& bytes : argBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    // The child's set-up is computed here: between fork and exec only async-signal-safe calls are
    // allowed, since another thread may have held the allocator's lock at the fork.
    QByteArray executable = programBytes;
    if (!programPath.contains(QLatin1Char('/'))) {
        executable = QFile::encodeName(QStandardPaths::findExecutable(programPath));
        if (executable.isEmpty()) {
            closeAll();
            int fd = wakeFd;
            closeFd(fd);
            return fail(ENOENT, QStringLiteral("无法运行 %1：%2").arg(program, errnoText(ENOENT)));
        }
    }
    int errorPipe[2] = {-1, -1};
    if (::pipe2(errorPipe, O_CLOEXEC) != 0 || !moveAboveStdio(errorPipe[1])) {
        const int code = errno;
        closeAll();
        for (int& fd : errorPipe)
            closeFd(fd);
        int fd = wakeFd;
        closeFd(fd);
        return fail(code, QStringLiteral("无法创建管道：%1").arg(errnoText(code)));
    }
    ChildSetup setup;
    setup.parent = ::getpid();
    setup.executable = executable.constData();
    setup.argv = argv.data();
    setup.directory = workingDirectory.isEmpty() ? nullptr : directoryBytes.constData();
    setup.input = inputPipe[0];
    setup.output = outputPipe[1];
    setup.errorReport = errorPipe[1];

    const pid_t pid = ::fork();
    if (pid == 0)
        runChild(setup);
    const int forkError = errno;
    closeFd(errorPipe[1]);

    // The child's ends belong to the child alone from here on.
    closeFd(inputPipe[0]);
    closeFd(outputPipe[1]);

    // The child reports the errno of a failed set-up or exec; end of file means exec succeeded.
    int rc = pid < 0 ? forkError : 0;
    if (pid > 0) {
        int reported = 0;
        ssize_t n;
        do {
            n = ::read(errorPipe[0], &reported, sizeof reported);
        } while (n < 0 && errno == EINTR);
        if (n == sizeof reported) {
            rc = reported;
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
    }
    closeFd(errorPipe[0]);

    if (rc != 0) {
        closeFd(inputPipe[1]);
        closeFd(outputPipe[0]);
        int fd = wakeFd;
        closeFd(fd);
        return fail(rc, QStringLiteral("无法运行 %1：%2").arg(program, errnoText(rc)));
    }

    // Commands go out without blocking: a server that stops reading must not freeze the window.
    ::fcntl(inputPipe[1], F_SETFL, ::fcntl(inputPipe[1], F_GETFL) | O_NONBLOCK);

    std::unique_ptr<ChildProcess> child(new ChildProcess);
    child->m_pid = pid;
    child->m_inputFd = inputPipe[1];
    child->m_outputFd = outputPipe[0];
    child->m_wakeFd = wakeFd;
    return child;
}

ChildProcess::~ChildProcess()
{
    closeFd(m_inputFd);
    closeFd(m_outputFd);
    closeFd(m_wakeFd);
}

ChildProcess::ReadStatus ChildProcess::readOutput(char* buffer, qsizetype capacity, int timeoutMs,
                                                  qsizetype* bytesRead)
{
    *bytesRead = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        pollfd fds[2] = {{m_outputFd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const int wait = timeoutMs < 0 ? -1 : remainingMs(deadline);
        const int ready = ::poll(fds, 2, wait);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return ReadStatus::Error;
        }
        if (ready == 0)
            return ReadStatus::Timeout;
        // Output first: a wake-up must not cut off bytes that are already in the pipe.
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::read(m_outputFd, buffer, static_cast<size_t>(capacity));
            if (n > 0) {
                *bytesRead = n;
                return ReadStatus::Data;
            }
            if (n == 0)
                return ReadStatus::EndOfFile;
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return ReadStatus::Error;
        }
        if (fds[1].revents & POLLIN) {
            eventfd_t value = 0;
            ::eventfd_read(m_wakeFd, &value);
            return ReadStatus::Woken;
        }
        if (fds[0].revents & POLLNVAL)
            return ReadStatus::Error;
    }
}

void ChildProcess::wakeReader()
{
    ::eventfd_write(m_wakeFd, 1);
}

bool ChildProcess::writeInput(const QByteArray& bytes, int maxWaitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxWaitMs);
    const char* data = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    SigpipeGuard guard;
    while (left > 0) {
        const ssize_t n = ::write(m_inputFd, data, left);
        if (n > 0) {
            data += n;
            left -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EPIPE) {
            guard.noteEpipe(); // the child has closed its input or has ended
            return false;
        }
        if (n < 0 && errno != EAGAIN)
            return false;
        const int wait = remainingMs(deadline);
        if (wait <= 0)
            return false;
        pollfd fd = {m_inputFd, POLLOUT, 0};
        if (::poll(&fd, 1, wait) < 0 && errno != EINTR)
            return false;
        if (fd.revents & (POLLERR | POLLHUP | POLLNVAL))
            return false;
    }
    return true;
}

ChildProcess::WriteStatus ChildProcess::writeInputPart(const QByteArray& bytes, qsizetype* written,
                                                       int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    SigpipeGuard guard;
    while (*written < bytes.size()) {
        const ssize_t n =
            ::write(m_inputFd, bytes.constData() + *written, static_cast<size_t>(bytes.size() - *written));
        if (n > 0) {
            *written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EPIPE) {
            guard.noteEpipe();
            return WriteStatus::Closed;
        }
        if (n < 0 && errno != EAGAIN)
            return WriteStatus::Closed;
        const int wait = remainingMs(deadline);
        if (wait <= 0)
            return WriteStatus::Timeout;
        pollfd fd = {m_inputFd, POLLOUT, 0};
        if (::poll(&fd, 1, wait) < 0 && errno != EINTR)
            return WriteStatus::Closed;
        if (fd.revents & (POLLERR | POLLHUP | POLLNVAL))
            return WriteStatus::Closed;
    }
    return WriteStatus::Done;
}

bool ChildProcess::inputClosed() const
{
    // A pipe whose reading end is gone reports POLLERR on the writing end.
    pollfd fd = {m_inputFd, POLLOUT, 0};
    return ::poll(&fd, 1, 0) < 0 || (fd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
}

bool ChildProcess::waitForEnd()
{
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

int ChildProcess::collect()
{
    int status = 0;
    pid_t rc;
    do {
        rc = ::waitpid(static_cast<pid_t>(m_pid), &status, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc != static_cast<pid_t>(m_pid))
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

bool processExists(qint64 pid)
{
    if (pid <= 0 || pid > INT_MAX)
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
        return false;
    // A zombie still answers kill(); its state letter tells that it has ended. The name before
    // the state may hold blanks and parentheses, so the state follows the last ')'.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
    const QByteArray line = stat.read(4096);
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0 || close + 2 >= line.size())
        return true;
    const char state = line.at(close + 2);
    return state != 'Z' && state != 'X';
}

bool killProcess(qint64 pid)
{
    if (pid <= 0 || pid > INT_MAX || pid == ::getpid())
        return false;
    return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}
