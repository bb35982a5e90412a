#pragma once

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>
#include <asio/post.hpp>

#include <future>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

namespace orvendel {

// A named serial queue: one io_context run by one dedicated thread. Work posted with `async` runs in
// order, one item at a time. `sync` waits for its result, and runs inline when called from this queue's
// own thread, so a queue may call its own synchronous operations without deadlocking.
// Thread contract: every member may be called from any thread; the destructor runs what is already
// queued, then joins the thread.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const std::string& label() const { return m_label; }

    // True when the caller runs on this queue's thread.
    bool isCurrent() const;

    // The queue whose thread is calling, or nullptr.
    static const SerialQueue* current();

    template <typename F>
    void async(F&& work)
    {
        asio::post(m_context, std::forward<F>(work));
    }

    template <typename F>
    auto sync(F&& work) -> std::invoke_result_t<F&>
    {
        using Result = std::invoke_result_t<F&>;
        if (isCurrent()) {
            return work();
        }
        std::packaged_task<Result()> task(std::forward<F>(work));
        auto future = task.get_future();
        asio::post(m_context, std::move(task));
        return future.get();
    }

    // Waits until everything posted before this call has run.
    void drain()
    {
        sync([] {});
    }

    asio::io_context& context() { return m_context; }

private:
    void run();

    std::string m_label;
    asio::io_context m_context;
    asio::executor_work_guard<asio::io_context::executor_type> m_guard;
    std::thread m_thread;
};

} // namespace orvendel
