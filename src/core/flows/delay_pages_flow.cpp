#include "core/flows/delay_pages_flow.hpp"

#include "core/model/comment_rule.hpp"
#include "core/model/screen_notifications.hpp"
#include "core/model/texts.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/split_time.hpp"
#include "core/support/log.hpp"

#include <algorithm>
#include <iterator>

namespace orvendel::flows {

const Delay& DelayPage::shown() const
{
    const auto& edited = model->editedDelay();
    return edited ? *edited : *delay;
}

std::shared_ptr<DelayPagesFlow> DelayPagesFlow::create(Environment environment)
{
    return std::shared_ptr<DelayPagesFlow>(new DelayPagesFlow(std::move(environment)));
}

DelayPagesFlow::DelayPagesFlow(Environment environment) : m_environment(std::move(environment))
{
    auto& edit = m_environment.edit;
    if (!edit.store) {
        edit.store = m_environment.context->edits;
    }
    if (!edit.notificationCenter) {
        edit.notificationCenter = m_environment.context->notificationCenter.get();
    }
    if (!m_environment.edit.presentAlert && m_environment.presenter) {
        m_environment.edit.presentAlert = editAlertsOn(m_environment.presenter);
    }
}

void DelayPagesFlow::changed(Change change, std::size_t index)
{
    if (m_changeHandler) {
        m_changeHandler(change, index);
    }
}

std::size_t DelayPagesFlow::indexOf(Instant startDate) const
{
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (m_pages[i].delay->startDate.date == startDate) {
            return i;
        }
    }
    return 0;
}

DelayPage DelayPagesFlow::makePage(const DelayPtr& delay)
{
    DelayPage page;
    page.delay = delay;
    page.model = std::make_shared<DelayEditModel>(delay, m_environment.edit, this);
    page.showsEditedMarkers = delay->isEdited;
    page.sliderValue = screens::SplitTime::snapToWholeSecond(page.model->splitLength());
    return page;
}

void DelayPagesFlow::setDelays(const std::vector<DelayPtr>& delays, std::optional<Instant> selectedStart)
{
    std::vector<DelayPage> pages;
    pages.reserve(delays.size());
    for (const auto& delay : delays) {
        if (delay) {
            pages.push_back(makePage(delay));
        }
    }
    m_pages = std::move(pages);
    m_currentIndex = selectedStart ? indexOf(*selectedStart) : 0;
    changed(Change::pages, m_currentIndex);
}

void DelayPagesFlow::updateDelays(const std::vector<DelayPtr>& given, std::optional<Instant> selectedStart)
{
    std::vector<DelayPtr> delays;
    delays.reserve(given.size());
    std::copy_if(given.begin(), given.end(), std::back_inserter(delays),
                 [](const DelayPtr& d) { return d != nullptr; });
    const std::size_t before = m_currentIndex;
    const std::optional<Instant> inView =
        m_currentIndex < m_pages.size() ? std::optional(m_pages[m_currentIndex].delay->startDate.date) : std::nullopt;

    // The same records at both ends stay; the span between is what the edit touched.
    const std::size_t shorter = std::min(m_pages.size(), delays.size());
    std::size_t first = 0;
    while (first < shorter && m_pages[first].delay == delays[first]) {
        ++first;
    }
    std::size_t suffix = 0;
    while (first + suffix < shorter &&
           m_pages[m_pages.size() - 1 - suffix].delay == delays[delays.size() - 1 - suffix]) {
        ++suffix;
    }
    const std::size_t oldSpan = m_pages.size() - first - suffix;
    const std::size_t newSpan = delays.size() - first - suffix;
    for (std::size_t i = first; i < first + std::min(oldSpan, newSpan); ++i) {
        m_pages[i] = makePage(delays[i]);
        changed(Change::page, i);
    }
    for (std::size_t i = newSpan; i < oldSpan; ++i) {
        const std::size_t at = first + newSpan;
        m_pages.erase(m_pages.begin() + static_cast<std::ptrdiff_t>(at));
        if (m_currentIndex > at || (m_currentIndex >= m_pages.size() && m_currentIndex > 0)) {
            --m_currentIndex;
        }
        changed(Change::removed, at);
    }
    for (std::size_t i = oldSpan; i < newSpan; ++i) {
        const std::size_t at = first + i;
        m_pages.insert(m_pages.begin() + static_cast<std::ptrdiff_t>(at), makePage(delays[at]));
        if (m_currentIndex >= at && m_pages.size() > 1) {
            ++m_currentIndex; // the page in view moved on by one
        }
        changed(Change::inserted, at);
    }
    for (const auto& wanted : {selectedStart, inView}) {
        const auto found = std::find_if(m_pages.begin(), m_pages.end(), [&](const DelayPage& page) {
            return wanted && page.delay->startDate.date == *wanted;
        });
        if (found != m_pages.end()) {
            m_currentIndex = static_cast<std::size_t>(found - m_pages.begin());
            break;
        }
    }
    if (m_currentIndex != before) {
        changed(Change::currentPage, m_currentIndex);
    }
}

void DelayPagesFlow::showDelay(Instant startDate)
{
    const std::size_t index = indexOf(startDate);
    if (index != m_currentIndex && index < m_pages.size()) {
        m_currentIndex = index;
        changed(Change::currentPage, index);
    }
}

