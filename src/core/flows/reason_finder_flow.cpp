#include "core/flows/reason_finder_flow.hpp"

#include "core/flows/observe_on.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/request_parameters.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/log.hpp"

namespace orvendel::flows {

std::shared_ptr<ReasonFinderFlow> ReasonFinderFlow::create(Environment environment, std::optional<int> selectedReasonId,
                                                           AssignHandler onAssign, CloseHandler onClose)
{
    std::shared_ptr<ReasonFinderFlow> flow(
        new ReasonFinderFlow(std::move(environment), selectedReasonId, std::move(onAssign), std::move(onClose)));
    flow->start();
    return flow;
}

ReasonFinderFlow::ReasonFinderFlow(Environment environment, std::optional<int> selectedReasonId, AssignHandler onAssign,
                                   CloseHandler onClose)
    : m_environment(std::move(environment)), m_onAssign(std::move(onAssign)), m_onClose(std::move(onClose)),
      m_furnaceId(m_environment.context->configuration->selectedFurnaceId()),
      // Our own identifier, so that the heats list never takes this download for its half of a pair.
      m_downloadIdentifier("ReasonFinder-" + newUUIDText()), m_finder(selectedReasonId)
{}

void ReasonFinderFlow::start()
{
    m_observers.push_back(observeOn(*m_environment.context->notificationCenter, m_environment.executor,
                                    weak_from_this(), &ReasonFinderFlow::finishedDownloadingReasons));
    readStore();
    m_environment.context->downloads->downloadReasons(m_furnaceId, m_downloadIdentifier);
}

void ReasonFinderFlow::readStore()
{
    m_environment.context->database->fetchReasons(
        m_furnaceId, onExecutor(m_environment.executor, weak_from_this(), &ReasonFinderFlow::loaded));
}

void ReasonFinderFlow::loaded(Result<std::vector<ReasonPtr>> rows)
{
    if (!rows) {
        // The tree shown (if any) stays, with the user's checked reason and open categories.
        presentStoreReadFailure(m_environment.presenter, rows.error());
        return;
    }
    std::vector<Reason> reasons;
    reasons.reserve(rows->size());
    for (const auto& row : *rows) {
        if (row) {
            reasons.push_back(*row);
        }
    }
    m_finder.load(reasons);
    if (m_finder.selectedNode()) {
        log("Found");
    }
    logVisibleRows();
    changed();
}

void ReasonFinderFlow::finishedDownloadingReasons(const download_notifications::ReasonsDownloaded& downloaded)
{
    if (downloaded.identifier != m_downloadIdentifier) {
        return;
    }
    readStore();
}

screens::ReasonFinder::Tap ReasonFinderFlow::tapRow(std::size_t row)
{
    const auto tap = m_finder.tap(row);
    if (tap == screens::ReasonFinder::Tap::toggled) {
        logVisibleRows();
    }
    if (tap != screens::ReasonFinder::Tap::ignored) {
        changed();
    }
    return tap;
}

bool ReasonFinderFlow::assign()
{
    const auto* node = m_finder.selectedNode();
    if (!node) {
        return false;
    }
    if (m_onAssign) {
        m_onAssign(node->reason);
    }
    return true;
}

void ReasonFinderFlow::close()
{
    if (m_onClose) {
        m_onClose();
    }
}

void ReasonFinderFlow::logVisibleRows() const
{
    for (const auto& row : m_finder.rows()) {
        log("Node Identifier: " + row.node->identifier + " - " + row.node->reason.description);
    }
}

void ReasonFinderFlow::changed()
{
    if (m_changeHandler) {
        m_changeHandler();
    }
}

} // namespace orvendel::flows
