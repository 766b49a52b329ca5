#pragma once
// The one way the Qt platform calls onto the GUI thread from another thread: the call is
// queued to the GUI thread and the caller waits for it. Unlike a blocking queued connection, a
// waiting call can be released when the GUI thread stops serving (the message loop has ended),
// so that a program thread still calling in returns; and a call made on the GUI thread itself
// runs at once instead of deadlocking.

#include <QObject>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <type_traits>
#include <utility>

namespace platform {

class GuiInvoker {
public:
    // context lives on the GUI thread and receives the queued calls; destroy the invoker on the
    // GUI thread, no later than context.
    explicit GuiInvoker(QObject* context) : m_context(context), m_thread(context->thread()) {}
    ~GuiInvoker() { stop(); }
    GuiInvoker(const GuiInvoker&) = delete;
    GuiInvoker& operator=(const GuiInvoker&) = delete;

    bool onGuiThread() const { return QThread::currentThread() == m_thread; }

    // Runs work on the GUI thread and waits for it; false when the GUI thread no longer serves
    // calls (work then has not run and never will).
    bool call(const std::function<void()>& work)
    {
        if (onGuiThread()) {
            work();
            return true;
        }
        return wait(work);
    }

    // Runs work on the GUI thread and returns its result; once the GUI thread has stopped
    // serving, a call from another thread does nothing and returns a value-initialised result.
    template <class F> auto run(F&& work) -> decltype(work())
    {
        using R = decltype(work());
        if constexpr (std::is_void_v<R>)
            call([&] { work(); });
        else
            return runOr(R{}, std::forward<F>(work));
    }

    // As run, with the result to give when the GUI thread no longer serves.
    template <class R, class F> R runOr(R fallback, F&& work)
    {
        if (onGuiThread())
            return work();
        R result = std::move(fallback);
        wait([&] { result = work(); });
        return result;
    }

    // Posts work to the GUI thread without waiting; false after stop.
    template <class F> bool post(F&& work)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return false;
        }
        return QMetaObject::invokeMethod(m_context, std::forward<F>(work), Qt::QueuedConnection);
    }

    // Ends service (on the GUI thread, once the message loop has ended): waiting calls are
    // released unrun, later ones return at once.
    void stop()
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        for (const auto& pending : m_pending) {
            std::lock_guard callLock(pending->mutex);
            if (pending->state == Call::Waiting) {
                pending->state = Call::Abandoned;
                pending->done.notify_all();
            }
        }
        m_pending.clear();
    }

    bool stopped() const
    {
        std::lock_guard lock(m_mutex);
        return m_stopped;
    }

private:
    struct Call {
        enum State {
            Waiting,
            Running,
            Finished,
            Abandoned
        };
        std::mutex mutex;
        std::condition_variable done;
        State state = Waiting;
    };

    // Runs work on the GUI thread; work refers to the caller's frame, so it runs only while
    // the caller still waits (never once the call has been abandoned). True when it ran. Neither
    // the queued call nor the woken caller touches the invoker, which may be gone by then.
    bool wait(const std::function<void()>& work)
    {
        auto pending = std::make_shared<Call>();
        {
            std::lock_guard lock(m_mutex);
            if (m_stopped)
                return false;
            // Calls that have finished are forgotten here rather than by their waiters, which
            // may wake after the invoker has gone.
            std::erase_if(m_pending, [](const std::shared_ptr<Call>& c) {
                std::lock_guard callLock(c->mutex);
                return c->state == Call::Finished;
            });
            m_pending.insert(pending);
        }
        const std::function<void()>* job = &work;
        const bool posted = QMetaObject::invokeMethod(
            m_context,
            [pending, job] {
                {
                    std::lock_guard lock(pending->mutex);
                    if (pending->state != Call::Waiting)
                        return;
                    pending->state = Call::Running;
                }
                (*job)();
                {
                    std::lock_guard lock(pending->mutex);
                    pending->state = Call::Finished;
                }
                pending->done.notify_all();
            },
            Qt::QueuedConnection);
        if (!posted) {
            std::lock_guard lock(m_mutex);
            m_pending.erase(pending);
            return false;
        }
        std::unique_lock lock(pending->mutex);
        pending->done.wait(lock, [&] { return pending->state == Call::Finished || pending->state == Call::Abandoned; });
        return pending->state == Call::Finished;
    }

    QObject* m_context;
    QThread* m_thread;
    mutable std::mutex m_mutex;
    bool m_stopped = false;
    std::set<std::shared_ptr<Call>> m_pending;
};

} // namespace platform