bool DelayPagesFlow::turnTo(std::size_t index)
{
    if (index >= m_pages.size() || index == m_currentIndex) {
        return false;
    }
    m_currentIndex = index;
    changed(Change::currentPage, index);
    const Delay& delay = *m_pages[index].delay;
    m_environment.edit.notificationCenter->post(
        screen_notifications::DidSelectDelay{{delay.heatId, delay.startDate.date}}, this);
    return true;
}

void DelayPagesFlow::sliderReleased(std::size_t index, double value)
{
    if (index >= m_pages.size()) {
        return;
    }
    auto& page = m_pages[index];
    page.sliderValue = screens::SplitTime::snapToWholeSecond(value);
    page.splitEnabled = page.model->canSplit(static_cast<float>(page.sliderValue));
    changed(Change::page, index);
}

void DelayPagesFlow::assignSplitOffset(std::size_t index, double offset)
{
    // A picked value moves the thumb like a release does, so "Split" never shows the state of the old
    // position.
    sliderReleased(index, offset);
}

void DelayPagesFlow::askSplit(std::size_t index)
{
    if (index >= m_pages.size() || !m_pages[index].splitEnabled || !m_environment.presenter) {
        return;
    }
    const auto model = m_pages[index].model;
    const auto offset = static_cast<float>(m_pages[index].sliderValue);
    const void* sender = this;
    m_environment.presenter.presentAlert(
        Alert::question(splitAlertTitle, splitAlertMessage,
                        {AlertAction{texts::split, AlertAction::Style::normal,
                                     [model, offset, sender] {
                                         log("Selected Split");
                                         model->splitDelay(offset, sender);
                                     }},
                         AlertAction{texts::cancel, AlertAction::Style::cancel, [] { log("Selected Cancel"); }}}));
}

void DelayPagesFlow::askUndo(std::size_t index)
{
    if (index >= m_pages.size() || !m_environment.presenter) {
        return;
    }
    const auto model = m_pages[index].model;
    const void* sender = this;
    m_environment.presenter.presentAlert(Alert::question(
        undoAlertTitle, undoAlertMessage,
        {AlertAction{texts::yes, AlertAction::Style::normal, [model, sender] { model->undoAllChanges(sender); }},
         AlertAction{texts::no, AlertAction::Style::cancel, {}}}));
}

bool DelayPagesFlow::assignReason(std::size_t index, const Reason& reason)
{
    if (index >= m_pages.size() || !m_pages[index].model->assignReason(reason)) {
        return false;
    }
    m_pages[index].showsEditedMarkers = true;
    changed(Change::page, index);
    return true;
}

bool DelayPagesFlow::applyComment(std::size_t index, const std::string& text)
{
    if (index >= m_pages.size() || !m_pages[index].model->applyComment(text)) {
        return false;
    }
    m_pages[index].showsEditedMarkers = true;
    changed(Change::page, index);
    return true;
}

std::optional<DelayPagesFlow::EditorTarget> DelayPagesFlow::editorTarget(std::size_t index) const
{
    if (index >= m_pages.size()) {
        return std::nullopt;
    }
    const auto& page = m_pages[index];
    return EditorTarget{page.delay->heatId, page.delay->startDate.date, page.model};
}

std::optional<std::size_t> DelayPagesFlow::pageFor(const EditorTarget& target) const
{
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        const Delay& delay = *m_pages[i].delay;
        if (delay.heatId == target.heatId && delay.startDate.date == target.start) {
            return i;
        }
    }
    return std::nullopt;
}

void DelayPagesFlow::keepCommentOfVanishedDelay(const EditorTarget& target, const std::string& text)
{
    if (!target.model || !target.model->applyComment(CommentRule::trimmedComment(text))) {
        return;
    }
    if (m_environment.presenter) {
        m_environment.presenter.presentAlert(Alert::ok(commentKeptTitle, commentKeptMessage));
    }
}

std::optional<int> DelayPagesFlow::reasonIdForFinder(std::size_t index) const
{
    if (index >= m_pages.size()) {
        return std::nullopt;
    }
    return m_pages[index].shown().reasonId;
}

std::shared_ptr<ReasonFinderFlow> DelayPagesFlow::makeReasonFinder(std::size_t index)
{
    if (index >= m_pages.size()) {
        return nullptr;
    }
    const std::weak_ptr<DelayPagesFlow> self = weak_from_this();
    auto assign = [self, target = *editorTarget(index)](const Reason& reason) {
        auto flow = self.lock();
        // The pages may have been rebuilt while the finder was open: the reason goes to the same delay's page.
        if (const auto now = flow ? flow->pageFor(target) : std::nullopt) {
            flow->assignReason(*now, reason);
        }
    };
    return ReasonFinderFlow::create(
        ReasonFinderFlow::Environment{m_environment.context, m_environment.executor, m_environment.presenter},
        reasonIdForFinder(index), std::move(assign), {});
}

std::string DelayPagesFlow::commentForEditor(std::size_t index) const
{
    if (index >= m_pages.size()) {
        return {};
    }
    return m_pages[index].shown().comment.value_or(std::string());
}

} // namespace orvendel::flows
