#include "core/service/download_manager.hpp"

#include "core/service/download_manager_log.hpp"
#include "core/service/request_failures.hpp"
#include "core/service/service_address.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cassert>

namespace orvendel {
namespace {

Error notSignedIn()
{
    return Error{orv_error::domain, orv_error::requestCancelled, "The download was not sent: nobody is signed in."};
}

// A reply that reports failure says why, as a rule; one that does not still fails with a reason.
Error refusalOf(const ResultInformation& resultInformation)
{
    return resultInformation.error.value_or(Error{orv_error::domain, orv_error::failureWithoutError,
                                                  "Success is false in request result but no error was provided."});
}
} // namespace

DownloadManager::DownloadManager(Dependencies dependencies)
    : m_loginManager(std::move(dependencies.loginManager)), m_database(std::move(dependencies.database)),
      m_transport(std::move(dependencies.transport)), m_center(dependencies.notificationCenter),
      m_resourceTimeout(dependencies.resourceTimeout), m_locale(std::move(dependencies.locale))
{
    assert(m_loginManager && m_database && m_transport && m_center);
}

DownloadManager::~DownloadManager()
{
    m_authenticationObserver.reset();
    m_activeRequestsQueue.drain();
    m_requestsToRetryQueue.drain();
    // The halves' reports can no longer reach the manager: nobody must wait for the pair in vain.
    failPairs(detachPairs(), request_failures::cancelled());
}

std::shared_ptr<DownloadManager> DownloadManager::create(Dependencies dependencies)
{
    std::shared_ptr<DownloadManager> manager(new DownloadManager(std::move(dependencies)));
    std::weak_ptr<DownloadManager> weak = manager;
    manager->m_authenticationObserver = manager->m_center->observe<login_notifications::ServerAuthentication>(
        [weak](const login_notifications::ServerAuthentication& outcome) {
            if (auto self = weak.lock()) {
                self->loginManagerFinishedAuthenticatingNotification(outcome);
            }
        });
    return manager;
}

std::string DownloadManager::errorText(const Error& error)
{
    return fmt::format("Error Domain: {} - Code: {} - Description: {}", error.domain, error.code, error.description);
}

// ---- starting requests ----

RequestConfigurationPtr DownloadManager::makeConfiguration(const DownloadResource& resource,
                                                           std::optional<int> furnaceId)
{
    const auto [username, sessionId] = m_loginManager->session();
    if (!username || !sessionId) {
        postLogout();
        return nullptr;
    }
    auto configuration = std::make_shared<RequestConfiguration>();
    configuration->username = *username;
    configuration->sessionId = *sessionId;
    configuration->locale = m_locale;
    configuration->furnaceId = furnaceId;
    configuration->isRetry = false;
    configuration->url = ServiceAddress::resourceURL(m_loginManager->serviceURL(), resource.pathComponent);
    configuration->urlSessionConfiguration = HttpSessionConfiguration::ephemeral(m_resourceTimeout);
    return configuration;
}

template <typename Resource>
void DownloadManager::start(std::shared_ptr<typename Resource::Parameters> parameters,
                            RequestConfigurationPtr configuration)
{
    // Weak: a request must not keep its manager alive, and the manager may be starting it from its own queue
    // while it is being destroyed.
    auto completion = [weak = weak_from_this()](const std::shared_ptr<ResourceRequest<Resource>>& request,
                                                Result<typename Resource::Reply> outcome) {
        if (auto self = weak.lock()) {
            self->requestCompleted<Resource>(request, std::move(outcome));
        }
    };
    startRequest(std::make_shared<ResourceRequest<Resource>>(std::move(parameters), std::move(configuration),
                                                             m_transport, std::move(completion)));
}

void DownloadManager::startRequest(const std::shared_ptr<Downloader>& request)
{
    // Recorded before it starts: a reply that arrives at once must find it in the list to be removed.
    addActiveRequest(request);
    request->start();
    logDownloadManager(request->resource().startLine);
}

void DownloadManager::downloadFurnacesList(std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(download_resources::Furnaces::resource, std::nullopt)) {
        start<download_resources::Furnaces>(
            std::make_shared<FurnacesDownloaderRequestParameters>(std::move(identifier)), configuration);
    }
}

