#pragma once

#include "core/platform/secret_store.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "support/fake_http_transport.hpp"
#include "support/notification_recorder.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvendel::test {

// A login manager and a download manager over a fake transport, a private notification centre, an owner-only
// secret file and a user database in a temporary folder.
class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = std::filesystem::temp_directory_path() /
                   (std::string("orvendel-session-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(m_folder);
        ASSERT_TRUE(database->openUserDatabase("jdoe"));

        credentials = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                        makeFileSecretStore(m_folder / "secrets"));
        loginManager = LoginManager::create({credentials, transport, &center, std::chrono::seconds(12), serviceURL});
        downloadManager =
            DownloadManager::create({loginManager, database, transport, &center, std::chrono::seconds(12)});
    }

    void TearDown() override
    {
        downloadManager.reset();
        loginManager.reset();
        database->databaseQueue().drain();
        database->closeDatabase();
        std::filesystem::remove_all(m_folder);
    }

    // Signs in as jdoe through the fake transport.
    void signIn(const std::string& token = "T1")
    {
        loginManager->authenticate("jdoe", "secret");
        transport->lastSession()->reply(200, R"({"resultInformation":{"success":true},"data":{"token":")" + token +
                                                 R"(","startingFurnaceId":7}})");
        ASSERT_EQ(loginManager->sessionId(), token);
    }

    std::shared_ptr<FakeHttpTransport::Session> sessionFor(const std::string& resource, std::size_t nth = 0)
    {
        std::size_t seen = 0;
        for (const auto& session : transport->sessions()) {
            if (!session->requests.empty() && session->requests.front().url.ends_with("/" + resource)) {
                if (seen++ == nth) {
                    return session;
                }
            }
        }
        return nullptr;
    }

    const std::string serviceURL = "http://delays.test/DelaysApi/Delays";
    NotificationCenter center;
    std::shared_ptr<FakeHttpTransport> transport = std::make_shared<FakeHttpTransport>();
    std::shared_ptr<DatabaseManager> database =
        std::make_shared<DatabaseManager>(DatabaseManager::Dependencies{[this] { return std::optional(m_folder); }});
    std::shared_ptr<CredentialStore> credentials;
    std::shared_ptr<LoginManager> loginManager;
    std::shared_ptr<DownloadManager> downloadManager;

private:
    std::filesystem::path m_folder;
};

inline constexpr const char* expiredReply =
    R"({"resultInformation":{"success":false,"errorCode":3,"errorDescription":"Session expired."}})";

} // namespace orvendel::test
