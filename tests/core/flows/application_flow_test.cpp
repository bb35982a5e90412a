#include "core/model/screen_notifications.hpp"
#include "core/model/utilities.hpp"
#include "flow_fixture.hpp"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

namespace orvendel::test {
namespace {

using namespace std::chrono_literals;
using flows::Screen;
using flows::ScreenChange;

class ApplicationFlowTest : public FlowFixture {
protected:
    // Runs what the clock's timers posted.
    void advance(Clock::Duration by)
    {
        clock->advance(by);
        executor->runUntil([&] { return executor->pending() == 0; });
    }

    std::size_t editCount()
    {
        std::size_t count = 0;
        context->edits->getAllEditedDelays([&](std::vector<DelayPtr> all) { count = all.size(); });
        context->edits->drain();
        return count;
    }
};

TEST_F(ApplicationFlowTest, InputOnTheMainScreenRestartsTheFiveMinuteCountdown)
{
    EXPECT_EQ(screenChanges, std::vector<ScreenChange>{ScreenChange::launch});
    signIn();
    loadFurnace();
    EXPECT_TRUE(app->isIdleTimerEnabled());
    advance(299s);
    app->userActivity();
    advance(299s);
    EXPECT_EQ(app->screen(), Screen::main);
    advance(1s);
    EXPECT_EQ(app->screen(), Screen::signIn);
    EXPECT_EQ(screenChanges.back(), ScreenChange::inactivity);
    EXPECT_FALSE(app->isIdleTimerEnabled());
    // The session stays: only the screen was replaced.
    EXPECT_TRUE(context->login->sessionId().has_value());
    // On the sign-in screen input restarts nothing.
    app->userActivity();
    EXPECT_EQ(clock->pendingTimers(), 0u);
}

TEST_F(ApplicationFlowTest, TheSameUserKeepsTheEditsAnotherUserStartsClean)
{
    signIn("jdoe");
    loadFurnace();
    addEdit(201);
    app->didEnterBackground();
    EXPECT_EQ(app->screen(), Screen::signIn);
    EXPECT_EQ(screenChanges.back(), ScreenChange::background);

    signIn("JDoe ");
    loadFurnace();
    EXPECT_EQ(editCount(), 1u);
    EXPECT_EQ(app->restoredEditCount(), 0u); // kept in memory, nothing came back from disk
    EXPECT_TRUE(app->heatsList()->tableData()->at(0).items.size() + app->heatsList()->tableData()->at(1).items.size() >
                0);

    advance(300s);
    ASSERT_EQ(app->screen(), Screen::signIn);
    signIn("kim");
    EXPECT_EQ(app->userName(), "KIM");
    EXPECT_EQ(editCount(), 0u);

    EXPECT_EQ(app->restoredEditCount(), 0u);

    // The first user's edits waited on disk for them.
    advance(300s);
    signIn("jdoe");
    EXPECT_EQ(editCount(), 1u);
    EXPECT_EQ(app->restoredEditCount(), 1u);
}

// Two sessions in one process, as two tests or two users would have them: what one signs in, downloads,
// edits or signs out never reaches the other's managers or flows.
TEST_F(ApplicationFlowTest, AnotherSessionSharesNothingWithThisOne)
{
    const auto otherFolder = *dataFolder()() / "other";
    auto otherTransport = std::make_shared<FakeHttpTransport>();
    const auto otherSession = flows::Context::create(
        {.clock = clock,
         .transport = otherTransport,
         .credentialStore = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                              makeFileSecretStore(otherFolder / "secrets")),
         .applicationSupportDirectory = [otherFolder] { return std::optional(otherFolder); }});
    RecordingPresenter otherPresenter;
    auto other = flows::ApplicationFlow::create({otherSession, executor, connectivity, otherPresenter.ref()});
    std::vector<ScreenChange> otherChanges;
    other->setScreenHandler([&](Screen, ScreenChange change) { otherChanges.push_back(change); });
    other->launch();

