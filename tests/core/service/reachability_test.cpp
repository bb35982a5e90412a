#include "core/platform/rtnetlink_reachability_source.hpp"
#include "core/service/connectivity_manager.hpp"
#include "core/support/log.hpp"
#include "support/test_loop.hpp"
#include "support/wait_until.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace orvendel {
namespace {

using namespace reachability_flags;
using Connection = Reachability::Connection;

class FakeReachabilitySource final : public ReachabilitySource {
public:
    FlagsReading readFlags() override
    {
        std::lock_guard lock(m_mutex);
        return m_reading;
    }
    int setCallback(ChangeCallback callback) override
    {
        std::lock_guard lock(m_mutex);
        if (callback && m_refuseCallback != 0) {
            return m_refuseCallback;
        }
        m_callback = std::move(callback);
        return 0;
    }

    void setFlags(std::optional<ReachabilityFlags> flags, int errorCode = 0)
    {
        std::lock_guard lock(m_mutex);
        m_reading = FlagsReading{flags, errorCode};
    }
    void refuseCallback(int code) { m_refuseCallback = code; }
    // What the platform does on a change: calls the callback on a thread of its own.
    void fire()
    {
        ChangeCallback callback;
        {
            std::lock_guard lock(m_mutex);
            callback = m_callback;
        }
        if (callback) {
            callback();
        }
    }
    bool watching()
    {
        std::lock_guard lock(m_mutex);
        return static_cast<bool>(m_callback);
    }

private:
    std::mutex m_mutex;
    FlagsReading m_reading{ReachabilityFlags{0}, 0};
    ChangeCallback m_callback;
    int m_refuseCallback = 0;
};

TEST(ReachabilityMapping, FollowsThePlatformFlags)
{
    EXPECT_EQ(Reachability::connectionFor(std::nullopt, true), Connection::unavailable);
    EXPECT_EQ(Reachability::connectionFor(0, true), Connection::unavailable);
    EXPECT_EQ(Reachability::connectionFor(isWWAN, true), Connection::unavailable);
    EXPECT_EQ(Reachability::connectionFor(reachable, true), Connection::wifi);
    EXPECT_EQ(Reachability::connectionFor(reachable | connectionRequired, true), Connection::unavailable);
    EXPECT_EQ(Reachability::connectionFor(reachable | connectionRequired | connectionOnTraffic, true),
              Connection::wifi);
    EXPECT_EQ(Reachability::connectionFor(reachable | connectionRequired | connectionOnDemand, true), Connection::wifi);
    // Reachable only after setting up a connection that needs the user: not usable.
    EXPECT_EQ(
        Reachability::connectionFor(reachable | connectionRequired | connectionOnDemand | interventionRequired, true),
        Connection::unavailable);
    EXPECT_EQ(Reachability::connectionFor(reachable | isWWAN, true), Connection::cellular);
    EXPECT_EQ(Reachability::connectionFor(reachable | isWWAN, false), Connection::unavailable);
    EXPECT_EQ(Reachability::connectionFor(reachable | connectionRequired | isWWAN, true), Connection::cellular);
}

class ConnectivityManagerTest : public ::testing::Test {
protected:
    std::unique_ptr<ConnectivityManager> makeManager(std::shared_ptr<ReachabilitySource> chosen)
    {
        return std::make_unique<ConnectivityManager>(
            ConnectivityManager::Dependencies{[chosen] { return chosen; }, mainQueue, &center});
    }