bool DownloadManager::downloadReasons(int furnaceId, std::optional<std::string> identifier)
{
    auto configuration = makeConfiguration(download_resources::Reasons::resource, furnaceId);
    if (!configuration) {
        return false;
    }
    start<download_resources::Reasons>(std::make_shared<ReasonsDownloaderRequestParameters>(std::move(identifier)),
                                       configuration);
    return true;
}

bool DownloadManager::downloadDelays(int furnaceId, std::string requestDate, std::optional<std::string> identifier)
{
    auto configuration = makeConfiguration(download_resources::Delays::resource, furnaceId);
    if (!configuration) {
        return false;
    }
    start<download_resources::Delays>(
        std::make_shared<DelaysDownloaderRequestParameters>(std::move(requestDate), true, std::move(identifier)),
        configuration);
    return true;
}

void DownloadManager::saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays,
                                 std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(download_resources::Save::resource, furnaceId)) {
        start<download_resources::Save>(
            std::make_shared<SaveDelaysRequestParameters>(heatId, std::move(delays), std::move(identifier)),
            configuration);
    }
}

void DownloadManager::isSavingDelays(int heatId, int furnaceId, std::function<void(bool)> completion)
{
    m_activeRequestsQueue.async([this, heatId, furnaceId, completion = std::move(completion)] {
        const bool saving = std::any_of(m_activeRequests.begin(), m_activeRequests.end(), [&](const auto& request) {
            return &request->resource() == &download_resources::Save::resource &&
                   request->heatId() == std::optional<int>(heatId) &&
                   request->requestConfiguration()->furnaceId == std::optional<int>(furnaceId);
        });
        completion(saving);
    });
}

// ---- the delays and reasons pair ----

void DownloadManager::downloadDelaysAndReasons(int furnaceId, std::string requestDate, PairCompletion completion)
{
    std::string delaysIdentifier;
    std::string reasonsIdentifier;
    {
        std::lock_guard lock(m_pairMutex);
        if (m_pairInFlight) {
            // Collapsed into one pair of the latest furnace and date: the earlier ones are out of date already.
            if (!m_waitingPair) {
                m_waitingPair.emplace();
            }
            m_waitingPair->furnaceId = furnaceId;
            m_waitingPair->requestDate = std::move(requestDate);
            m_waitingPair->completions.push_back(std::move(completion));
            return;
        }
        m_pairInFlight = DelaysReasonsPair{newUUIDText(), newUUIDText()};
        m_pairInFlight->completions.push_back(std::move(completion));
        delaysIdentifier = m_pairInFlight->delaysIdentifier;
        reasonsIdentifier = m_pairInFlight->reasonsIdentifier;
    }
    startPair(furnaceId, requestDate, delaysIdentifier, reasonsIdentifier);
}

bool DownloadManager::isDownloadingDelaysAndReasons()
{
    std::lock_guard lock(m_pairMutex);
    return m_pairInFlight.has_value();
}

void DownloadManager::startPair(int furnaceId, const std::string& requestDate, const std::string& delaysIdentifier,
                                const std::string& reasonsIdentifier)
{
    if (!downloadDelays(furnaceId, requestDate, delaysIdentifier)) {
        pairHalfEnded(delaysIdentifier, notSignedIn());
    }
    if (!downloadReasons(furnaceId, reasonsIdentifier)) {
        pairHalfEnded(reasonsIdentifier, notSignedIn());
    }
}

