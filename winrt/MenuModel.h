#pragma once
// The frame's menu bar as the runtime keeps it. The bar shares the frame's lock, because a
// change to it goes with a change to the run state or the selection; each change is handed to
// the frame window whole once the lock is released, since the platform may wait for the message
// thread, which may itself be waiting for the lock.

#include "platform/FrameWindow.h"

#include <mutex>
#include <type_traits>
#include <utility>

namespace winrt {

class MenuModel {
public:
    MenuModel(std::mutex& guard, platform::FrameWindow& frame, platform::MenuBar bar)
        : m_guard(guard), m_frame(frame), m_bar(std::move(bar))
    {
    }

    // The bar and its command items; the caller holds the guard.
    platform::MenuBar& bar() { return m_bar; }
    const platform::MenuBar& bar() const { return m_bar; }
    // The command item with this id, or null.
    platform::MenuItem* find(int id);
    // Grays or enables the item with this id, if there is one.
    void setGrayed(int id, bool grayed);

    // Changes the bar under the guard (change gets the model, and may change the frame's other
    // state with it), then hands the bar to the frame window unless change returned false.
    // Returns what change returned.
    template <class F> auto update(F&& change) -> decltype(change(*this))
    {
        using Result = decltype(change(*this));
        if constexpr (std::is_void_v<Result>) {
            {
                std::lock_guard lock(m_guard);
                change(*this);
            }
            publish();
        } else {
            Result result;
            {
                std::lock_guard lock(m_guard);
                result = change(*this);
            }
            if (result)
                publish();
            return result;
        }
    }

    // Hands the bar as it is now to the frame window (takes the guard for the copy). Threads may
    // publish at once: while one hands a bar over, another's call only marks the bar changed and
    // returns, and the first hands it over again, so the frame window is left with the newest bar
    // and no thread waits for another's hand-over (which may be waiting for the message thread).
    void publish();

private:
    std::mutex& m_guard;
    platform::FrameWindow& m_frame;
    platform::MenuBar m_bar;
    std::mutex m_handing;
    bool m_changed = false;     // under m_handing: the bar changed since the last hand-over began
    bool m_handedByOne = false; // under m_handing: a thread is handing the bar over
};

} // namespace winrt