    NotificationCenter center;
    // The main queue, run by hand.
    std::shared_ptr<test::TestLoop> mainQueue = std::make_shared<test::TestLoop>();
    std::shared_ptr<FakeReachabilitySource> source = std::make_shared<FakeReachabilitySource>();
    ScopedLogCapture capture;
};

TEST_F(ConnectivityManagerTest, OfflineUntilTheFirstReportThenFollowsEveryChange)
{
    int notifications = 0;
    auto token = center.observe<ReachabilityChanged>([&](const ReachabilityChanged&) { ++notifications; });
    source->setFlags(reachable);
    auto manager = makeManager(source);
    manager->startMonitoring();
    EXPECT_FALSE(manager->isInternetAvailable()); // the first report is still queued
    EXPECT_TRUE(capture.contains("Started Reachability Notifier"));

    ASSERT_TRUE(mainQueue->runOne());
    EXPECT_TRUE(manager->isInternetAvailable());
    EXPECT_TRUE(capture.contains("Reachable via WiFi"));

    source->setFlags(reachable | isWWAN);
    source->fire();
    ASSERT_TRUE(mainQueue->runOne());
    EXPECT_TRUE(capture.contains("Reachable via Cellular"));

    // Callbacks with unchanged flags report nothing: the next report is the real change that follows them.
    source->fire();
    source->fire();
    source->setFlags(0);
    source->fire();
    ASSERT_TRUE(mainQueue->runOne());
    EXPECT_EQ(notifications, 3);
    EXPECT_FALSE(manager->isInternetAvailable());
    EXPECT_EQ(capture.lines().back(), "Network not reachable");
    EXPECT_EQ(mainQueue->pending(), 0u);

    manager->startMonitoring(); // once only
    EXPECT_EQ(mainQueue->pending(), 0u);
}

TEST_F(ConnectivityManagerTest, AMonitorThatCannotStartLeavesTheDeviceOffline)
{
    source->setFlags(std::nullopt, EPERM);
    auto unreadable = makeManager(source);
    unreadable->startMonitoring();
    EXPECT_TRUE(capture.contains("could not start reachability notifier"));
    EXPECT_FALSE(source->watching());

    auto refusing = std::make_shared<FakeReachabilitySource>();
    refusing->refuseCallback(EACCES);
    auto refused = makeManager(refusing);
    refused->startMonitoring();

    auto none = makeManager(nullptr);
    none->startMonitoring();
    EXPECT_TRUE(capture.contains("Unable to create Reachability"));

    EXPECT_EQ(mainQueue->pending(), 0u);
    EXPECT_FALSE(unreadable->isInternetAvailable() || refused->isInternetAvailable() || none->isInternetAvailable());
}

TEST_F(ConnectivityManagerTest, StartFailuresNameTheStepAndThePlatformCode)
{
    EXPECT_EQ(Reachability::create(nullptr, mainQueue, center).error().code,
              reachability_error::failedToCreateWithAddress);

    auto refusing = std::make_shared<FakeReachabilitySource>();
    refusing->refuseCallback(EACCES);
    const auto refused = (*Reachability::create(refusing, mainQueue, center))->startNotifier();
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().is(reachability_error::domain, reachability_error::unableToSetCallback));
    EXPECT_EQ(refused.error().description, "unableToSetCallback (platform error " + std::to_string(EACCES) + ")");

    source->setFlags(std::nullopt, EPERM);
    auto unreadable = *Reachability::create(source, mainQueue, center);
    const auto started = unreadable->startNotifier();
    ASSERT_FALSE(started);
    EXPECT_EQ(started.error().code, reachability_error::unableToGetFlags);
    EXPECT_FALSE(unreadable->notifierRunning());

    source->setFlags(reachable);
    EXPECT_TRUE(unreadable->startNotifier());
    EXPECT_TRUE(unreadable->notifierRunning());
    EXPECT_TRUE(unreadable->startNotifier()) << "starting a running notifier is no failure";
}

TEST_F(ConnectivityManagerTest, AFailedReadAfterStartStopsTheNotifierAndKeepsTheLastAnswer)
{
    source->setFlags(reachable);
    auto manager = makeManager(source);
    manager->startMonitoring();
    ASSERT_TRUE(mainQueue->runOne());
    source->setFlags(std::nullopt, EIO);
    source->fire();
    // The failed read stops the notifier on the monitor's own queue.
    EXPECT_TRUE(test::waitUntil([&] { return !source->watching(); }));
    EXPECT_FALSE(manager->reachability()->notifierRunning());
    EXPECT_TRUE(manager->isInternetAvailable());
}