void DownloadManager::pairHalfEnded(const std::string& identifier, const Result<void>& ended)
{
    std::vector<PairCompletion> completions;
    Result<void> outcome;
    std::optional<WaitingPair> next;
    std::string delaysIdentifier;
    std::string reasonsIdentifier;
    {
        std::lock_guard lock(m_pairMutex);
        if (!m_pairInFlight) {
            return;
        }
        auto& pair = *m_pairInFlight;
        bool* half = identifier == pair.delaysIdentifier    ? &pair.delaysEnded
                     : identifier == pair.reasonsIdentifier ? &pair.reasonsEnded
                                                            : nullptr;
        // Another request, or the second report of a cancelled half.
        if (!half || *half) {
            return;
        }
        *half = true;
        if (ended) {
            log(half == &pair.delaysEnded ? "Notification - Finished Downloading Delays"
                                          : "Notification - Finished Downloading Reasons");
        } else if (pair.outcome) {
            pair.outcome = ended;
        }
        if (!pair.delaysEnded || !pair.reasonsEnded) {
            return;
        }
        outcome = pair.outcome;
        completions = std::move(pair.completions);
        m_pairInFlight.reset();
        if (m_waitingPair) {
            next = std::exchange(m_waitingPair, std::nullopt);
            m_pairInFlight = DelaysReasonsPair{newUUIDText(), newUUIDText()};
            m_pairInFlight->completions = std::move(next->completions);
            delaysIdentifier = m_pairInFlight->delaysIdentifier;
            reasonsIdentifier = m_pairInFlight->reasonsIdentifier;
        }
    }
    for (const auto& completion : completions) {
        if (completion) {
            completion(outcome);
        }
    }
    if (next) {
        startPair(next->furnaceId, next->requestDate, delaysIdentifier, reasonsIdentifier);
    }
}

DownloadManager::DetachedPairs DownloadManager::detachPairs()
{
    std::lock_guard lock(m_pairMutex);
    return DetachedPairs{std::exchange(m_pairInFlight, std::nullopt), std::exchange(m_waitingPair, std::nullopt)};
}

void DownloadManager::failPairs(DetachedPairs pairs, const Error& error)
{
    auto& [inFlight, waiting] = pairs;
    if (inFlight) {
        const Result<void> outcome = inFlight->outcome ? Result<void>(error) : inFlight->outcome;
        for (const auto& completion : inFlight->completions) {
            if (completion) {
                completion(outcome);
            }
        }
    }
    if (waiting) {
        for (const auto& completion : waiting->completions) {
            if (completion) {
                completion(error);
            }
        }
    }
}

// ---- the two lists ----
// Work on the manager's own queues may use `this`: the destructor drains both queues before anything else
// goes. It must not take a strong reference, or it could end up destroying the manager on its own queue.

void DownloadManager::addActiveRequest(std::shared_ptr<Downloader> request)
{
    m_activeRequestsQueue.async([this, request = std::move(request)]() mutable {
        m_activeRequests.push_back(std::move(request));
        logDownloadManager(fmt::format("Added request. Active Requests: {}", m_activeRequests.size()));
    });
}

void DownloadManager::removeActiveRequest(const std::shared_ptr<Downloader>& request)
{
    m_activeRequestsQueue.async([this, request] {
        auto it = std::find(m_activeRequests.begin(), m_activeRequests.end(), request);
        if (it == m_activeRequests.end()) {
            return;
        }
        m_activeRequests.erase(it);
        if (m_activeRequests.empty()) {
            logDownloadManager("Active Requests: 0");
        }
    });
}

std::size_t DownloadManager::activeRequestCount()
{
    return m_activeRequestsQueue.sync([this] { return m_activeRequests.size(); });
}

std::size_t DownloadManager::requestsToRetryCount()
{
    return m_requestsToRetryQueue.sync([this] { return m_requestsToRetry.size(); });
}

void DownloadManager::addRequestToRetry(std::shared_ptr<Downloader> retry, Error error)
{
    m_requestsToRetryQueue.async([this, retry = std::move(retry), error = std::move(error)]() mutable {
        retry->requestConfiguration()->isRetry = true;
        m_requestsToRetry.push_back(RetryRequest{std::move(retry), std::move(error)});
        logDownloadManager(fmt::format("Added RetryRequest. Requests To Retry: {}", m_requestsToRetry.size()));
    });
}

