#include "core/flows/heats_list_flow.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/flows/observe_on.hpp"
#include "core/flows/unsaved_work_guard.hpp"
#include "core/model/texts.hpp"
#include "core/screens/error_alert.hpp"
#include "core/screens/heats_table.hpp"
#include "core/storage/user_configuration_manager.hpp"

#include <algorithm>

namespace orvendel::flows {

namespace sn = screen_notifications;

std::shared_ptr<HeatsListFlow> HeatsListFlow::create(Environment environment)
{
    std::shared_ptr<HeatsListFlow> flow(new HeatsListFlow(std::move(environment)));
    const auto& env = flow->m_environment;
    flow->m_loading = HeatsListLoading::create({env.context, env.executor, env.connectivity, env.presenter},
                                               [self = std::weak_ptr<HeatsListFlow>(flow)](auto change) {
                                                   if (auto flow = self.lock()) {
                                                       flow->loadingChanged(change);
                                                   }
                                               });
    flow->observe();
    return flow;
}

HeatsListFlow::HeatsListFlow(Environment environment)
    : m_environment(std::move(environment)),
      m_source(HeatsSource::create(m_environment.context->database, m_environment.context->edits))
{}

void HeatsListFlow::loadingChanged(HeatsListLoading::Change change)
{
    switch (change) {
    case HeatsListLoading::Change::title:
        changed(HeatsListChange::Kind::title);
        return;
    case HeatsListLoading::Change::refreshing:
        changed(HeatsListChange::Kind::refreshing);
        return;
    case HeatsListLoading::Change::furnaceButton:
        changed(HeatsListChange::Kind::furnaceButton);
        return;
    case HeatsListLoading::Change::downloaded:
        updateTable();
        return;
    }
}

int HeatsListFlow::selectedFurnaceId() const
{
    return m_environment.context->configuration->selectedFurnaceId();
}

void HeatsListFlow::observe()
{
    const auto& executor = m_environment.executor;
    const std::weak_ptr<HeatsListFlow> self = weak_from_this();
    auto& center = *m_environment.context->notificationCenter;
    m_observers.push_back(observeOn(center, executor, self, &HeatsListFlow::didSelectDelay));
    m_observers.push_back(observeOn(center, executor, self, &HeatsListFlow::reloadData));
    m_observers.push_back(observeOn(center, executor, self, &HeatsListFlow::downloadAndReloadDelays));
}

void HeatsListFlow::changed(HeatsListChange::Kind kind, std::size_t section, screens::HeatsTable::RowsChange rows)
{
    if (m_changeHandler) {
        m_changeHandler(HeatsListChange{kind, section, rows});
    }
}

bool HeatsListFlow::isBusy() const
{
    return m_loading->isBusy() || m_outstanding > 0 || m_guardPending;
}

void HeatsListFlow::start()
{
    m_showsEmptyState = true;
    changed(HeatsListChange::Kind::table);
    m_loading->start();
}

// ---- reading back and rebuilding ----

void HeatsListFlow::updateTable()
{
    ++m_outstanding;
    m_source->read(selectedFurnaceId(),
                   onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::rebuildSections));
}

void HeatsListFlow::alertEditedDelaysRemoved()
{
    const auto text = screens::editedDelaysRemovedAlert();
    m_environment.presenter.presentAlert(Alert::ok(text.title, text.message));
}

void HeatsListFlow::rebuildSections(Result<HeatsSource::Heats> read)
{
    --m_outstanding;
    if (!read) {
        // The table keeps what it showed: a failed read is no reason to show "NO HEATS".
        presentStoreReadFailure(m_environment.presenter, read.error());
        return;
    }
    m_heats = std::move(read->heats);
    m_tableData = screens::buildSections(m_heats, m_tableData.value_or(std::vector<screens::Section>{}));
    m_showsEmptyState = m_heats.empty();
    m_selectedHeatDelay = screens::repairSelection(m_selectedHeatDelay, m_heats);
    m_highlightedDelay = m_selectedHeatDelay;
    changed(HeatsListChange::Kind::table);
    if (read->editedDelaysRemoved) {
        alertEditedDelaysRemoved();
    }
    auto delegate = m_delegate.lock();
    if (!delegate) {
        return;
    }
    delegate->heatsRebuilt(m_heats);
    if (m_selectedHeatDelay) {
        if (const auto heat = screens::findHeat(m_heats, m_selectedHeatDelay->heatId)) {
            delegate->showHeat(heat, m_selectedHeatDelay->delayStartDate);
        }
    }
}

