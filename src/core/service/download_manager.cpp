#include "core/service/download_manager.hpp"

#include "core/model/utilities.hpp"
#include "core/service/download_manager_log.hpp"
#include "core/service/service_address.hpp"
#include "core/support/shared_instance.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace orvendel {
namespace {

namespace dn = download_notifications;

SharedInstance<DownloadManager>& sharedInstance()
{
    // Never destroyed: the program releases its managers itself, not the order of static destruction.
    static auto* instance = new SharedInstance<DownloadManager>([] { return DownloadManager::create(); });
    return *instance;
}

// The failure notification announcing a dropped parked request of this kind, or none.
const char* droppedRequestNotification(const DownloaderRequestParameters& parameters)
{
    // A save waits on a screen too: it is announced like any other failed save.
    if (const DownloadResource* resource = download_resources::forParameters(parameters)) {
        return resource->failedNotification;
    }
    // Never started by this manager, but a parked one is still announced as its kind.
    if (typeid(parameters) == typeid(UpdatedDelaysDownloaderRequestParameters)) {
        return dn::failedUpdatedDelays;
    }
    return nullptr;
}

// Creates the request object of `Resource` when the parameters are that resource's, answered by `delegate`.
template <typename Resource>
bool makeRequest(const std::shared_ptr<DownloaderRequestParameters>& parameters,
                 const RequestConfigurationPtr& configuration, const std::shared_ptr<HttpTransport>& transport,
                 const std::weak_ptr<DownloadManager>& delegate, std::shared_ptr<Downloader>& request,
                 const DownloadResource*& resource)
{
    if (typeid(*parameters) != typeid(typename Resource::Parameters)) {
        return false;
    }
    auto typed = std::make_shared<typename Resource::Request>(
        std::static_pointer_cast<typename Resource::Parameters>(parameters), configuration, transport);
    typed->setDelegate(std::weak_ptr<typename Resource::Delegate>(delegate));
    request = std::move(typed);
    resource = &Resource::resource;
    return true;
}

} // namespace

const DownloadResource* download_resources::forParameters(const DownloaderRequestParameters& parameters)
{
    return std::apply(
        [&](auto... resource) {
            const DownloadResource* found = nullptr;
            ((typeid(parameters) == typeid(typename decltype(resource)::Parameters)
                  ? (found = &decltype(resource)::resource, true)
                  : false) ||
             ...);
            return found;
        },
        All{});
}

DownloadManager::DownloadManager(Dependencies dependencies)
    : m_loginManager(dependencies.loginManager ? std::move(dependencies.loginManager) : LoginManager::shared()),
      m_database(dependencies.database ? std::move(dependencies.database) : DatabaseManager::shared()),
      m_transport(std::move(dependencies.transport)),
      m_center(dependencies.notificationCenter ? dependencies.notificationCenter
                                               : &NotificationCenter::defaultCenter()),
      m_resourceTimeout(dependencies.resourceTimeout)
{}

DownloadManager::~DownloadManager()
{
    m_authenticationObserver.reset();
    m_activeRequestsQueue.drain();
    m_requestsToRetryQueue.drain();
}

std::shared_ptr<DownloadManager> DownloadManager::create(Dependencies dependencies)
{
    std::shared_ptr<DownloadManager> manager(new DownloadManager(std::move(dependencies)));
    std::weak_ptr<DownloadManager> weak = manager;
    manager->m_authenticationObserver = manager->m_center->addObserver(
        login_notifications::serverAuthentication, [weak](const Notification& notification) {
            if (auto self = weak.lock()) {
                self->loginManagerFinishedAuthenticatingNotification(notification);
            }
        });
    return manager;
}

std::shared_ptr<DownloadManager> DownloadManager::shared()
{
    return sharedInstance().get();
}

void DownloadManager::setSharedForTesting(std::shared_ptr<DownloadManager> manager)
{
    sharedInstance().set(std::move(manager));
}

std::string DownloadManager::errorText(const std::optional<Error>& error)
{
    if (!error) {
        return "The error object is empty";
    }
    return fmt::format("Error Domain: {} - Code: {} - Description: {}", error->domain, error->code, error->description);
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
    configuration->locale = Utilities::serviceLocale();
    configuration->furnaceId = furnaceId;
    configuration->isRetry = false;
    configuration->url = ServiceAddress::resourceURL(m_loginManager->serviceURL(), resource.pathComponent);
    configuration->urlSessionConfiguration = HttpSessionConfiguration::ephemeral(m_resourceTimeout);
    return configuration;
}

