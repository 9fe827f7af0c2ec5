#include "threads/BackgroundJob.h"

namespace threads::detail {

JobRelay::JobRelay(QObject* receiver) : QObject(receiver)
{
    connect(this, &JobRelay::workDone, this, &JobRelay::finish, Qt::QueuedConnection);
}

JobRelay::~JobRelay()
{
    if (m_thread.joinable())
        m_thread.join();
}

void JobRelay::start(std::function<void()> work, std::function<void()> deliver)
{
    m_deliver = std::move(deliver);
    // The relay outlives the thread (its destructor joins it), so the signal is always emitted on a
    // live object; it is queued to the relay's own thread.
    m_thread = std::thread([this, work = std::move(work)] {
        work();
        emit workDone(QPrivateSignal());
    });
}

void JobRelay::finish()
{
    // The thread has emitted its last act; joining it orders its writes before the reads below.
    m_thread.join();
    const std::function<void()> deliver = std::move(m_deliver);
    deleteLater();
    deliver();
}

} // namespace threads::detail