void HeatsListFlow::heatEdited(std::optional<HeatsSource::HeatUpdate> update)
{
    --m_outstanding;
    const int heatId = update ? update->heat->heatId : 0;
    const auto shown =
        std::find_if(m_heats.begin(), m_heats.end(), [heatId](const HeatPtr& heat) { return heat->heatId == heatId; });
    if (!update || !m_tableData || shown == m_heats.end() || m_tableData->size() != m_heats.size()) {
        // Nothing of this furnace was read yet, or the heat came or went with a read: read afresh.
        updateTable();
        return;
    }
    const auto index = static_cast<std::size_t>(shown - m_heats.begin());
    auto& section = (*m_tableData)[index];
    auto edited = screens::makeSection(*update->heat, section.collapsed);
    const auto rows = screens::HeatsTable::diffRows(section, edited);
    section = std::move(edited);
    *shown = update->heat;
    if (!rows.none()) {
        changed(HeatsListChange::Kind::rows, index, rows);
    }
    if (m_selectedHeatDelay && m_selectedHeatDelay->heatId == heatId) {
        m_selectedHeatDelay = screens::repairSelection(m_selectedHeatDelay, m_heats);
    }
    m_highlightedDelay = m_selectedHeatDelay;
    changed(HeatsListChange::Kind::selection);
    if (update->editedDelaysRemoved) {
        alertEditedDelaysRemoved();
    }
    if (m_selectedHeatDelay && m_selectedHeatDelay->heatId == heatId) {
        if (auto delegate = m_delegate.lock()) {
            delegate->heatEdited(update->heat, m_selectedHeatDelay->delayStartDate);
        }
    }
}

// ---- the user's moves ----

void HeatsListFlow::toggleSection(std::size_t section)
{
    if (m_tableData && screens::HeatsTable::toggleSection(*m_tableData, section)) {
        changed(HeatsListChange::Kind::section, section);
    }
}

void HeatsListFlow::showHeatAndSelect(int heatId, Instant start)
{
    const auto heat = screens::findHeat(m_heats, heatId);
    if (!heat) {
        return;
    }
    m_selectedHeatDelay = screens::HeatDelayIdentifier{heatId, start};
    m_highlightedDelay = m_selectedHeatDelay;
    if (auto delegate = m_delegate.lock()) {
        delegate->showHeat(heat, start);
    }
    changed(HeatsListChange::Kind::selection);
}

void HeatsListFlow::selectRow(std::size_t section, std::size_t row)
{
    if (m_guardPending || !m_tableData || section >= m_tableData->size() ||
        row >= (*m_tableData)[section].items.size()) {
        return;
    }
    const int heatId = (*m_tableData)[section].heatId;
    const Instant start = (*m_tableData)[section].items[row].startDate;
    switch (screens::rowSelectionAction(m_selectedHeatDelay, heatId)) {
    case screens::RowSelectionAction::ShowHeat:
        showHeatAndSelect(heatId, start);
        return;
    case screens::RowSelectionAction::SelectDelayInShownHeat:
        m_selectedHeatDelay->delayStartDate = start;
        m_highlightedDelay = m_selectedHeatDelay;
        if (auto delegate = m_delegate.lock()) {
            delegate->selectDelay(start, heatId);
        }
        changed(HeatsListChange::Kind::selection);
        return;
    case screens::RowSelectionAction::GuardPreviousHeat:
        break;
    }
    const int previousHeatId = m_selectedHeatDelay->heatId;
    m_guardPending = true;
    guardUnsavedWork(*m_environment.context, previousHeatId, selectedFurnaceId(), m_environment.executor,
                     m_environment.presenter, YesLog::unsavedDelays,
                     [self = weak_from_this(), heatId, start, previousHeatId](GuardDecision decision) {
                         auto flow = self.lock();
                         if (!flow) {
                             return;
                         }
                         flow->m_guardPending = false;
                         switch (decision) {
                         case GuardDecision::proceed:
                             flow->showHeatAndSelect(heatId, start);
                             return;
                         case GuardDecision::discard:
                             flow->m_selectedHeatDelay = screens::HeatDelayIdentifier{heatId, start};
                             flow->m_environment.context->edits->removeAllEditedDelays(previousHeatId, [] {});
                             // The rebuild shows the new heat once the edits are gone.
                             flow->updateTable();
                             return;
                         case GuardDecision::stay:
                             // The previous row is selected again.
                             flow->m_highlightedDelay = flow->m_selectedHeatDelay;
                             flow->changed(HeatsListChange::Kind::selection);
                             return;
                         }
                     });
}