    signIn("jdoe");
    loadFurnace();
    addEdit(201);
    EXPECT_TRUE(otherTransport->sessions().empty());
    EXPECT_FALSE(otherSession->login->sessionId());
    EXPECT_EQ(otherSession->database->databasePath(), std::nullopt);
    EXPECT_FALSE(otherSession->edits->hasEditedDelays(201));
    EXPECT_EQ(other->screen(), Screen::signIn);

    // A sign-out in the other session runs its own logout sequence only.
    other->requestLogout();
    ASSERT_TRUE(executor->runUntil([&] { return otherChanges.back() == ScreenChange::requestedLogout; }));
    EXPECT_TRUE(app->isSignedIn());
    EXPECT_TRUE(context->login->sessionId().has_value());
    EXPECT_EQ(editCount(), 1u);
    // Its idle timer is not ours either: only the signed-in session's main screen times out.
    advance(300s);
    EXPECT_EQ(screenChanges.back(), ScreenChange::inactivity);
    EXPECT_EQ(otherChanges.back(), ScreenChange::requestedLogout);
}

// The addresses the front end resolved travel in the session: its update check, its sign-in and its
// downloads go there and nowhere else.
TEST_F(ApplicationFlowTest, ASessionsRequestsGoToTheAddressesItWasMadeWith)
{
    const auto plantFolder = *dataFolder()() / "plant";
    auto plantTransport = std::make_shared<FakeHttpTransport>();
    const auto plant = flows::Context::create(
        {.clock = clock,
         .transport = plantTransport,
         .credentialStore = std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                              makeFileSecretStore(plantFolder / "secrets")),
         .applicationSupportDirectory = [plantFolder] { return std::optional(plantFolder); },
         .serviceURL = "http://delays.plant:81/DelaysApi/Delays/",
         .storeSearchURL = "http://store.plant/search"});
    RecordingPresenter plantPresenter;
    auto flow = flows::ApplicationFlow::create({plant, executor, connectivity, plantPresenter.ref(), 300s, true});
    flow->launch();
    const auto urlOf = [&](std::size_t index) {
        const auto sessions = plantTransport->sessions();
        return index < sessions.size() && !sessions[index]->requests.empty() ? sessions[index]->requests[0].url
                                                                             : std::string();
    };
    ASSERT_TRUE(executor->runUntil([&] { return !urlOf(0).empty(); }));
    EXPECT_TRUE(urlOf(0).starts_with("http://store.plant/search?term=")) << urlOf(0);

    ASSERT_TRUE(flow->signIn()->signIn("jdoe", "secret"));
    ASSERT_EQ(urlOf(1), "http://delays.plant:81/DelaysApi/Delays/Authenticate");
    plantTransport->sessions()[1]->reply(200, authenticateReply());
    ASSERT_TRUE(executor->runUntil([&] { return !urlOf(2).empty(); }));
    EXPECT_EQ(urlOf(2), "http://delays.plant:81/DelaysApi/Delays/FurnacesList");
    EXPECT_TRUE(transport->sessions().empty()) << "nothing went through the fixture's session";
    plantTransport->abandonRunningTasks();
}

