#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

// Where the launcher's threads are and how their results cross to the user-interface thread.
//
//  - One-shot work (the Java lookup, a launch's gathering of Java and the port owner, and later
//    file scans, catalogue parsing and player polls) goes through runInBackground() below: the work
//    runs on a thread of its own; when it is done, a queued signal brings the result back to the
//    receiver's thread. The work must not touch the receiver or any widget: it gets copies of what
//    it needs and returns a value.
//  - The server's console reader, command writer and exit watcher are threads of ServerProcess
//    (server/ServerProcess.h). The reader runs the console processing; batches of lines and the end
//    of the process are announced by queued signals, the data waits in queues under a lock.
//  - The automation server (ui/automation/) and every timer live on the user-interface thread.
//
// Nothing else starts a thread. The modal information box is the one nested event loop.
//
// Hand-overs are made with the standard library's threads and locks: the thread sanitizer follows
// those, while Qt's own locks (futexes inside an uninstrumented library) look like races to it.
namespace threads {

namespace detail {

// Owns one job's thread and lives as a child of the receiver. The result is taken only after the
// thread has been joined; a receiver destroyed first waits for the job and drops its result.
class JobRelay : public QObject {
    Q_OBJECT

public:
    explicit JobRelay(QObject* receiver);
    ~JobRelay() override;

    void start(std::function<void()> work, std::function<void()> deliver);

signals:
    void workDone(QPrivateSignal);

private:
    void finish();

    std::thread m_thread;
    std::function<void()> m_deliver;
};

} // namespace detail

// Runs `work()` off the user-interface thread and then `done(result)` on the receiver's thread,
// unless the receiver is gone by then.
template <typename Work, typename Done> void runInBackground(QObject* receiver, Work work, Done done)
{
    using Result = std::invoke_result_t<Work>;
    auto result = std::make_shared<std::optional<Result>>();
    auto* relay = new detail::JobRelay(receiver);
    relay->start([result, work = std::move(work)]() mutable { result->emplace(work()); },
                 [result, done = std::move(done)]() mutable { done(std::move(**result)); });
}

} // namespace threads
