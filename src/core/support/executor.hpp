#pragma once

#include <functional>
#include <memory>

namespace orvendel {

class Executor {
public:
    using Task = std::function<void()>;
    virtual ~Executor() = default;
    virtual void post(Task task) = 0;
};
using ExecutorPtr = std::shared_ptr<Executor>;

} // namespace orvendel
