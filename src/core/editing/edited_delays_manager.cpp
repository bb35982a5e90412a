#include "core/editing/edited_delays_manager.hpp"

#include "core/model/utilities.hpp"
#include "core/support/log.hpp"
#include "core/support/shared_instance.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <mutex>
#include <string>

namespace orvendel {
namespace {

SharedInstance<EditedDelaysManager>& sharedInstance()
{
    // Never destroyed: the program releases its managers itself, not the order of static destruction.
    static auto* instance =
        new SharedInstance<EditedDelaysManager>([] { return std::make_shared<EditedDelaysManager>(); });
    return *instance;
}

bool sameHeatAndStart(const Delay& entry, int heatId, Instant start)
{
    return entry.heatId == heatId && entry.startDate.date == start;
}

// Two records of the same delay: the same service id, or, for pieces without one, the same start.
bool sameDelay(const Delay& entry, const Delay& other)
{
    if (entry.heatId != other.heatId) {
        return false;
    }
    if (entry.delayId || other.delayId) {
        return entry.delayId == other.delayId;
    }
    return entry.startDate.date == other.startDate.date;
}

bool sameHeatAndServiceDelay(const Delay& entry, int heatId, int delayId)
{
    return entry.heatId == heatId && (entry.delayId == delayId || entry.baseDelayId == delayId);
}

} // namespace

EditedDelaysManager::EditedDelaysManager(NotificationCenter& center) : m_center(center) {}

EditedDelaysManager::~EditedDelaysManager() = default;

std::shared_ptr<EditedDelaysManager> EditedDelaysManager::shared()
{
    return sharedInstance().get();
}

void EditedDelaysManager::setSharedForTesting(std::shared_ptr<EditedDelaysManager> manager)
{
    sharedInstance().set(std::move(manager));
}

void EditedDelaysManager::addEditedDelay(DelayPtr delay)
{
    if (!delay) {
        return;
    }
    m_queue.async([this, delay = std::move(delay)] {
        const auto existing = std::find_if(m_editedDelays.begin(), m_editedDelays.end(),
                                           [&](const DelayPtr& entry) { return sameDelay(*entry, *delay); });
        if (existing != m_editedDelays.end()) {
            eraseAt(static_cast<std::size_t>(existing - m_editedDelays.begin()));
        }
        m_editedDelays.push_back(delay);
        postOperation();
        log("\nAfter Adding EditedDelay");
        printEditedDelays();
    });
}

void EditedDelaysManager::removeEditedDelay(Instant startDate, int heatId)
{
    m_queue.async([this, startDate, heatId] {
        const auto found = std::find_if(m_editedDelays.begin(), m_editedDelays.end(), [&](const DelayPtr& entry) {
            return sameHeatAndStart(*entry, heatId, startDate);
        });
        if (found != m_editedDelays.end()) {
            eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
        }
        log("\nAfter Removing EditedDelay with StartDate");
        printEditedDelays();
    });
}

void EditedDelaysManager::removeEditedDelay(const Delay& delay)
{
    m_queue.async([this, delay = delay] {
        const auto found = std::find_if(m_editedDelays.begin(), m_editedDelays.end(),
                                        [&](const DelayPtr& entry) { return sameDelay(*entry, delay); });
        if (found != m_editedDelays.end()) {
            eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
        }
    });
}

void EditedDelaysManager::removeEditedDelaysWithDelayId(int delayId, int heatId)
{
    m_queue.async([this, delayId, heatId] {
        // Walking backwards removes from the highest position down, so earlier positions stay valid.
        for (std::size_t position = m_editedDelays.size(); position-- > 0;) {
            if (sameHeatAndServiceDelay(*m_editedDelays[position], heatId, delayId)) {
                eraseAt(position);
            }
        }
    });
}

void EditedDelaysManager::removeEditedDelays(std::vector<DelayPtr> delays, int heatId, Completion completion)
{
    m_queue.async([this, delays = std::move(delays), heatId, completion = std::move(completion)] {
        for (const auto& delay : delays) {
            if (!delay) {
                continue;
            }
            // The very record that was sent: a re-edit made while it was on its way is a newer record that
            // took its place, and it must stay until its own save.
            const auto found = std::find_if(m_editedDelays.begin(), m_editedDelays.end(), [&](const DelayPtr& entry) {
                return entry == delay && entry->heatId == heatId;
            });
            if (found != m_editedDelays.end()) {
                eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
            }
        }
        log("\nAfter Removing EditedDelays");
        printEditedDelays();
        if (completion) {
            completion();
        }
    });
}

void EditedDelaysManager::removeAllEditedDelays(int heatId, Completion completion)
{
    m_queue.async([this, heatId, completion = std::move(completion)] {
        std::erase_if(m_editedDelays, [heatId](const DelayPtr& entry) { return entry->heatId == heatId; });
        postOperation();
        log("\nAfter Removing EditedDelay WithheatId");
        printEditedDelays();
        if (completion) {
            completion();
        }
    });
}

void EditedDelaysManager::removeStaleEditedDelays(std::vector<DelayPtr> entries, Completion completion)
{
    m_queue.async([this, entries = std::move(entries), completion = std::move(completion)] {
        for (const auto& stale : entries) {
            const auto found = std::find(m_editedDelays.begin(), m_editedDelays.end(), stale);
            if (found != m_editedDelays.end()) {
                eraseAt(static_cast<std::size_t>(found - m_editedDelays.begin()));
            }
        }
        if (completion) {
            completion();
        }
    });
}

void EditedDelaysManager::getAllEditedDelays(ListCompletion completion)
{
    m_queue.async([this, completion = std::move(completion)] {
        if (completion) {
            completion(m_editedDelays);
        }
    });
}

void EditedDelaysManager::getEditedDelays(int heatId, ListCompletion completion)
{
    m_queue.async([this, heatId, completion = std::move(completion)] {
        std::vector<DelayPtr> ofHeat;
        std::copy_if(m_editedDelays.begin(), m_editedDelays.end(), std::back_inserter(ofHeat),
                     [heatId](const DelayPtr& entry) { return entry->heatId == heatId; });
        if (completion) {
            completion(std::move(ofHeat));
        }
    });
}

bool EditedDelaysManager::hasEditedDelays(int heatId)
{
    return m_queue.sync([this, heatId] { return holdsEntryOf(heatId); });
}

void EditedDelaysManager::hasEditedDelays(int heatId, std::function<void(bool)> completion)
{
    m_queue.async([this, heatId, completion = std::move(completion)] { completion(holdsEntryOf(heatId)); });
}

bool EditedDelaysManager::holdsEntryOf(int heatId) const
{
    return std::any_of(m_editedDelays.begin(), m_editedDelays.end(),
                       [heatId](const DelayPtr& entry) { return entry->heatId == heatId; });
}

void EditedDelaysManager::clearEditedDelays()
{
    m_queue.sync([this] {
        m_editedDelays.clear();
        postOperation();
    });
}

void EditedDelaysManager::drain()
{
    m_queue.drain();
}

void EditedDelaysManager::eraseAt(std::size_t position)
{
    m_editedDelays.erase(m_editedDelays.begin() + static_cast<std::ptrdiff_t>(position));
    postOperation();
}

void EditedDelaysManager::postOperation() const
{
    m_center.post(editing_notifications::operationHasBeenMade);
}

void EditedDelaysManager::printEditedDelays() const
{
    log("-----------------------  EDITED DELAYS -------------------------");
    for (const auto& entry : m_editedDelays) {
        const auto start = Utilities::formatDate(entry->startDate.date, "HH:mm:ss");
        log(fmt::format("HeatId: {} - StartDate: {}", entry->heatId, start.value_or("NONE")));
    }
    log(std::string(64, '-'));
}

} // namespace orvendel
