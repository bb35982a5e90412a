#pragma once

#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/application_flow.hpp"
#include "core/flows/context.hpp"
#include "core/flows/service_connectivity.hpp"
#include "core/platform/secret_store.hpp"
#include "core/screens/selection.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/credential_store.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "support/fake_http_transport.hpp"
#include "support/manual_clock.hpp"
#include "support/test_loop.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace orvendel::test {

// Records what the flows present; questions stay open until the test answers them.
class RecordingPresenter final : public flows::Presenter {
public:
    flows::AlertHandle presentAlert(flows::Alert alert) override
    {
        alerts.push_back(std::move(alert));
        return flows::AlertHandle{alerts.size()};
    }
    // Counts the dismissals of alerts that were presented.
    void dismiss(flows::AlertHandle handle) override { dismissals += handle && handle.id <= alerts.size() ? 1 : 0; }
    // Keeps the history; only what came after the last call counts as shown.
    void dismissAll() override { shownFrom = alerts.size(); }
    void openURL(const std::string& url) override { urls.push_back(url); }

    // Chooses the button titled `title` of the last alert.
    void answer(const std::string& title)
    {
        ASSERT_FALSE(alerts.empty());
        for (const auto& action : alerts.back().actions) {
            if (action.title == title) {
                if (action.action) {
                    action.action();
                }
                return;
            }
        }
        FAIL() << "no button " << title;
    }

    std::vector<std::string> titles() const
    {
        std::vector<std::string> result;
        for (const auto& alert : alerts) {
            result.push_back(alert.title);
        }
        return result;
    }

    // The titles of the alerts not taken away with their screen.
    std::vector<std::string> shownTitles() const
    {
        const auto all = titles();
        return {all.begin() + static_cast<std::ptrdiff_t>(shownFrom), all.end()};
    }

    std::vector<flows::Alert> alerts;
    std::size_t shownFrom = 0;
    int dismissals = 0;
    std::vector<std::string> urls;
};