// Another process signed in as the same user is stood in for by a second DatabaseManager on the same folder.
TEST_F(ApplicationFlowTest, TheUsersFolderIsHeldForTheWholeSessionAndASecondHolderIsRefused)
{
    DatabaseManager other({dataFolder()});
    signIn("jdoe");
    loadFurnace();
    EXPECT_FALSE(other.checkUserFolderFree("jdoe"));
    // The idle timeout only replaces the screen; the session, and the folder with it, stay.
    advance(300s);
    EXPECT_FALSE(other.checkUserFolderFree("jdoe"));

    // Another user's sign-in ends the first user's session.
    signIn("kim");
    ASSERT_TRUE(other.holdUserFolder("jdoe"));
    advance(300s);
    const auto before = transport->sessions().size();
    EXPECT_FALSE(app->signIn()->signIn("jdoe", "secret"));
    EXPECT_EQ(transport->sessions().size(), before) << "refused before the service is asked";
    ASSERT_FALSE(presenter.alerts.empty());
    ASSERT_TRUE(presenter.alerts.back().error);
    EXPECT_TRUE(presenter.alerts.back().error->is(orv_error::domain, orv_error::signedInElsewhere));
    EXPECT_EQ(presenter.alerts.back().message,
              fmt::format("JDOE is signed in in another Orvendel process ({}, pid {}). Sign out there first. "
                          "(Error: 1030)",
                          FolderLock::currentProgram(), ::getpid()));
    EXPECT_EQ(app->userName(), "KIM");

    // Taken by the other process while the service answered: still refused before the database is opened.
    other.releaseUserFolder();
    ASSERT_TRUE(app->signIn()->signIn("jdoe", "secret"));
    ASSERT_TRUE(other.holdUserFolder("jdoe"));
    ASSERT_TRUE(reply("Authenticate", authenticateReply()));
    ASSERT_TRUE(executor->runUntil([&] { return !app->signIn()->isSigningIn(); }));
    EXPECT_FALSE(app->isSignedIn());
    EXPECT_EQ(context->database->databasePath(), std::nullopt);
    EXPECT_TRUE(presenter.alerts.back().error->is(orv_error::domain, orv_error::signedInElsewhere));

    // Once the other process signed out, the sign-in goes ahead; a sign-out frees the folder again.
    other.releaseUserFolder();
    signIn("jdoe");
    EXPECT_FALSE(other.checkUserFolderFree("jdoe"));
    app->requestLogout();
    ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
    EXPECT_TRUE(other.holdUserFolder("jdoe"));
}

TEST_F(ApplicationFlowTest, ASignOutTheServiceForcedRunsTheLogoutSequence)
{
    signIn();
    loadFurnace();
    addEdit(201);
    context->notificationCenter->post(login_notifications::Logout{}, context->login.get());
    ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
    EXPECT_EQ(screenChanges.back(), ScreenChange::logout);
    EXPECT_EQ(app->signOutCount(), 1);
    EXPECT_FALSE(context->login->sessionId().has_value());
    EXPECT_EQ(context->database->databasePath(), std::nullopt);
    EXPECT_EQ(editCount(), 0u);
    EXPECT_TRUE(app->userName().empty());

    // Nobody asked for that sign-out: the edits come back with the same user's next sign-in.
    signIn();
    EXPECT_EQ(editCount(), 1u);
    app->requestLogout();
    ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
    EXPECT_EQ(screenChanges.back(), ScreenChange::requestedLogout);
    // One the user asked for discards them.
    signIn();
    EXPECT_EQ(editCount(), 0u);
}

TEST_F(ApplicationFlowTest, ALateSignOutOfAnEarlierSessionLeavesTheNextOneAlone)
{
    signIn();
    context->notificationCenter->post(login_notifications::Logout{}, context->login.get());
    ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
    ASSERT_TRUE(app->signIn()->signIn("jdoe", "secret"));
    // A request of the ended session fails late and signs out again, while the new sign-in is answered.
    context->notificationCenter->post(login_notifications::Logout{}, context->login.get());
    ASSERT_TRUE(reply("Authenticate", authenticateReply()));
    ASSERT_TRUE(executor->runUntil([&] { return app->isSignedIn(); }));
    EXPECT_EQ(app->signOutCount(), 1);
    EXPECT_TRUE(context->login->sessionId().has_value());
}

