#pragma once
// Where the program thread stops while the user has paused it: at the start of its next
// drawing or text operation, never in the middle of one.

#include <condition_variable>
#include <functional>
#include <mutex>

namespace winrt {

class PauseGate {
public:
    // exempt: true on threads that must never stop here (the message thread, which repaints
    // and serves the menus while the program is paused).
    explicit PauseGate(std::function<bool()> exempt = {}) : m_exempt(std::move(exempt)) {}

    // Called at the start of every drawing and text operation: waits while paused.
    void enter()
    {
        std::unique_lock lock(m_mutex);
        if ((!m_paused && m_holds == 0) || (m_exempt && m_exempt()))
            return;
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_paused && m_holds == 0; });
        --m_waiting;
    }

    void pause()
    {
        std::lock_guard lock(m_mutex);
        m_paused = true;
    }

    void resume()
    {
        {
            std::lock_guard lock(m_mutex);
            m_paused = false;
        }
        m_changed.notify_all();
    }

    // Stops the program at its next operation without pausing it for the user: a save or a
    // print holds the program while it shows its dialog and reads the picture. Holds nest and
    // are independent of pause and resume.
    void hold()
    {
        std::lock_guard lock(m_mutex);
        ++m_holds;
    }

    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_holds > 0)
                --m_holds;
        }
        m_changed.notify_all();
    }

    bool paused() const
    {
        std::lock_guard lock(m_mutex);
        return m_paused;
    }

    // Threads waiting at the gate now.
    int waiting() const
    {
        std::lock_guard lock(m_mutex);
        return m_waiting;
    }

    // Waits until at least n threads wait at the gate (for tests and for a pause that must
    // know the program has stopped).
    void waitForWaiting(int n)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_waiting >= n || (!m_paused && m_holds == 0); });
    }

private:
    std::function<bool()> m_exempt;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_paused = false;
    int m_holds = 0;
    int m_waiting = 0;
};

} // namespace winrt
