#pragma once

#include "core/editing/delay_edit_model.hpp"
#include "core/flows/context.hpp"
#include "core/flows/presenter.hpp"
#include "core/flows/reason_finder_flow.hpp"
#include "core/model/delay.hpp"
#include "core/model/reason.hpp"
#include "core/model/texts.hpp"
#include "core/support/executor.hpp"
#include "core/support/handler_slot.hpp"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel::flows {

// One page of the delay editor: the delay, the rules that edit it, and what the page shows of its own.
struct DelayPage {
    DelayPtr delay;
    std::shared_ptr<DelayEditModel> model;
    // "Unsaved", "Undo Changes" and the pencil: the delay was an edit when the page was built, or a reason or
    // comment was changed on this page since.
    bool showsEditedMarkers = false;
    // The split slider's thumb in whole seconds from the delay's start; it starts at the end.
    double sliderValue = 0;
    // Whether "Split" may be pressed at the thumb's position, checked when the thumb is released or a value is
    // assigned from the picker.
    bool splitEnabled = false;

    // The delay as the page shows it: its edited copy once a reason or comment was changed here.
    const Delay& shown() const;
};

// The delay editor without its views: one page per delay of the shown heat, the page in view, and the
// user's actions on a page, each handed to that page's `DelayEditModel`. Turning a page posts
// "DidSelectDelay" so that the charts and the heats list follow. Questions ("Split Delay?", undo) and the
// editing rules' alerts go through the presenter.
// Thread contract: the user-interface executor only.
class DelayPagesFlow : public std::enable_shared_from_this<DelayPagesFlow> {
public:
    enum class Change {
        pages,       // the pages were rebuilt
        currentPage, // another page is in view
        page,        // one page's state changed (its delay too, after an edit)
        inserted,    // a page was put in at the index (a split's second piece)
        removed,     // the page at the index was taken out (an undone split)
    };
    using ChangeHandler = std::function<void(Change, std::size_t index)>;

    // `edit.presentAlert` is filled in here (the presenter) when empty, its store and notification centre
    // (the session's) too.
    struct Environment {
        ContextPtr context;
        ExecutorPtr executor;
        Presenter::Ref presenter{};
        DelayEditEnvironment edit;
    };

    static constexpr const char* splitAlertTitle = texts::splitQuestionTitle;
    static constexpr const char* splitAlertMessage = texts::splitQuestionMessage;
    static constexpr const char* undoAlertTitle = texts::undoQuestionTitle;
    static constexpr const char* undoAlertMessage = texts::allChangesLost;
    static constexpr const char* commentKeptTitle = texts::commentKeptTitle;
    static constexpr const char* commentKeptMessage = texts::commentKeptMessage;

    // What an editor opened on a page (the reason finder, the split picker, the comment editor) belongs to: a
    // delay of a heat, by its start, so that it outlives a rebuild of the pages. `model` is the page's rules at
    // the time, for what must still reach the store when the delay is gone.
    struct EditorTarget {
        int heatId = 0;
        Instant start{};
        std::shared_ptr<DelayEditModel> model;
    };

    static std::shared_ptr<DelayPagesFlow> create(Environment environment);

    // The view's handler, for as long as the token is kept.
    [[nodiscard]] HandlerToken setChangeHandler(ChangeHandler handler)
    {
        return m_changeHandler.set(std::move(handler));
    }

    // New pages for a heat's delays; the page in view is the first delay starting at `selectedStart`, else the
    // first page.
    void setDelays(const std::vector<DelayPtr>& delays, std::optional<Instant> selectedStart);
    // The same heat's delays after an edit: pages whose delay is the same record stay as they are (slider and
    // all), changed ones are made anew in place, and pages come or go only where delays did. The page in view
    // becomes the first delay starting at `selectedStart`, else stays on its delay.
    void updateDelays(const std::vector<DelayPtr>& delays, std::optional<Instant> selectedStart);
    // Brings the page of the first delay starting at `startDate` into view (the first page when none does),
    // without telling anyone: the selection came from elsewhere.
    void showDelay(Instant startDate);
    // The user turned to a page: "DidSelectDelay" with its delay. Out of range or the page in view: nothing.
    bool turnTo(std::size_t index);

    const std::vector<DelayPage>& pages() const { return m_pages; }
    std::size_t currentIndex() const { return m_currentIndex; }
    const DelayPage* page(std::size_t index) const { return index < m_pages.size() ? &m_pages[index] : nullptr; }

    // The thumb was released at `value` seconds (snapped to whole seconds here).
    void sliderReleased(std::size_t index, double value);
    // The picker assigned an offset: the thumb moves there and "Split" follows the new position at once.
    void assignSplitOffset(std::size_t index, double offset);
    // "Split": asks "Split Delay?"; "Split" splits at the thumb.
    void askSplit(std::size_t index);
    // "Undo Changes": asks, "Yes" drops every edit of the delay.
    void askUndo(std::size_t index);
    // The finder's choice; false when the reason cannot be assigned.
    bool assignReason(std::size_t index, const Reason& reason);
    // The comment editor's "Update" with its trimmed text; false when nothing changed.
    bool applyComment(std::size_t index, const std::string& text);

    // The target of an editor opened on the page at `index`; none for a page that does not exist.
    std::optional<EditorTarget> editorTarget(std::size_t index) const;
    // The page an editor's delay is on now, after any rebuild; none when that delay is no longer shown.
    std::optional<std::size_t> pageFor(const EditorTarget& target) const;
    // A comment typed for a delay that is no longer shown: kept as that delay's edit, with a short notice.
    // Nothing when the text changes nothing.
    void keepCommentOfVanishedDelay(const EditorTarget& target, const std::string& text);

    // What the finder opens on: the reason of the page's edited copy, else of the delay.
    std::optional<int> reasonIdForFinder(std::size_t index) const;
    // A reason finder for the page, opened on its reason; the reason assigned there goes to the page that
    // shows the same delay then, rebuilt or not, and nowhere when it is gone. None for a page that does not exist.
    std::shared_ptr<ReasonFinderFlow> makeReasonFinder(std::size_t index);
    // What the comment editor opens with: the shown comment, empty text when the delay has none.
    std::string commentForEditor(std::size_t index) const;

private:
    explicit DelayPagesFlow(Environment environment);
    void changed(Change change, std::size_t index);
    std::size_t indexOf(Instant startDate) const;
    DelayPage makePage(const DelayPtr& delay);

    Environment m_environment;
    HandlerSlot<Change, std::size_t> m_changeHandler;
    std::vector<DelayPage> m_pages;
    std::size_t m_currentIndex = 0;
};

} // namespace orvendel::flows
