#include "core/flows/service_connectivity.hpp"

#include <gtest/gtest.h>

namespace orvendel::flows {
namespace {

TEST(Connectivity, AServiceOnThisMachineIsAlwaysReachable)
{
    for (const char* url : {"http://127.0.0.1:8642/DelaysApi/Delays", "http://127.9.9.9/x", "http://localhost:1/x",
                            "https://LOCALHOST/x", "http://[::1]:8642/x", "http://user@127.0.0.1/x"}) {
        EXPECT_TRUE(isLoopbackURL(url)) << url;
    }
    for (const char* url : {"http://10.0.0.1/x", "http://127.0.0.1.example.com/x", "http://example.com/127.0.0.1",
                            "http://[::2]/x", "localhost"}) {
        EXPECT_FALSE(isLoopbackURL(url)) << url;
    }
    EXPECT_TRUE(ServiceConnectivity(ConnectivityMode::automatic, "http://127.0.0.1:8642/DelaysApi/Delays")
                    .isInternetAvailable());
    EXPECT_TRUE(ServiceConnectivity(ConnectivityMode::online, "http://example.com/x").isInternetAvailable());
    EXPECT_FALSE(ServiceConnectivity(ConnectivityMode::offline, "http://127.0.0.1/x").isInternetAvailable());
    // Automatic but not started: no monitor has reported a network yet.
    EXPECT_FALSE(ServiceConnectivity(ConnectivityMode::automatic, "http://example.com/x").isInternetAvailable());
}

} // namespace
} // namespace orvendel::flows
