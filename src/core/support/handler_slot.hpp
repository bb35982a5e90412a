#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace orvendel {

// Keeps a handler set on a `HandlerSlot` while it lives: destroying or resetting it takes the handler away,
// so an object that goes is never called afterwards. It may outlive its slot.
class HandlerToken {
public:
    HandlerToken() = default;
    explicit HandlerToken(std::function<void()> release) : m_release(std::move(release)) {}
    HandlerToken(HandlerToken&& other) noexcept : m_release(std::exchange(other.m_release, {})) {}
    HandlerToken& operator=(HandlerToken&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_release = std::exchange(other.m_release, {});
        }
        return *this;
    }
    HandlerToken(const HandlerToken&) = delete;
    HandlerToken& operator=(const HandlerToken&) = delete;
    ~HandlerToken() { reset(); }

    void reset()
    {
        if (auto release = std::exchange(m_release, {})) {
            release();
        }
    }

private:
    std::function<void()> m_release;
};

// The one handler of an object's changes (a flow's view). Setting one replaces the previous handler.
// Thread contract: the owner's thread only.
template <typename... Args>
class HandlerSlot {
public:
    using Handler = std::function<void(Args...)>;

    [[nodiscard]] HandlerToken set(Handler handler)
    {
        auto entry = std::make_shared<Handler>(std::move(handler));
        m_state->current = entry;
        return HandlerToken([state = std::weak_ptr<State>(m_state), entry = std::weak_ptr<Handler>(entry)] {
            const auto held = state.lock();
            if (held && held->current == entry.lock()) {
                held->current.reset();
            }
        });
    }

    explicit operator bool() const { return m_state->current && *m_state->current; }

    void operator()(Args... args) const
    {
        // Held for the call: the handler may take itself away while it runs.
        if (const auto handler = m_state->current; handler && *handler) {
            (*handler)(args...);
        }
    }

private:
    struct State {
        std::shared_ptr<Handler> current;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace orvendel
