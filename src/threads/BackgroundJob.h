#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>
#include <type_traits>
#include <utility>

// Where the launcher's threads are and how their results cross to the user-interface thread.
//
//  - One-shot work (the Java lookup, a launch's gathering of Java and the port owner, and later
//    file scans, catalogue parsing and player polls) goes through runInBackground() below: the work
//    runs on Qt's global thread pool, the result comes back on the receiver's thread through a
//    QFutureWatcher that the receiver owns. A receiver destroyed first takes its watcher with it, so
//    a late result is dropped instead of reaching a dead object. The work must not touch the
//    receiver or any widget: it gets copies of what it needs and returns a value.
//  - The server's console reader and exit watcher are threads of ServerProcess
//    (server/ServerProcess.h). The reader runs the console processing and hands each batch of lines
//    on as a queued signal; the end of the process follows as a queued signal after the last batch.
//  - The command writer of ServerProcess takes whole commands from a bounded queue, so the
//    user-interface thread never waits on the server's input pipe.
//  - The automation server (ui/automation/) and every timer live on the user-interface thread.
//
// Nothing else starts a thread. The modal information box is the one nested event loop.
namespace threads {

template <typename Work, typename Done> void runInBackground(QObject* receiver, Work work, Done done)
{
    using Result = std::invoke_result_t<Work>;
    auto* watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcher<Result>::finished, receiver,
                     [watcher, done = std::move(done)]() mutable {
                         watcher->deleteLater();
                         done(watcher->result());
                     });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

} // namespace threads