bool DownloadManager::startRequest(const std::shared_ptr<DownloaderRequestParameters>& parameters,
                                   const RequestConfigurationPtr& configuration)
{
    std::shared_ptr<Downloader> downloader;
    const DownloadResource* resource = nullptr;
    // Weak: a request must not keep its manager alive, and the manager may be starting it from its own
    // queue while it is being destroyed.
    const auto self = weak_from_this();
    const bool made = std::apply(
        [&](auto... r) {
            return (makeRequest<decltype(r)>(parameters, configuration, m_transport, self, downloader, resource) ||
                    ...);
        },
        download_resources::All{});
    if (!made) {
        return false;
    }
    // Recorded before it starts: a reply that arrives at once must find it in the list to be removed.
    addActiveRequest(downloader);
    downloader->start();
    logDownloadManager(resource->startLine);
    return true;
}

void DownloadManager::downloadFurnacesList(std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(download_resources::Furnaces::resource, std::nullopt)) {
        startRequest(std::make_shared<FurnacesDownloaderRequestParameters>(std::move(identifier)), configuration);
    }
}

void DownloadManager::downloadReasons(int furnaceId, std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(download_resources::Reasons::resource, furnaceId)) {
        startRequest(std::make_shared<ReasonsDownloaderRequestParameters>(std::move(identifier)), configuration);
    }
}

void DownloadManager::downloadDelays(int furnaceId, std::string requestDate, std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(download_resources::Delays::resource, furnaceId)) {
        startRequest(
            std::make_shared<DelaysDownloaderRequestParameters>(std::move(requestDate), true, std::move(identifier)),
            configuration);
    }
}

void DownloadManager::saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays,
                                 std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(download_resources::Save::resource, furnaceId)) {
        startRequest(std::make_shared<SaveDelaysRequestParameters>(heatId, std::move(delays), std::move(identifier)),
                     configuration);
    }
}

void DownloadManager::isSavingDelays(int heatId, int furnaceId, std::function<void(bool)> completion)
{
    m_activeRequestsQueue.async([this, heatId, furnaceId, completion = std::move(completion)] {
        const bool saving = std::any_of(m_activeRequests.begin(), m_activeRequests.end(), [&](const auto& request) {
            auto parameters = std::dynamic_pointer_cast<SaveDelaysRequestParameters>(request->requestParameters());
            return parameters && parameters->heatId == heatId &&
                   request->requestConfiguration()->furnaceId == std::optional<int>(furnaceId);
        });
        completion(saving);
    });
}

// ---- the two lists ----
// Work on the manager's own queues may use `this`: the destructor drains both queues before anything else
// goes. It must not take a strong reference, or it could end up destroying the manager on its own queue.

void DownloadManager::addActiveRequest(std::shared_ptr<Downloader> downloader)
{
    m_activeRequestsQueue.async([this, downloader = std::move(downloader)]() mutable {
        m_activeRequests.push_back(std::move(downloader));
        logDownloadManager(fmt::format("Added request. Active Requests: {}", m_activeRequests.size()));
    });
}

