#pragma once

// Slow clients for the delay service load run: connections that are opened and then hold on — half of them
// send nothing, half send a request head one byte a second and never finish it. Each comes from one of
// several loopback addresses (127.0.1.x), as many tablets would, and is opened again whenever the service
// closes it, so the given number stays open for the whole run. Loopback only.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

class SlowConnections {
public:
    struct Figures {
        int open = 0;          // open when stopped
        int fewestOpen = 0;    // fewest open at any check while running
        long reopened = 0;     // times the service closed one (idle time-out, request deadline, refusal)
        long failedToOpen = 0; // connects that failed
    };

    SlowConnections(int port, int count, int perAddress) : m_port(port), m_perAddress(perAddress)
    {
        m_sockets.assign(static_cast<std::size_t>(count), -1);
        m_sent.assign(static_cast<std::size_t>(count), 0);
        for (int i = 0; i < count; ++i) {
            open(i);
        }
        m_figures.fewestOpen = openCount();
        m_thread = std::thread([this] { trickle(); });
    }

    ~SlowConnections() { stop(); }

    Figures stop()
    {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
            m_figures.open = openCount();
            for (int& fd : m_sockets) {
                if (fd >= 0) {
                    ::close(fd);
                    fd = -1;
                }
            }
        }
        return m_figures;
    }

private:
    static constexpr std::string_view head = "POST /DelaysApi/Delays/Authenticate HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                             "X-Slow: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

    bool trickles(std::size_t index) const { return index % 2 == 0; }

    void open(int index)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(0x7F000100u + 1u + static_cast<std::uint32_t>(index / m_perAddress) % 250u);
        sockaddr_in remote{};
        remote.sin_family = AF_INET;
        remote.sin_port = htons(static_cast<std::uint16_t>(m_port));
        remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0 ||
            ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof(remote)) != 0) {
            if (fd >= 0) {
                ::close(fd);
            }
            ++m_figures.failedToOpen;
            return;
        }
        m_sockets[static_cast<std::size_t>(index)] = fd;
        m_sent[static_cast<std::size_t>(index)] = 0;
    }

    // Closed by the service: a read gives end of stream (or an answer, which means the same here).
    static bool closedByPeer(int fd)
    {
        char buffer[512];
        const auto n = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
        return n == 0 || n > 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }

    int openCount() const
    {
        int open = 0;
        for (int fd : m_sockets) {
            open += fd >= 0 ? 1 : 0;
        }
        return open;
    }

    void trickle()
    {
        while (!m_stop) {
            for (std::size_t i = 0; i < m_sockets.size() && !m_stop; ++i) {
                int& fd = m_sockets[i];
                if (fd >= 0 && closedByPeer(fd)) {
                    ::close(fd);
                    fd = -1;
                    ++m_figures.reopened;
                }
                if (fd < 0) {
                    open(static_cast<int>(i));
                    continue;
                }
                if (trickles(i)) {
                    const std::size_t at = m_sent[i] % head.size();
                    if (::send(fd, head.data() + at, 1, MSG_NOSIGNAL) == 1) {
                        ++m_sent[i];
                    }
                }
            }
            m_figures.fewestOpen = std::min(m_figures.fewestOpen, openCount());
            for (int slept = 0; slept < 10 && !m_stop; ++slept) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        }
    }

    int m_port;
    int m_perAddress;
    std::vector<int> m_sockets; // trickle thread only, after construction
    std::vector<std::size_t> m_sent;
    Figures m_figures;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
