#include "platform/qt/QtDialogInputQueue.h"

#include <QEventLoop>

namespace platform {

void QtDialogInputQueue::post(Input input)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_ended || m_aborted)
            return;
        m_queue.push_back(std::move(input));
    }
    m_changed.notify_all();
    wake();
}

bool QtDialogInputQueue::end(int result)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_ended || m_aborted)
            return false;
        m_ended = true;
        m_result = result;
    }
    m_changed.notify_all();
    return true;
}

void QtDialogInputQueue::abort()
{
    {
        std::lock_guard lock(m_mutex);
        m_aborted = true;
    }
    m_changed.notify_all();
    wake();
}

void QtDialogInputQueue::wake()
{
    if (m_loop) {
        m_woken = true;
        m_loop->quit();
    }
}

bool QtDialogInputQueue::over() const
{
    std::lock_guard lock(m_mutex);
    return m_ended || m_aborted;
}

bool QtDialogInputQueue::settled() const
{
    std::lock_guard lock(m_mutex);
    return m_queue.empty() && !m_delivering;
}

int QtDialogInputQueue::run() { return m_guiThread ? eventLoop() : waitingLoop(); }

bool QtDialogInputQueue::next(Input& input, bool& ended, int& result)
{
    ended = m_ended || m_aborted;
    result = m_ended ? m_result : -1;
    if (ended || m_queue.empty())
        return false;
    input = std::move(m_queue.front());
    m_queue.pop_front();
    m_delivering = true;
    return true;
}

// On another thread: sleep until the GUI thread queues something.
int QtDialogInputQueue::waitingLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        Input input;
        bool ended = false;
        int result = 0;
        const bool got = next(input, ended, result);
        if (ended)
            return result;
        if (!got) {
            m_changed.wait(lock);
            continue;
        }
        lock.unlock();
        input(m_input);
        lock.lock();
        m_delivering = false;
    }
}

// On the GUI thread: a nested event loop, left whenever something is queued.
int QtDialogInputQueue::eventLoop()
{
    QEventLoop loop;
    m_loop = &loop;
    int result = 0;
    for (;;) {
        Input input;
        bool ended = false;
        bool got = false;
        {
            std::lock_guard lock(m_mutex);
            got = next(input, ended, result);
        }
        if (ended)
            break;
        if (got) {
            input(m_input);
            std::lock_guard lock(m_mutex);
            m_delivering = false;
            continue;
        }
        m_woken = false;
        loop.exec();
        if (!m_woken) {
            // Left without a reason of ours: the application is quitting.
            std::lock_guard lock(m_mutex);
            if (!m_ended)
                m_aborted = true;
        }
    }
    m_loop = nullptr;
    return result;
}

} // namespace platform
