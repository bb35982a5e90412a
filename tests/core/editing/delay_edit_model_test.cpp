#include "core/editing/delay_edit_model.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/support/log.hpp"

#include "editing_fixtures.hpp"

#include <gtest/gtest.h>

namespace orvendel {
namespace {

using namespace std::chrono_literals;
using testing::at;
using testing::makeDelay;
using testing::snapshot;

struct FakeSettings : EditSettings {
    bool autoSave = false;
    int furnace = 5;
    bool isAutoSaveEnabled() const override { return autoSave; }
    int selectedFurnaceId() const override { return furnace; }
};

struct FakeConnectivity : ConnectivityStatus {
    bool online = true;
    bool isInternetAvailable() const override { return online; }
};

struct RecordingSaver : DelaySaver {
    struct Call {
        int furnaceId;
        int heatId;
        std::vector<DelayPtr> delays;
    };
    std::vector<Call> calls;
    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays) override
    {
        calls.push_back({furnaceId, heatId, std::move(delays)});
    }
};

struct Reload {
    screen_notifications::DelaySelection selection;
    const void* sender;
};

class DelayEditModelTest : public ::testing::Test {
protected:
    NotificationCenter center;
    std::shared_ptr<EditedDelaysManager> store = std::make_shared<EditedDelaysManager>(center);
    std::shared_ptr<FakeSettings> settings = std::make_shared<FakeSettings>();
    std::shared_ptr<FakeConnectivity> connectivity = std::make_shared<FakeConnectivity>();
    std::shared_ptr<RecordingSaver> saver = std::make_shared<RecordingSaver>();
    std::vector<EditAlert> alerts;
    std::vector<Reload> reloads;
    ObserverToken reloadToken = center.observe<screen_notifications::ReloadData>(
        [this](const screen_notifications::ReloadData& n, const void* sender) {
            reloads.push_back({n.selection, sender});
        });
    const int page = 0;

    DelayEditModel modelFor(DelayPtr delay)
    {
        DelayEditEnvironment environment;
        environment.store = store;
        environment.settings = settings;
        environment.connectivity = connectivity;
        environment.saver = saver;
        environment.notificationCenter = &center;
        environment.presentAlert = [this](EditAlert alert) { alerts.push_back(std::move(alert)); };
        return DelayEditModel(std::move(delay), std::move(environment), &page);
    }

    static Reason reason(std::optional<int> id, std::string description = "Scrap delay")
    {
        return Reason{id, 3, std::nullopt, std::move(description), "SCRP", "rgb(1, 2, 3)"};
    }
};

TEST_F(DelayEditModelTest, SplitNeedsMoreThanNineSecondsOnEachSide)
{
    auto thirty = modelFor(makeDelay(1, 42, 0, 30.7)); // fractions of the length are dropped
    EXPECT_DOUBLE_EQ(thirty.splitLength(), 30);
    EXPECT_FALSE(thirty.canSplit(9.0f));
    EXPECT_FALSE(thirty.canSplit(21.0f));
    EXPECT_TRUE(thirty.canSplit(9.5f));
    EXPECT_TRUE(thirty.canSplit(20.5f));

    auto eighteen = modelFor(makeDelay(1, 42, 0, 18));
    for (float offset : {0.0f, 9.0f, 9.01f, 17.0f}) {
        EXPECT_FALSE(eighteen.canSplit(offset)) << offset;
    }
    eighteen.splitDelay(9.01f, &page);
    EXPECT_TRUE(snapshot(*store).empty());
    EXPECT_TRUE(reloads.empty());
}

TEST_F(DelayEditModelTest, SplitMakesTwoPiecesOfTheSameServiceDelay)
{
    auto base = makeDelay(1, 42, 0, 300, "t42", "tap hole");
    auto model = modelFor(base);
    model.splitDelay(100.5f, &page);

    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), 2u);
    const auto& first = *entries[0];
    const auto& second = *entries[1];
    EXPECT_EQ(first.delayId, 42);
    EXPECT_EQ(first.baseDelayId, 42);
    EXPECT_EQ(first.startDate.date, at(0));
    EXPECT_EQ(first.endDate.date, at(100.5));
    EXPECT_FALSE(second.delayId);
    EXPECT_EQ(second.baseDelayId, 42);
    EXPECT_EQ(second.startDate.date, at(100.5));
    EXPECT_EQ(second.startDate.timeZone, base->startDate.timeZone);
    EXPECT_EQ(second.endDate.date, at(300));
    for (const auto* piece : {&first, &second}) {
        EXPECT_TRUE(piece->isEdited);
        EXPECT_TRUE(piece->isSplitted);
        EXPECT_EQ(piece->reasonId, base->reasonId);
        EXPECT_EQ(piece->comment, base->comment);
        EXPECT_EQ(piece->timestamp, "t42");
    }
    EXPECT_FALSE(base->isEdited) << "the shown delay itself is never changed";
    EXPECT_FALSE(model.editedDelay());

    ASSERT_EQ(reloads.size(), 1u);
    EXPECT_EQ(reloads[0].sender, &page);
    EXPECT_EQ(reloads[0].selection.heatId, 1);
    EXPECT_EQ(reloads[0].selection.delayStartDate, at(100.5)) << "the second piece is selected next";
}