void DownloadManager::retryRequests()
{
    m_requestsToRetryQueue.async([this] {
        // A manager being destroyed drains this queue; it must not start requests nobody will hear.
        if (weak_from_this().expired()) {
            m_requestsToRetry.clear();
            return;
        }
        const auto [username, sessionId] = m_loginManager->session();
        const std::size_t count = m_requestsToRetry.size();
        if (!username || !sessionId) {
            // Signed out since the renewal: each parked request still ends, with its own notification.
            failRequestsToRetry(request_failures::sessionRenewalFailed());
            return;
        }
        for (auto& entry : m_requestsToRetry) {
            const auto& configuration = entry.request->requestConfiguration();
            configuration->isRetry = true;
            configuration->sessionId = *sessionId;
            startRequest(entry.request);
        }
        m_requestsToRetry.clear();
        logDownloadManager(fmt::format("Requests To Retry: {}", count));
    });
}

void DownloadManager::failRequestsToRetry(const Error& error)
{
    // A parked save waits on a screen too: it is announced like any other failed save.
    for (const auto& entry : m_requestsToRetry) {
        postFailure(*entry.request, error);
    }
    m_requestsToRetry.clear();
}

void DownloadManager::clearRequestsToRetry(Error error)
{
    m_requestsToRetryQueue.async([this, error = std::move(error)] { failRequestsToRetry(error); });
}

void DownloadManager::resetForLogout()
{
    // Before the cancellations: a pair they end must not start the one waiting, for nobody or the next user.
    DetachedPairs pairs = detachPairs();
    {
        std::lock_guard lock(m_renewalMutex);
        m_isUpdatingSessionId = false;
    }
    std::vector<std::shared_ptr<Downloader>> cancelled = m_activeRequestsQueue.sync([this] {
        auto requests = std::move(m_activeRequests);
        m_activeRequests.clear();
        return requests;
    });
    for (const auto& request : cancelled) {
        request->cancel();
    }
    // Ended like the active ones: cancelled, each with its own notification.
    clearRequestsToRetry(request_failures::cancelled());
    m_requestsToRetryQueue.drain();
    failPairs(std::move(pairs), request_failures::cancelled());
}

// ---- failures and the session refresh ----

void DownloadManager::postFailure(const Downloader& request, const Error& error)
{
    request.postFailed(*m_center, this, error);
    pairHalfEnded(request.requestParameters()->identifier, error);
}

void DownloadManager::postLogout()
{
    m_center->post(login_notifications::Logout{}, m_loginManager.get());
}

void DownloadManager::handleRequestFailure(const Error& error, const Downloader& request)
{
    if (error.is(server_error::domain, server_error::sessionExpired)) {
        // The expired-session retry starts here.
        sessionExpired(request, error);
        return;
    }
    postFailure(request, error);
}

void DownloadManager::sessionExpired(const Downloader& request, const Error& error)
{
    const auto& configuration = request.requestConfiguration();
    enum class Step { park, renew, sendAgain, logout } step = Step::park;
    std::string currentSessionId;
    {
        // Parking is queued under the lock, so it is always ahead of the re-sending (or failing) that the
        // renewal's outcome queues: nothing parked is left behind.
        std::lock_guard lock(m_renewalMutex);
        const auto sessionId = m_loginManager->sessionId();
        if (m_isUpdatingSessionId) {
            step = Step::park; // the running renewal re-sends it
        } else if (sessionId && *sessionId != configuration->sessionId) {
            // It expired under an older session than the current one (its reply came after a renewal): the
            // current session serves, signing in again would only end it.
            step = Step::sendAgain;
            currentSessionId = *sessionId;
        } else if (configuration->isRetry) {
            step = Step::logout;
        } else {
            step = Step::renew;
            m_isUpdatingSessionId = true;
        }
        if (step == Step::park || step == Step::renew) {
            addRequestToRetry(request.makeRetry(configuration), error);
        }
    }
    switch (step) {
    case Step::park:
        break;
    case Step::renew:
        // Outside the lock: a sign-in that fails at once reports back on this thread.
        m_loginManager->refreshSession();
        break;
    case Step::sendAgain: {
        configuration->sessionId = currentSessionId;
        configuration->isRetry = true;
        logDownloadManager("Session expired before the last renewal: sending again with the current session");
        startRequest(request.makeRetry(configuration));
        break;
    }
    case Step::logout:
        postLogout();
        // Not announced as failed, but a pair waiting for it must still end.
        pairHalfEnded(request.requestParameters()->identifier, error);
        break;
    }
}

