#include "core/support/serial_queue.hpp"

#include <pthread.h>

namespace orvendel {
namespace {
thread_local const SerialQueue* tlsCurrentQueue = nullptr;
}

SerialQueue::SerialQueue(std::string label)
    : m_label(std::move(label)), m_context(1), m_guard(asio::make_work_guard(m_context))
{
    m_thread = std::thread([this] { run(); });
}

SerialQueue::~SerialQueue()
{
    m_guard.reset();
    if (isCurrent()) {
        // Destroyed from its own work item: the thread cannot join itself, so let it finish on its own.
        m_context.stop();
        m_thread.detach();
        return;
    }
    m_thread.join();
}

bool SerialQueue::isCurrent() const
{
    return tlsCurrentQueue == this;
}

const SerialQueue* SerialQueue::current()
{
    return tlsCurrentQueue;
}

void SerialQueue::run()
{
    // Thread names are limited to 15 characters; the label helps in a debugger even when cut short.
    pthread_setname_np(pthread_self(), m_label.substr(0, 15).c_str());
    tlsCurrentQueue = this;
    m_context.run();
    tlsCurrentQueue = nullptr;
}

} // namespace orvendel