TEST_F(DelayEditModelTest, SplittingAPieceAgainKeepsTheFamilyAndReplacesTheEarlierEdit)
{
    modelFor(makeDelay(1, 42, 0, 300)).splitDelay(100, &page);
    auto second = snapshot(*store)[1];

    modelFor(second).splitDelay(50, &page);
    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0]->delayId, 42);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_FALSE(entries[i]->delayId);
        EXPECT_EQ(entries[i]->baseDelayId, 42);
    }
    EXPECT_EQ(entries[1]->startDate.date, at(100));
    EXPECT_EQ(entries[1]->endDate.date, at(150));
    EXPECT_EQ(entries[2]->startDate.date, at(150));
}

TEST_F(DelayEditModelTest, SplittingAnEditedDelaySplitsTheEditedVersion)
{
    auto model = modelFor(makeDelay(1, 42, 0, 300));
    ASSERT_TRUE(model.assignReason(reason(8)));
    model.splitDelay(100, &page);
    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), 2u) << "the reason edit is replaced by the pieces";
    EXPECT_EQ(entries[0]->reasonId, 8);
    EXPECT_EQ(entries[1]->reasonId, 8);
}

TEST_F(DelayEditModelTest, UndoOnEitherPieceRemovesTheWholeFamily)
{
    for (int undoOn : {0, 1}) {
        store->clearEditedDelays();
        auto other = makeDelay(1, 43, 400, 500);
        modelFor(other).applyComment("keep me");
        modelFor(makeDelay(1, 42, 0, 300)).splitDelay(100, &page);
        const auto pieces = snapshot(*store);
        ASSERT_EQ(pieces.size(), 3u);
        modelFor(pieces[2]).splitDelay(50, &page);
        ASSERT_TRUE(modelFor(pieces[1]).assignReason(reason(8)));
        ASSERT_EQ(snapshot(*store).size(), 4u);

        reloads.clear();
        auto model = modelFor(pieces[1 + undoOn]);
        model.undoAllChanges(&page);
        const auto left = snapshot(*store);
        ASSERT_EQ(left.size(), 1u) << "undo on piece " << undoOn;
        EXPECT_EQ(left[0]->delayId, 43);
        ASSERT_EQ(reloads.size(), 1u);
        EXPECT_EQ(reloads[0].selection.delayStartDate, pieces[1 + undoOn]->startDate.date);
    }
}

TEST_F(DelayEditModelTest, AClassifiedSecondPieceStaysInItsFamily)
{
    modelFor(makeDelay(1, 42, 0, 300)).splitDelay(100, &page);
    auto pieces = snapshot(*store);
    ASSERT_EQ(pieces.size(), 2u);
    ASSERT_FALSE(pieces[1]->delayId);
    auto model = modelFor(pieces[1]);
    ASSERT_TRUE(model.assignReason(reason(8)));
    ASSERT_TRUE(model.applyComment("second half"));
    const auto& edited = *model.editedDelay();
    EXPECT_EQ(edited.baseDelayId, 42);
    EXPECT_TRUE(edited.isSplitted);
    ASSERT_EQ(snapshot(*store).size(), 2u);
    // Undo from the classified piece still finds the whole family.
    modelFor(model.editedDelay()).undoAllChanges(&page);
    EXPECT_TRUE(snapshot(*store).empty());
}