// The flows over a session of real managers of their own, with a fake transport the test answers, a data
// folder of its own, the test's executor as the user-interface thread and a manual clock.
class FlowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // The process in the name too: the suite runs beside itself under other time zones.
        m_folder = std::filesystem::temp_directory_path() / (std::string("orvendel-flows-") + info->test_suite_name() +
                                                             "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_folder);
        context = flows::Context::create(
            {.notificationCenter = {},
             .clock = clock,
             .transport = transport,
             .credentialStore = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                                  makeFileSecretStore(m_folder / "secrets")),
             .applicationSupportDirectory = dataFolder(),
             .locale = "de-CH"});
        app = flows::ApplicationFlow::create(flows::ApplicationFlow::Environment{
            context, executor, connectivity, presenter.ref(), std::chrono::seconds(300)});
        app->setScreenHandler([this](flows::Screen, flows::ScreenChange change) { screenChanges.push_back(change); });
        app->launch();
    }

    void TearDown() override
    {
        app.reset();
        transport->abandonRunningTasks();
        context->edits->drain();
        context.reset();
        std::filesystem::remove_all(m_folder);
    }

    // The test's own data folder, where the session keeps the users' folders.
    ApplicationSupportDirectory dataFolder() const
    {
        return [folder = m_folder] { return std::optional(folder); };
    }

    // The running request to `resource` sent last.
    std::shared_ptr<FakeHttpTransport::Session> running(const std::string& resource)
    {
        const auto sessions = transport->sessions();
        for (auto it = sessions.rbegin(); it != sessions.rend(); ++it) {
            const auto& session = *it;
            if (session->isRunning() && !session->requests.empty() &&
                session->requests.back().url.ends_with("/" + resource)) {
                return session;
            }
        }
        return nullptr;
    }

    // Answers the running request to `resource`; false when none runs.
    bool reply(const std::string& resource, const std::string& body, int status = 200)
    {
        auto session = running(resource);
        if (!session) {
            ADD_FAILURE() << "no running request to " << resource;
            return false;
        }
        session->reply(status, body);
        return true;
    }

    static std::string authenticateReply(int startingFurnaceId = 2)
    {
        return R"({"resultInformation":{"success":true},"data":{"token":"T-)" + std::to_string(startingFurnaceId) +
               R"(","startingFurnaceId":)" + std::to_string(startingFurnaceId) + "}}";
    }

    static std::string furnacesReply()
    {
        return R"({"resultInformation":{"success":true},"data":[{"furnaceId":1,"furnaceName":"EAF 1"},
                  {"furnaceId":2,"furnaceName":"EAF 2"},{"furnaceId":9,"furnaceName":"--Test furnace"}]})";
    }

    // Two heats of the furnace, each with delays; `reasonOfFirst` classifies the first delay (0: unknown).
    static std::string delaysReply(int furnaceId = 2, int reasonOfFirst = 0)
    {
        const std::string f = std::to_string(furnaceId);
        return R"({"resultInformation":{"success":true},"data":[
          {"furnaceId":)" +
               f + R"(,"heatId":)" + std::to_string(furnaceId * 100 + 1) +
               R"(,"heatNumber":501,"startDate":"2026-12-06T08:00:00-06:00","endDate":"2026-12-06T09:00:00-06:00",
           "delays":[{"delayId":11,"reasonId":)" +
               std::to_string(reasonOfFirst) + R"(,"reasonDescription":"First",
             "startDate":"2026-12-06T08:10:00-06:00","endDate":"2026-12-06T08:15:00-06:00","timestamp":"AAE="},
            {"delayId":12,"reasonId":12,"reasonDescription":"Waiting for scrap",
             "startDate":"2026-12-06T08:30:00-06:00","endDate":"2026-12-06T08:31:30-06:00","timestamp":"AAI="}]},
          {"furnaceId":)" +
               f + R"(,"heatId":)" + std::to_string(furnaceId * 100 + 2) +
               R"(,"heatNumber":502,"startDate":"2026-12-06T09:00:00-06:00","endDate":"2026-12-06T10:00:00-06:00",
           "delays":[{"delayId":21,"reasonId":12,"reasonDescription":"Waiting for scrap",
             "startDate":"2026-12-06T09:20:00-06:00","endDate":"2026-12-06T09:25:00-06:00","timestamp":"AAM="}]}]})";
    }

    static std::string reasonsReply()
    {
        return R"j({"resultInformation":{"success":true},"data":[{"delayReasonId":0,"delayCategoryId":1,
                  "description":"Unknown","shortDescription":"UNK","color":"rgb(9, 9, 9)"},{"delayReasonId":12,"delayCategoryId":20,
                  "description":"Waiting for scrap","shortDescription":"SCRAP","color":"rgb(1, 2, 3)"}]})j";
    }

    // Signs in through the sign-in flow and waits for the main screen.
    void signIn(const std::string& user = "jdoe", int startingFurnaceId = 2)
    {
        ASSERT_TRUE(app->signIn());
        ASSERT_TRUE(app->signIn()->signIn(user, "secret"));
        ASSERT_TRUE(reply("Authenticate", authenticateReply(startingFurnaceId)));
        ASSERT_TRUE(executor->runUntil([&] { return app->isSignedIn(); }));
    }

    // Answers the furnace list and the first pair, and waits until the list settled.
    void loadFurnace(int furnaceId = 2)
    {
        ASSERT_TRUE(executor->runUntil([&] { return running("FurnacesList") != nullptr; }));
        ASSERT_TRUE(reply("FurnacesList", furnacesReply()));
        answerPair(furnaceId);
    }

    void answerPair(int furnaceId = 2, int reasonOfFirst = 0)
    {
        ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
        ASSERT_TRUE(reply("Last24HoursDelays", delaysReply(furnaceId, reasonOfFirst)));
        ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
        settle();
    }

    void settle()
    {
        ASSERT_TRUE(executor->runUntil(
            [&] { return !app->heatsList() || (!app->heatsList()->isBusy() && !app->heatDetail()->isSaving()); }));
    }

    // Signs in, loads the furnace and taps the first delay of heat 201: the heat detail shows it.
    void showFirstHeat()
    {
        signIn();
        loadFurnace();
        const auto& sections = *app->heatsList()->tableData();
        for (std::size_t i = 0; i < sections.size(); ++i) {
            if (sections[i].heatId == 201) {
                app->heatsList()->selectRow(i, 0);
            }
        }
        ASSERT_TRUE(app->heatDetail()->heat());
    }

    // Garbage over the user database's header, behind the open connection's back: every read fails from now on.
    void damageDatabase()
    {
        const auto path = context->database->databasePath();
        ASSERT_TRUE(path);
        std::fstream file(*path, std::ios::in | std::ios::out | std::ios::binary);
        const std::string garbage(100, 'x');
        ASSERT_TRUE(file.write(garbage.data(), static_cast<std::streamsize>(garbage.size())));
    }

    // An unsaved reason change of the heat's first listed delay.
    DelayPtr addEdit(int heatId)
    {
        const auto heat = screens::findHeat(app->heatsList()->heats(), heatId);
        EXPECT_TRUE(heat && heat->delays && !heat->delays->empty());
        DelayPtr edit = (*heat->delays)[0]->copy();
        edit->reasonId = 12;
        edit->reasonDescription = "Waiting for scrap";
        edit->isEdited = true;
        context->edits->addEditedDelay(edit);
        context->edits->drain();
        return edit;
    }

    std::shared_ptr<TestLoop> executor = std::make_shared<TestLoop>();
    std::shared_ptr<FakeHttpTransport> transport = std::make_shared<FakeHttpTransport>();
    std::shared_ptr<flows::ServiceConnectivity> connectivity =
        std::make_shared<flows::ServiceConnectivity>(flows::ConnectivityMode::online, "http://service.test/x");
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    flows::ContextPtr context;
    RecordingPresenter presenter;
    std::shared_ptr<flows::ApplicationFlow> app;
    std::vector<flows::ScreenChange> screenChanges;

private:
    std::filesystem::path m_folder;
};

} // namespace orvendel::test
