#include "core/editing/delay_edit_model.hpp"

#include "core/model/screen_notifications.hpp"
#include "core/model/texts.hpp"

#include "core/model/utilities.hpp"
#include "core/support/log.hpp"

#include <cassert>
#include <chrono>

namespace orvendel {
namespace {

constexpr double kMinimumPieceSeconds = 9;

std::string_view commentText(const Delay& delay)
{
    return delay.comment ? std::string_view(*delay.comment) : std::string_view();
}

} // namespace

DelayEditModel::DelayEditModel(DelayPtr delay, DelayEditEnvironment environment, const void* page)
    : m_delay(std::move(delay)), m_environment(std::move(environment)), m_page(page)
{
    assert(m_environment.store && m_environment.notificationCenter);
}

double DelayEditModel::splitLength() const
{
    if (!m_delay) {
        return 0;
    }
    return Utilities::secondsBetween(m_delay->startDate.date, m_delay->endDate.date,
                                     Calendar::gregorian(m_delay->startDate.timeZone));
}

bool DelayEditModel::canSplit(float offset) const
{
    if (!m_delay) {
        return false;
    }
    const double value = offset;
    return value > kMinimumPieceSeconds && value < splitLength() - kMinimumPieceSeconds;
}

void DelayEditModel::splitDelay(float offset, const void* sender)
{
    if (!canSplit(offset)) {
        return;
    }
    const Delay& base = m_editedDelay ? *m_editedDelay : *m_delay;
    const std::optional<int> family = base.delayId ? base.delayId : base.baseDelayId;

    auto first = base.copy();
    first->endDate.date = first->startDate.date + std::chrono::round<Instant::duration>(
                                                      std::chrono::duration<double>(static_cast<double>(offset)));
    first->isEdited = true;
    first->isSplitted = true;
    first->baseDelayId = family;

    auto second = base.copy();
    second->delayId.reset();
    second->startDate.date = first->endDate.date;
    second->isEdited = true;
    second->isSplitted = true;
    second->baseDelayId = family;

    // The removal takes out an earlier edit of the base; the first piece then takes its start.
    auto& store = *m_environment.store;
    store.removeEditedDelay(base);
    store.addEditedDelay(first);
    store.addEditedDelay(second);

    postReloadData(sender, second->heatId, second->startDate.date);
    autoSaveEdits(base.heatId, {first, second});
}

bool DelayEditModel::assignReason(const Reason& reason)
{
    if (!reason.id || (!m_delay && !m_editedDelay)) {
        return false;
    }
    auto& edited = *prepareEditedDelay();
    edited.reasonId = *reason.id;
    edited.reasonDescription = reason.description;
    edited.reasonShortDescription = reason.shortDescription;
    edited.colorString = reason.colorString;
    publishEditedDelay();
    return true;
}

bool DelayEditModel::applyComment(const std::string& text)
{
    const bool differsFromDelay = m_delay && text != commentText(*m_delay);
    const bool differsFromEdit = m_editedDelay && text != commentText(*m_editedDelay);
    if (!differsFromDelay && !differsFromEdit) {
        return false;
    }
    log("Is Different, create new editeddelay");
    prepareEditedDelay()->comment = text;
    publishEditedDelay();
    return true;
}

void DelayEditModel::undoAllChanges(const void* sender)
{
    const DelayPtr& target = m_delay ? m_delay : m_editedDelay;
    if (!target) {
        return;
    }
    if (const auto family = target->delayId ? target->delayId : target->baseDelayId) {
        m_environment.store->removeEditedDelaysWithDelayId(*family, target->heatId);
    }
    postReloadData(sender, target->heatId, target->startDate.date);
}

DelayPtr& DelayEditModel::prepareEditedDelay()
{
    if (!m_editedDelay) {
        m_editedDelay = m_delay->copy();
        // A piece of an unsaved split stays one: without its base delay the list could not place it, and
        // undo could not find it.
        m_editedDelay->isSplitted = m_delay->isSplitted;
        m_editedDelay->baseDelayId = m_delay->baseDelayId;
    } else {
        // The previous copy is already in the store, where the store's queue and the screens read it on
        // other threads; change a fresh record and let the store's replacement publish it.
        m_editedDelay = std::make_shared<Delay>(*m_editedDelay);
    }
    m_editedDelay->isEdited = true;
    return m_editedDelay;
}

void DelayEditModel::publishEditedDelay()
{
    m_environment.store->addEditedDelay(m_editedDelay);
    postReloadData(m_page, m_editedDelay->heatId, m_editedDelay->startDate.date);
    autoSaveEdits(m_editedDelay->heatId, {m_editedDelay});
}

void DelayEditModel::postReloadData(const void* sender, int heatId, Instant selectedStart) const
{
    m_environment.notificationCenter->post(screen_notifications::ReloadData{{heatId, selectedStart}}, sender);
}

void DelayEditModel::autoSaveEdits(int heatId, std::vector<DelayPtr> delays) const
{
    const auto& settings = m_environment.settings;
    if (!settings || !settings->isAutoSaveEnabled()) {
        return;
    }
    if (!m_environment.connectivity || !m_environment.connectivity->isInternetAvailable()) {
        if (m_environment.presentAlert) {
            m_environment.presentAlert(EditAlert{texts::noInternetTitle, texts::connectDevice,
                                                 Error{orv_error::domain, orv_error::noNetwork, texts::connectDevice}});
        }
        return;
    }
    if (m_environment.saver) {
        m_environment.saver->saveDelays(settings->selectedFurnaceId(), heatId, std::move(delays));
    }
}

} // namespace orvendel