void DownloadManager::loginManagerFinishedAuthenticatingNotification(
    const login_notifications::ServerAuthentication& authentication)
{
    // Under the lock: whatever was parked before is on the queue ahead of what is queued here.
    std::lock_guard lock(m_renewalMutex);
    if (!m_isUpdatingSessionId.exchange(false)) {
        return;
    }
    if (authentication.outcome) {
        retryRequests();
        return;
    }
    clearRequestsToRetry(authentication.outcome.error());
}

// ---- request objects reporting back ----

template <typename Resource>
void DownloadManager::requestCompleted(const std::shared_ptr<ResourceRequest<Resource>>& request,
                                       Result<typename Resource::Reply> outcome)
{
    if (!outcome) {
        requestFailed(request, outcome.error());
        return;
    }
    const ResultInformation resultInformation = outcome->resultInformation;
    StoreStep store;
    if constexpr (Resource::stores) {
        if (resultInformation.success) {
            store = [reply = std::move(*outcome), configuration = request->requestConfiguration()](
                        DatabaseManager& database, DatabaseManager::StoreCompletion completion) mutable {
                Resource::store(database, std::move(reply), *configuration, std::move(completion));
            };
        }
    }
    requestFinished(request, resultInformation, std::move(store));
}

void DownloadManager::requestFinished(const std::shared_ptr<Downloader>& request,
                                      const ResultInformation& resultInformation, StoreStep store)
{
    removeActiveRequest(request);
    if (!resultInformation.success) {
        handleRequestFailure(refusalOf(resultInformation), *request);
        return;
    }
    if (!store) {
        request->postFinished(*m_center, this);
        if (const char* line = request->resource().finishedLine) {
            logDownloadManager(line);
        }
        pairHalfEnded(request->requestParameters()->identifier, {});
        return;
    }
    // The completion runs later on the database queue, possibly after this manager was released. (Unlike
    // work on the manager's own queues, it may hold the manager: its last release then runs on the database
    // queue, which the manager does not own.)
    store(*m_database, [weak = weak_from_this(), request](Result<void> stored) {
        if (auto self = weak.lock()) {
            self->storeFinished(*request, stored);
        }
    });
}

void DownloadManager::storeFinished(const Downloader& request, const Result<void>& stored)
{
    const DownloadResource& resource = request.resource();
    if (stored) {
        request.postFinished(*m_center, this);
        logDownloadManager(resource.finishedLine);
        pairHalfEnded(request.requestParameters()->identifier, {});
        return;
    }
    // The store's own error (a full disk): the download failed, it did not bring an empty list.
    postFailure(request, stored.error());
    logDownloadManager(resource.storeFailedLine + errorText(stored.error()));
}

void DownloadManager::requestFailed(const std::shared_ptr<Downloader>& request, const Error& error)
{
    removeActiveRequest(request);
    handleRequestFailure(error, *request);
    const DownloadResource& resource = request->resource();
    if (resource.requestFailedLineHasError) {
        logDownloadManager(resource.requestFailedLine + errorText(error));
    } else {
        logDownloadManager(resource.requestFailedLine);
    }
}

} // namespace orvendel
