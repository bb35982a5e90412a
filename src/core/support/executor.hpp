#pragma once

#include <functional>
#include <memory>

namespace orvendel {

class SerialQueue;

// Runs tasks later, one at a time and in the order posted, on the thread it stands for: a front end's
// user-interface thread (the CLI's main loop, Qt's event loop) or a serial queue. Flows and monitors
// deliver their work through one of these and never touch a front end's thread themselves.
// Thread contract: `post` from any thread; tasks run on the executor's own thread.
class Executor {
public:
    using Task = std::function<void()>;

    virtual ~Executor() = default;
    virtual void post(Task task) = 0;
};

using ExecutorPtr = std::shared_ptr<Executor>;

// An executor that posts onto `queue`, which must outlive every task posted.
ExecutorPtr executorFor(SerialQueue& queue);

} // namespace orvendel