void DownloadManager::removeActiveRequest(const std::shared_ptr<Downloader>& downloader)
{
    m_activeRequestsQueue.async([this, downloader] {
        auto it = std::find(m_activeRequests.begin(), m_activeRequests.end(), downloader);
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

void DownloadManager::addRequestToRetry(std::shared_ptr<DownloaderRequestParameters> parameters,
                                        RequestConfigurationPtr configuration, Error error)
{
    m_requestsToRetryQueue.async([this, parameters = std::move(parameters), configuration = std::move(configuration),
                                  error = std::move(error)]() mutable {
        configuration->isRetry = true;
        m_requestsToRetry.push_back(RetryRequest{std::move(parameters), std::move(configuration), std::move(error)});
        logDownloadManager(fmt::format("Added RetryRequest. Requests To Retry: {}", m_requestsToRetry.size()));
    });
}

void DownloadManager::retryRequests()
{
    m_requestsToRetryQueue.async([this] {
        const auto [username, sessionId] = m_loginManager->session();
        const std::size_t count = m_requestsToRetry.size();
        // A manager being destroyed drains this queue; it must not start requests nobody will hear.
        if (username && sessionId && !m_requestsToRetry.empty() && !weak_from_this().expired()) {
            for (auto& entry : m_requestsToRetry) {
                entry.requestConfiguration->isRetry = true;
                entry.requestConfiguration->sessionId = *sessionId;
                startRequest(entry.requestParameters, entry.requestConfiguration);
            }
        }
        m_requestsToRetry.clear();
        logDownloadManager(fmt::format("Requests To Retry: {}", count));
    });
}

void DownloadManager::clearRequestsToRetry(bool notify, std::optional<Error> error)
{
    m_requestsToRetryQueue.async([this, notify, error = std::move(error)] {
        if (notify) {
            for (const auto& entry : m_requestsToRetry) {
                const auto& parameters = *entry.requestParameters;
                if (const char* name = droppedRequestNotification(parameters)) {
                    const DownloadResource* resource = download_resources::forParameters(parameters);
                    postFailure(name, error, parameters.identifier,
                                resource ? resource->heatId(parameters) : std::nullopt);
                }
            }
        }
        m_requestsToRetry.clear();
    });
}

void DownloadManager::resetForLogout()
{
    m_isUpdatingSessionId = false;
    std::vector<std::shared_ptr<Downloader>> cancelled = m_activeRequestsQueue.sync([this] {
        auto requests = std::move(m_activeRequests);
        m_activeRequests.clear();
        return requests;
    });
    for (const auto& request : cancelled) {
        request->cancel();
    }
    clearRequestsToRetry(false);
    m_requestsToRetryQueue.drain();
}

// ---- failures and the session refresh ----

void DownloadManager::postFailure(const char* name, const std::optional<Error>& error, const std::string& identifier,
                                  std::optional<int> heatId)
{
    UserInfo info{{dn::identifierKey, identifier}};
    if (error) {
        info.emplace(dn::errorKey, *error);
    }
    if (heatId) {
        info.emplace(dn::heatIdKey, *heatId);
    }
    m_center->post(name, this, std::move(info));
}

void DownloadManager::postLogout()
{
    m_center->post(login_notifications::logout, m_loginManager.get());
}

void DownloadManager::handleRequestFailure(std::optional<Error> error,
                                           const std::shared_ptr<DownloaderRequestParameters>& requestParameters,
                                           const RequestConfigurationPtr& requestConfiguration,
                                           const DownloadResource& resource)
{
    if (!error) {
        error = Error{orv_error::domain, orv_error::failureWithoutError,
                      "Success is false in request result but no error was provided."};
    }
    if (error->is(server_error::domain, server_error::sessionExpired)) {
        if (!requestConfiguration->isRetry) {
            addRequestToRetry(requestParameters, requestConfiguration, *error);
            m_isUpdatingSessionId = true;
            m_loginManager->refreshSession();
        } else {
            postLogout();
        }
        return;
    }
    postFailure(resource.failedNotification, error, requestParameters->identifier, resource.heatId(*requestParameters));
}

void DownloadManager::loginManagerFinishedAuthenticatingNotification(const Notification& notification)
{
    if (!m_isUpdatingSessionId.exchange(false)) {
        return;
    }
    const bool* result = notification.value<bool>(login_notifications::authenticationResult);
    if (result && *result) {
        retryRequests();
        return;
    }
    const Error* error = notification.value<Error>(login_notifications::authenticationError);
    if (result && error) {
        clearRequestsToRetry(true, *error);
        return;
    }
    clearRequestsToRetry(true, Error{orv_error::domain, orv_error::sessionRenewalFailed,
                                     "There was a problem refreshing your session."});
}

// ---- request objects reporting back ----

void DownloadManager::requestFinished(const DownloadResource& resource, const std::shared_ptr<Downloader>& downloader,
                                      const ResultInformation& resultInformation, StoreStep store,
                                      const std::shared_ptr<DownloaderRequestParameters>& requestParameters,
                                      const RequestConfigurationPtr& requestConfiguration)
{
    removeActiveRequest(downloader);
    if (!resultInformation.success) {
        handleRequestFailure(resultInformation.error, requestParameters, requestConfiguration, resource);
        return;
    }
    if (!store) {
        auto info = resource.finishedUserInfo(*requestParameters);
        info.emplace(dn::identifierKey, requestParameters->identifier);
        m_center->post(resource.finishedNotification, this, std::move(info));
        if (resource.finishedLine) {
            logDownloadManager(resource.finishedLine);
        }
        return;
    }
    // The completion runs later on the database queue, possibly after this manager was released. (Unlike
    // work on the manager's own queues, it may hold the manager: its last release then runs on the database
    // queue, which the manager does not own.)
    store(*m_database,
          [weak = weak_from_this(), &resource, identifier = requestParameters->identifier](Result<void> stored) {
              if (auto self = weak.lock()) {
                  self->storeFinished(resource, stored.errorIfAny(), identifier);
              }
          });
}

void DownloadManager::storeFinished(const DownloadResource& resource, const std::optional<Error>& storeError,
                                    const std::string& identifier)
{
    if (!storeError) {
        m_center->post(resource.finishedNotification, this, {{dn::identifierKey, identifier}});
        logDownloadManager(resource.finishedLine);
        return;
    }
    // The store's own error (a full disk): the download failed, it did not bring an empty list.
    postFailure(resource.failedNotification, storeError, identifier);
    logDownloadManager(resource.storeFailedLine + errorText(storeError));
}

void DownloadManager::requestFailed(const DownloadResource& resource, const std::shared_ptr<Downloader>& downloader,
                                    const ResultInformation& resultInformation,
                                    const std::shared_ptr<DownloaderRequestParameters>& requestParameters,
                                    const RequestConfigurationPtr& requestConfiguration)
{
    removeActiveRequest(downloader);
    handleRequestFailure(resultInformation.error, requestParameters, requestConfiguration, resource);
    if (resource.requestFailedLineHasError) {
        logDownloadManager(resource.requestFailedLine + errorText(resultInformation.error));
    } else {
        logDownloadManager(resource.requestFailedLine);
    }
}

} // namespace orvendel