TEST_F(ConnectivityManagerTest, ClosuresSeeTheMonitorAndDroppingItStopsWatching)
{
    source->setFlags(reachable);
    auto created = Reachability::create(source, mainQueue, center);
    ASSERT_TRUE(created);
    auto monitor = std::move(*created);
    std::vector<std::string> calls;
    monitor->setWhenReachable([&](Reachability& r) {
        calls.push_back(r.connection() == Connection::wifi ? "reachable wifi" : "reachable other");
    });
    monitor->setWhenUnreachable([&](Reachability&) { calls.push_back("unreachable"); });
    ASSERT_TRUE(monitor->startNotifier());
    ASSERT_TRUE(mainQueue->runOne());
    source->setFlags(reachable | connectionRequired);
    source->fire();
    ASSERT_TRUE(mainQueue->runOne());
    EXPECT_EQ(calls, (std::vector<std::string>{"reachable wifi", "unreachable"}));

    source->setFlags(reachable);
    source->fire();
    monitor.reset();
    EXPECT_FALSE(source->watching());
    while (mainQueue->pending() > 0) {
        mainQueue->runOne(); // a report queued before the monitor went finds nobody
    }
    EXPECT_EQ(calls.size(), 2u);
}

class SysClassNet : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() /
               ("orvendel-sysnet-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(root);
    }
    void TearDown() override { std::filesystem::remove_all(root); }
    void interface(const std::string& name, const std::string& flags, const std::string& operstate,
                   const std::string& uevent = "", bool wireless = false)
    {
        std::filesystem::create_directories(root / name);
        std::ofstream(root / name / "flags") << flags << "\n";
        std::ofstream(root / name / "operstate") << operstate << "\n";
        std::ofstream(root / name / "uevent") << uevent;
        if (wireless) {
            std::filesystem::create_directories(root / name / "wireless");
        }
    }
    std::filesystem::path root;
};

TEST_F(SysClassNet, UpInterfacesAreReachableAndWwanIsCellular)
{
    interface("eth0", "0x1003", "up");
    interface("wlan0", "0x1043", "up", "DEVTYPE=wlan\n", true);
    interface("wwan0", "0x10d1", "unknown", "DEVTYPE=wwan\nINTERFACE=wwan0\n");
    interface("eth1", "0x1003", "down");    // up, but no carrier
    interface("eth2", "0x1002", "down");    // down
    interface("tun0", "0x1011", "unknown"); // unknown state and not running
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "eth0"), reachable);
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "wlan0"), reachable);
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "wwan0"), reachable | isWWAN);
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "eth1"), 0u);
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "eth2"), 0u);
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "tun0"), 0u);
    EXPECT_EQ(RtnetlinkReachabilitySource::interfaceFlags(root, "missing0"), 0u);
}

TEST(RtnetlinkReachabilitySource, ReadsThisMachinesRoutesAndWatchesWithoutHanging)
{
    RtnetlinkReachabilitySource source;
    auto reading = source.readFlags();
    if (!reading.flags &&
        (reading.errorCode == EPERM || reading.errorCode == EAFNOSUPPORT || reading.errorCode == EACCES)) {
        GTEST_SKIP() << "no rtnetlink here (" << reading.errorCode << ")";
    }
    ASSERT_TRUE(reading.flags) << reading.errorCode;
    EXPECT_EQ(*reading.flags & ~(reachable | isWWAN), 0u);
    EXPECT_EQ(source.setCallback([] {}), 0);
    EXPECT_EQ(source.setCallback({}), 0);
}

} // namespace
} // namespace orvendel
