#include "delay_service.hpp"
#include "options.hpp"

#include "core/support/log.hpp"

#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

using namespace orvendel;

int main(int argc, char** argv)
{
    const auto parsed = delay_service::parseOptions(argc, argv);
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.isError ? stderr : stdout);
        return parsed.isError ? 2 : 0;
    }

    // Signals are taken by one watcher thread; every other thread, the server's included, keeps them blocked.
    // A peer that goes away mid-reply must not kill the process.
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    auto created = delay_service::DelayService::create(*parsed.options);
    if (!created) {
        log("orvendel-delay-service: " + created.error().description);
        return 1;
    }
    auto delayService = std::move(*created);
    const auto port = delayService->bind();
    if (!port) {
        log("orvendel-delay-service: cannot listen on " + parsed.options->host + ":" +
            std::to_string(parsed.options->port));
        return 1;
    }
    // The first line on standard output tells scripts and tests where the service listens.
    std::printf("listening on %s:%d\n", parsed.options->host.c_str(), *port);
    std::fflush(stdout);

    std::thread watcher([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        if (received != SIGUSR1) {
            log(received == SIGINT ? "Delay service: interrupted, stopping" : "Delay service: stopping");
        }
        delayService->stop();
    });
    const bool served = delayService->run();
    pthread_kill(watcher.native_handle(), SIGUSR1);
    watcher.join();
    delayService.reset();
    log("Delay service: stopped");
    return served ? 0 : 1;
}
