#include "support/service_client.hpp"
#include "support/service_process.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace orvendel::testing {
namespace {

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The status line of the answer, or what came before the peer closed or 20 s passed.
std::string statusLine(int fd)
{
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (received.find("\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0) {
            continue;
        }
        char buffer[512];
        const auto n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            break;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
    return received.substr(0, received.find("\r\n"));
}

// A fresh service whose first requests all come at once, so that they are taken by many workers together;
// a race among them shows as the service's sanitizer report, which fails the test when the service stops.
TEST(ManyClientsTest, AFreshServiceAnswersClientsThatComeAllAtOnce)
{
    ServiceProcess service;
    ASSERT_TRUE(service.running()) << service.logText();
    const std::string body = R"({"data": {"username": "demo", "password": "demo", "systemRequesting": "iOS"}})";
    const std::string request = "POST /DelaysApi/Delays/Authenticate HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                "Content-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                                std::to_string(body.size()) + "\r\n\r\n" + body;
    std::vector<int> clients;
    for (int i = 0; i < 48; ++i) {
        clients.push_back(connectTo(service.port()));
        ASSERT_GE(clients.back(), 0);
    }
    for (const int fd : clients) {
        ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    }
    for (const int fd : clients) {
        EXPECT_EQ(statusLine(fd), "HTTP/1.1 200 OK");
        ::close(fd);
    }
    EXPECT_TRUE(ServiceClient(service.port()).signIn());
}

} // namespace
} // namespace orvendel::testing