TEST_F(ApplicationFlowTest, AlertsLeaveWithTheScreenThatPresentedThem)
{
    signIn();
    loadFurnace();
    app->heatsList()->refresh();
    ASSERT_TRUE(executor->runUntil([&] { return running("ReasonsList") != nullptr; }));
    ASSERT_TRUE(reply("Last24HoursDelays", "<html>oops</html>", 500));
    ASSERT_TRUE(reply("ReasonsList", reasonsReply()));
    settle();
    ASSERT_EQ(presenter.shownTitles(), std::vector<std::string>{"Problem"});

    // Minimised: the sign-in screen shows without the main screen's alert.
    std::vector<std::size_t> shownAtSwitch;
    app->setScreenHandler([&](Screen, ScreenChange) { shownAtSwitch.push_back(presenter.shownTitles().size()); });
    app->didEnterBackground();
    EXPECT_EQ(shownAtSwitch, std::vector<std::size_t>{0});
    EXPECT_TRUE(presenter.shownTitles().empty());

    // The new screen's own alerts stay until the screen changes again.
    ASSERT_TRUE(app->signIn()->signIn("jdoe", "wrong"));
    ASSERT_TRUE(reply("Authenticate",
                      R"({"resultInformation":{"success":false,"errorCode":2,"errorDescription":"Wrong password."}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !app->signIn()->isSigningIn(); }));
    EXPECT_EQ(presenter.shownTitles(), std::vector<std::string>{"Problem"});
    signIn();
    EXPECT_TRUE(presenter.shownTitles().empty());
}

class SignInFlowTest : public FlowFixture {};

TEST_F(SignInFlowTest, TheAttemptIsTrimmedAndTheUsersStorageIsPrepared)
{
    auto signIn = app->signIn();
    EXPECT_TRUE(signIn->loginButtonEnabled()); // an untouched screen starts enabled
    signIn->fieldsChanged(" \t", "x");
    EXPECT_FALSE(signIn->loginButtonEnabled());
    signIn->fieldsChanged("a", " ");
    EXPECT_TRUE(signIn->loginButtonEnabled());

    EXPECT_EQ(signIn->signIn("  jdoe \n", " secret "), "jdoe");
    EXPECT_FALSE(signIn->controlsEnabled());
    const auto& body = running("Authenticate")->requests.back().body;
    EXPECT_NE(body.find("\"JDOE\""), std::string::npos);
    EXPECT_NE(body.find("\"secret\""), std::string::npos);
    ASSERT_TRUE(reply("Authenticate", authenticateReply(12)));
    ASSERT_TRUE(executor->runUntil([&] { return app->isSignedIn(); }));
    EXPECT_EQ(app->userName(), "JDOE");
    EXPECT_EQ(context->configuration->selectedFurnaceId(), 12);
    EXPECT_EQ(screenChanges.back(), ScreenChange::signedIn);
}

// The service, the keychain and the storage folder must agree on who signed in, whatever the script.
TEST_F(SignInFlowTest, OneUpperCasingNamesTheServiceUserTheStoredPasswordAndTheFolder)
{
    const std::pair<std::string, std::string> names[] = {{" j\xC3\xBCrgen ", "J\xC3\x9CRGEN"},
                                                         {"stra\xC3\x9F"
                                                          "e",
                                                          "STRASSE"}};
    for (const auto& [typed, expected] : names) {
        signIn(typed);
        std::string sent;
        for (const auto& session : transport->sessions()) {
            for (const auto& request : session->requests) {
                if (request.url.ends_with("/Authenticate")) {
                    sent = nlohmann::json::parse(request.body).at("data").at("username").get<std::string>();
                }
            }
        }
        EXPECT_EQ(sent, expected);
        EXPECT_EQ(context->login->username(), expected);
        EXPECT_EQ(context->login->credentialStore().string(expected).valueOr(""), "secret");
        EXPECT_EQ(app->userName(), expected);
        const auto database = context->database->databasePath();
        ASSERT_TRUE(database);
        EXPECT_EQ(std::filesystem::path(*database).parent_path().filename(), *Utilities::md5Hex(expected));
        app->requestLogout();
        ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
    }
}

TEST_F(SignInFlowTest, FailuresAreAlertedAndTheControlsComeBack)
{
    auto signIn = app->signIn();
    ASSERT_TRUE(signIn->signIn("jdoe", "wrong"));
    ASSERT_TRUE(reply("Authenticate",
                      R"({"resultInformation":{"success":false,"errorCode":2,"errorDescription":"Wrong password."}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !signIn->isSigningIn(); }));
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(presenter.alerts[0].title, "Problem");
    EXPECT_EQ(presenter.alerts[0].message, "Wrong password. (Error: 2)");
    EXPECT_TRUE(signIn->controlsEnabled());
    EXPECT_EQ(app->screen(), Screen::signIn);

    ASSERT_TRUE(signIn->signIn("jdoe", "x"));
    running("Authenticate")->fail(Error{"NSURLErrorDomain", -1004, "Could not connect to the server."});
    ASSERT_TRUE(executor->runUntil([&] { return !signIn->isSigningIn(); }));
    EXPECT_EQ(presenter.alerts.back().message, "Could not connect to the server. (Error: -1004)");

    // Refused without the service's reason: still a reason to show.
    ASSERT_TRUE(signIn->signIn("jdoe", "x"));
    ASSERT_TRUE(reply("Authenticate", R"({"resultInformation":{"success":false}})"));
    ASSERT_TRUE(executor->runUntil([&] { return !signIn->isSigningIn(); }));
    EXPECT_EQ(presenter.alerts.back().message, "There was a problem trying to login (Error: 0)");
}

// The previous session is being renewed when the next attempt is typed: the renewal's success is not the
// attempt's, which is sent after it and takes only its own outcome.
TEST_F(SignInFlowTest, AnAttemptWaitsForARunningRenewalAndTakesOnlyItsOwnOutcome)
{
    for (const auto& [user, password, accepted] : {std::tuple{"kim", "pw", true}, {"jdoe", "wrong", false}}) {
        SCOPED_TRACE(user);
        signIn("jdoe");
        loadFurnace();
        app->didEnterBackground();
        context->login->refreshSession();
        ASSERT_TRUE(running("Authenticate"));
        const auto sent = transport->requestsTo("Authenticate");
        auto signIn = app->signIn();
        ASSERT_TRUE(signIn->signIn(user, password));
        EXPECT_EQ(transport->requestsTo("Authenticate"), sent);
        ASSERT_TRUE(reply("Authenticate", authenticateReply()));
        ASSERT_TRUE(executor->runUntil([&] { return transport->requestsTo("Authenticate") == sent + 1; }));
        EXPECT_TRUE(signIn->isSigningIn());
        EXPECT_EQ(app->screen(), Screen::signIn);
        EXPECT_NE(running("Authenticate")->requests.back().body.find(fmt::format("\"{}\"", password)),
                  std::string::npos);
        ASSERT_TRUE(reply(
            "Authenticate",
            accepted
                ? authenticateReply()
                : R"({"resultInformation":{"success":false,"errorCode":2,"errorDescription":"Wrong password."}})"));
        ASSERT_TRUE(executor->runUntil([&] { return !signIn->isSigningIn(); }));
        EXPECT_EQ(app->isSignedIn(), accepted);
        if (accepted) {
            EXPECT_EQ(app->userName(), "KIM");
            app->requestLogout();
            ASSERT_TRUE(executor->runUntil([&] { return !app->isSignedIn(); }));
        } else {
            EXPECT_EQ(presenter.alerts.back().message, "Wrong password. (Error: 2)");
            EXPECT_EQ(context->login->credentialStore().string("JDOE").valueOr(""), "secret");
        }
    }
}

TEST_F(SignInFlowTest, WithoutANetworkNothingIsSent)
{
    connectivity = std::make_shared<flows::ServiceConnectivity>(flows::ConnectivityMode::offline, "x");
    app = flows::ApplicationFlow::create({context, executor, connectivity, presenter.ref()});
    app->launch();
    EXPECT_FALSE(app->signIn()->signIn("jdoe", "secret"));
    EXPECT_TRUE(app->signIn()->controlsEnabled());
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(presenter.alerts[0].title, "No Internet Connection");
    EXPECT_EQ(presenter.alerts[0].error->code, 1015);
    EXPECT_EQ(transport->requestsTo("Authenticate"), 0u);
}

} // namespace
} // namespace orvendel::test