void HeatsListFlow::didSelectFurnace(const Furnace& furnace)
{
    if (m_guardPending) {
        return;
    }
    const int furnaceId = furnace.id;
    const auto check = screens::furnaceSwitchCheck(m_selectedHeatDelay, m_heats, furnaceId);
    if (!check) {
        m_environment.context->configuration->setSelectedFurnaceId(furnaceId);
        switchToSelectedFurnace();
        return;
    }
    m_guardPending = true;
    guardUnsavedWork(*m_environment.context, check->heatId, check->furnaceId, m_environment.executor,
                     m_environment.presenter, YesLog::anyQuestion,
                     [self = weak_from_this(), furnaceId, heatId = check->heatId](GuardDecision decision) {
                         auto flow = self.lock();
                         if (!flow) {
                             return;
                         }
                         flow->m_guardPending = false;
                         if (decision == GuardDecision::stay) {
                             return; // nothing was stored: the shown furnace stays selected
                         }
                         if (decision == GuardDecision::discard) {
                             flow->m_environment.context->edits->removeAllEditedDelays(heatId, [] {});
                         }
                         flow->m_environment.context->configuration->setSelectedFurnaceId(furnaceId);
                         flow->switchToSelectedFurnace();
                     });
}

void HeatsListFlow::switchToSelectedFurnace()
{
    updateTable();
    m_loading->furnaceSwitched();
    if (auto delegate = m_delegate.lock()) {
        delegate->showEmptyMessage(texts::selectItemMessage);
    }
}

void HeatsListFlow::setSelectedHeatDelay(std::optional<screens::HeatDelayIdentifier> selection)
{
    m_selectedHeatDelay = selection;
    m_highlightedDelay = selection;
    changed(HeatsListChange::Kind::selection);
}

std::optional<screens::RowPosition> HeatsListFlow::highlightedRow() const
{
    if (!m_highlightedDelay || !m_tableData) {
        return std::nullopt;
    }
    return screens::indexPathOfDelay(*m_tableData, m_highlightedDelay->heatId, m_highlightedDelay->delayStartDate);
}

// ---- requests from the other screens ----

void HeatsListFlow::didSelectDelay(const sn::DidSelectDelay& selected)
{
    const auto& selection = selected.selection;
    if (!m_selectedHeatDelay || m_selectedHeatDelay->heatId != selection.heatId) {
        return;
    }
    // The page the user turned to is the selection from now on: a rebuild shows that page again.
    m_selectedHeatDelay = screens::HeatDelayIdentifier{selection.heatId, selection.delayStartDate};
    m_highlightedDelay = m_selectedHeatDelay;
    changed(HeatsListChange::Kind::selection);
}

void HeatsListFlow::reloadData(const sn::ReloadData& reload)
{
    const auto& selection = reload.selection;
    m_selectedHeatDelay = screens::HeatDelayIdentifier{selection.heatId, selection.delayStartDate};
    // An edit changes the edit store, not the database: only the edited heat gets its edits laid over it
    // again, and only its rows change.
    ++m_outstanding;
    m_source->editsChanged(selectedFurnaceId(), selection.heatId,
                           onExecutor(m_environment.executor, weak_from_this(), &HeatsListFlow::heatEdited));
}

void HeatsListFlow::downloadAndReloadDelays(const sn::DownloadAndReloadDelays&)
{
    m_loading->startDelaysAndReasonsDownload();
}

} // namespace orvendel::flows
