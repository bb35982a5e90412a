#include "core/support/executor.hpp"

#include "core/support/serial_queue.hpp"

namespace orvendel {
namespace {

class SerialQueueExecutor final : public Executor {
public:
    explicit SerialQueueExecutor(SerialQueue& queue) : m_queue(queue) {}
    void post(Task task) override { m_queue.async(std::move(task)); }

private:
    SerialQueue& m_queue;
};

} // namespace

ExecutorPtr executorFor(SerialQueue& queue)
{
    return std::make_shared<SerialQueueExecutor>(queue);
}

} // namespace orvendel
