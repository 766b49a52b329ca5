#pragma once
// The user's input to one running dialog box, carried from the GUI thread to the thread that
// runs the dialog. Widgets queue it on the GUI thread; run delivers it on the running thread:
// from a blocking wait on another thread, or from a nested event loop on the GUI thread itself,
// so that no input is ever handled from inside a widget's event handler.

#include "platform/DialogHost.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class QEventLoop;

namespace platform {

class QtDialogInputQueue {
public:
    using Input = std::function<void(DialogInput&)>;

    // guiThread: run will be called on the GUI thread.
    QtDialogInputQueue(DialogInput& input, bool guiThread) : m_input(input), m_guiThread(guiThread) {}

    // GUI thread: queues one input; nothing once the run is over.
    void post(Input input);
    // Ends the run with result; false when it was already over. Any thread.
    bool end(int result);
    // Ends the run with -1 (the box went away, the application quits). GUI thread.
    void abort();
    // Lets a run on the GUI thread see an end. GUI thread.
    void wake();
    bool over() const;
    // Nothing is queued or being handled. Any thread.
    bool settled() const;

    // Delivers the queued input until the run ends, and returns its result.
    int run();

private:
    // The next input, or the end (in result); empty: wait. Under m_mutex.
    bool next(Input& input, bool& ended, int& result);
    int waitingLoop();
    int eventLoop();

    DialogInput& m_input;
    const bool m_guiThread;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Input> m_queue;
    bool m_ended = false;
    int m_result = 0;
    bool m_aborted = false;
    bool m_delivering = false; // an input taken from the queue is being handled

    // GUI thread only.
    QEventLoop* m_loop = nullptr; // the nested loop of a run on the GUI thread
    bool m_woken = false;         // the nested loop was left on purpose
};

} // namespace platform