TEST_F(DelayEditModelTest, ChoosingTheSameReasonCountsAsAnEdit)
{
    auto delay = makeDelay(1, 42, 0, 60);
    auto model = modelFor(delay);
    EXPECT_TRUE(model.assignReason(reason(delay->reasonId, delay->reasonDescription)));
    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], model.editedDelay());
    EXPECT_TRUE(entries[0]->isEdited);
    EXPECT_FALSE(entries[0]->isSplitted);
    EXPECT_FALSE(entries[0]->baseDelayId);
    ASSERT_EQ(reloads.size(), 1u);
    EXPECT_EQ(reloads[0].sender, &page);
}

TEST_F(DelayEditModelTest, AReasonWithoutIdIsRefused)
{
    auto model = modelFor(makeDelay(1, 42, 0, 60));
    EXPECT_FALSE(model.assignReason(reason(std::nullopt, "Mechanical")));
    EXPECT_FALSE(model.editedDelay());
    EXPECT_TRUE(snapshot(*store).empty());
    EXPECT_TRUE(reloads.empty());
}

TEST_F(DelayEditModelTest, CommentRules)
{
    auto withComment = modelFor(makeDelay(1, 42, 0, 60, "v1", "tap hole"));
    EXPECT_FALSE(withComment.applyComment("tap hole"));
    auto withoutComment = modelFor(makeDelay(1, 43, 100, 160));
    EXPECT_FALSE(withoutComment.applyComment(""));
    EXPECT_TRUE(snapshot(*store).empty());
    EXPECT_TRUE(reloads.empty());

    ScopedLogCapture capture;
    EXPECT_TRUE(withComment.applyComment(""));
    EXPECT_TRUE(capture.contains("Is Different, create new editeddelay"));
    ASSERT_TRUE(withComment.editedDelay());
    EXPECT_EQ(withComment.editedDelay()->comment, std::optional<std::string>(""));
    EXPECT_EQ(snapshot(*store).size(), 1u);

    // Back to the stored text differs from the edit, so it is applied again.
    EXPECT_TRUE(withComment.applyComment("tap hole"));
    EXPECT_EQ(snapshot(*store)[0]->comment, "tap hole");
    EXPECT_EQ(reloads.size(), 2u);
}

TEST_F(DelayEditModelTest, LaterChangesKeepEarlierOnesWithoutTouchingThePublishedRecord)
{
    auto model = modelFor(makeDelay(1, 42, 0, 60));
    model.assignReason(reason(8));
    const auto published = snapshot(*store)[0];
    model.applyComment("slag door");
    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], model.editedDelay());
    EXPECT_EQ(entries[0]->reasonId, 8);
    EXPECT_EQ(entries[0]->comment, "slag door");
    EXPECT_FALSE(published->comment) << "a record other threads may be reading is not changed";
}

TEST_F(DelayEditModelTest, AutomaticSaveOffOrOfflineSendsNothing)
{
    modelFor(makeDelay(1, 42, 0, 300)).splitDelay(100, &page);
    EXPECT_TRUE(alerts.empty());
    settings->autoSave = true;
    connectivity->online = false;
    modelFor(makeDelay(1, 43, 400, 460)).assignReason(reason(8));
    EXPECT_TRUE(saver->calls.empty());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, "No Internet Connection");
    EXPECT_EQ(alerts[0].message, "Make sure your device is connected to the internet.");
    ASSERT_TRUE(alerts[0].error);
    EXPECT_EQ(alerts[0].error->code, orv_error::noNetwork);
    EXPECT_EQ(snapshot(*store).size(), 3u) << "the edits stay for a later save";
}

TEST_F(DelayEditModelTest, AutomaticSaveOnlineSendsOnlyThisEditsDelays)
{
    settings->autoSave = true;
    modelFor(makeDelay(1, 43, 400, 500)).applyComment("earlier edit");
    saver->calls.clear();

    modelFor(makeDelay(1, 42, 0, 300)).splitDelay(100, &page);
    ASSERT_EQ(saver->calls.size(), 1u);
    const auto& call = saver->calls[0];
    EXPECT_EQ(call.furnaceId, 5);
    EXPECT_EQ(call.heatId, 1);
    const auto entries = snapshot(*store);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(call.delays, (std::vector<DelayPtr>{entries[1], entries[2]})) << "the store's own records are sent";

    auto model = modelFor(makeDelay(1, 44, 600, 700));
    model.assignReason(reason(8));
    ASSERT_EQ(saver->calls.size(), 2u);
    EXPECT_EQ(saver->calls[1].delays, (std::vector<DelayPtr>{model.editedDelay()}));
    EXPECT_TRUE(alerts.empty());
}

} // namespace
} // namespace orvendel
