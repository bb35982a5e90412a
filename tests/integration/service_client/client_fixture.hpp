#pragma once

#include "core/platform/curl_http_transport.hpp"
#include "core/platform/secret_store.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "core/service/service_address.hpp"
#include "core/service/wire/messages.hpp"
#include "core/support/clock.hpp"
#include "core/support/log.hpp"
#include "support/notification_recorder.hpp"
#include "support/service_client.hpp"
#include "support/service_process.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <future>

namespace orvendel::test {

namespace dn = download_notifications;
namespace ln = login_notifications;

// One reference service per suite; per test a fresh plant, a fresh user folder and fresh managers over a real
// libcurl transport whose resource time-out is shortened to keep the time-out test quick.
class ClientFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_service = new orvendel::testing::ServiceProcess({.seed = 11});
        ASSERT_TRUE(s_service->running()) << s_service->logText();
    }
    static void TearDownTestSuite()
    {
        delete s_service;
        s_service = nullptr;
    }

    void SetUp() override
    {
        admin = std::make_unique<orvendel::testing::ServiceClient>(s_service->port());
        ASSERT_EQ(admin->reset().status, 200);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() / (std::string("orvendel-client-") + info->name());
        std::filesystem::remove_all(m_folder);
        ASSERT_TRUE(database->openUserDatabase("demo"));

        transport = std::make_shared<CurlHttpTransport>(
            CurlHttpTransport::Options{.maximumResourceTimeout = std::chrono::milliseconds(5000),
                                       .maximumIdleTimeout = std::nullopt,
                                       .callbackThreads = 2,
                                       .libraryName = std::nullopt});
        credentials = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                        makeFileSecretStore(m_folder / "secrets"));
        loginManager = makeLoginManager(s_service->baseUrl());
        downloadManager =
            DownloadManager::create({loginManager, database, transport, &center, std::chrono::seconds(12)});
    }

    void TearDown() override
    {
        downloadManager->resetForLogout();
        downloadManager.reset();
        loginManager.reset();
        transport.reset();
        database->databaseQueue().drain();
        database->closeDatabase();
        std::filesystem::remove_all(m_folder);
    }

    // A login manager of this fixture's world for the service at `serviceURL`.
    std::shared_ptr<LoginManager> makeLoginManager(std::string serviceURL)
    {
        return LoginManager::create({credentials, transport, &center, std::chrono::seconds(12), std::move(serviceURL)});
    }

    // Signs in as demo and waits for the outcome.
    bool signIn(const std::string& password = "demo")
    {
        NotificationRecorder<ln::ServerAuthentication> recorder(center);
        loginManager->authenticate("demo", password);
        if (!recorder.waitFor<ln::ServerAuthentication>()) {
            return false;
        }
        return recorder.named<ln::ServerAuthentication>().at(0).outcome.hasValue();
    }

    nlohmann::json stats() { return nlohmann::json::parse(admin->stats().body); }

    template <typename T, typename Fetch>
    T fetch(Fetch&& call)
    {
        std::promise<Result<T>> promise;
        call([&](Result<T> value) { promise.set_value(std::move(value)); });
        auto fetched = promise.get_future().get();
        if (!fetched) {
            ADD_FAILURE() << "the read failed: " << fetched.error().description;
            return T{};
        }
        return std::move(fetched).value();
    }

    static inline orvendel::testing::ServiceProcess* s_service = nullptr;
    std::unique_ptr<orvendel::testing::ServiceClient> admin;
    NotificationCenter center;
    std::shared_ptr<DatabaseManager> database =
        std::make_shared<DatabaseManager>(DatabaseManager::Dependencies{[this] { return std::optional(m_folder); }});
    std::shared_ptr<CurlHttpTransport> transport;
    std::shared_ptr<CredentialStore> credentials;
    std::shared_ptr<LoginManager> loginManager;
    std::shared_ptr<DownloadManager> downloadManager;

private:
    std::filesystem::path m_folder;
};

} // namespace orvendel::test
