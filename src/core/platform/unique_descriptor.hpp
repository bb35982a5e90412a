#pragma once

#include <unistd.h>
#include <utility>

namespace orvendel {

// A file descriptor that is closed on every way out of its scope.
// Thread contract: one owner at a time.
class UniqueDescriptor {
public:
    explicit UniqueDescriptor(int fd = -1) noexcept : m_fd(fd) {}
    ~UniqueDescriptor() { reset(); }
    UniqueDescriptor(UniqueDescriptor&& other) noexcept : m_fd(other.release()) {}
    UniqueDescriptor& operator=(UniqueDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueDescriptor(const UniqueDescriptor&) = delete;
    UniqueDescriptor& operator=(const UniqueDescriptor&) = delete;

    int get() const noexcept { return m_fd; }
    // Gives the descriptor up without closing it.
    int release() noexcept { return std::exchange(m_fd, -1); }
    void reset(int fd = -1) noexcept
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd;
};

} // namespace orvendel
