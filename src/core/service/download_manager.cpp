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

const char* startLine(const DownloaderRequestParameters& parameters)
{
    if (dynamic_cast<const FurnacesDownloaderRequestParameters*>(&parameters)) {
        return "Started Downloading Furnaces";
    }
    if (dynamic_cast<const ReasonsDownloaderRequestParameters*>(&parameters)) {
        return "Started Downloading Reasons";
    }
    if (dynamic_cast<const DelaysDownloaderRequestParameters*>(&parameters)) {
        return "Started Downloading Delays";
    }
    return "Started Saving Delays";
}

// The failure notification announcing a dropped parked request of this kind, or none.
const char* droppedRequestNotification(const DownloaderRequestParameters& parameters)
{
    if (dynamic_cast<const FurnacesDownloaderRequestParameters*>(&parameters)) {
        return dn::failedFurnaces;
    }
    if (dynamic_cast<const DelaysDownloaderRequestParameters*>(&parameters)) {
        return dn::failedDelays;
    }
    if (dynamic_cast<const ReasonsDownloaderRequestParameters*>(&parameters)) {
        return dn::failedReasons;
    }
    if (dynamic_cast<const UpdatedDelaysDownloaderRequestParameters*>(&parameters)) {
        return dn::failedUpdatedDelays;
    }
    // A save waits on a screen too: it is announced like any other failed save.
    if (dynamic_cast<const SaveDelaysRequestParameters*>(&parameters)) {
        return dn::failedSaving;
    }
    return nullptr;
}

} // namespace

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

RequestConfigurationPtr DownloadManager::makeConfiguration(const char* resourcePathComponent,
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
    configuration->url = ServiceAddress::resourceURL(m_loginManager->serviceURL(), resourcePathComponent);
    configuration->urlSessionConfiguration = HttpSessionConfiguration::ephemeral(m_resourceTimeout);
    return configuration;
}

bool DownloadManager::startRequest(const std::shared_ptr<DownloaderRequestParameters>& parameters,
                                   const RequestConfigurationPtr& configuration)
{
    const auto self = weak_from_this();
    std::shared_ptr<Downloader> downloader;
    if (auto p = std::dynamic_pointer_cast<FurnacesDownloaderRequestParameters>(parameters)) {
        auto request = std::make_shared<FurnacesDownloader>(p, configuration, m_transport);
        request->setDelegate(std::weak_ptr<FurnacesDownloaderDelegate>(shared_from_this()));
        downloader = request;
    } else if (auto p = std::dynamic_pointer_cast<ReasonsDownloaderRequestParameters>(parameters)) {
        auto request = std::make_shared<ReasonsDownloader>(p, configuration, m_transport);
        request->setDelegate(std::weak_ptr<ReasonsDownloaderDelegate>(shared_from_this()));
        downloader = request;
    } else if (auto p = std::dynamic_pointer_cast<DelaysDownloaderRequestParameters>(parameters)) {
        auto request = std::make_shared<DelaysDownloader>(p, configuration, m_transport);
        request->setDelegate(std::weak_ptr<DelaysDownloaderDelegate>(shared_from_this()));
        downloader = request;
    } else if (auto p = std::dynamic_pointer_cast<SaveDelaysRequestParameters>(parameters)) {
        auto request = std::make_shared<SaveDelays>(p, configuration, m_transport);
        request->setDelegate(std::weak_ptr<SaveDelaysDelegate>(shared_from_this()));
        downloader = request;
    } else {
        return false;
    }
    // Recorded before it starts: a reply that arrives at once must find it in the list to be removed.
    addActiveRequest(downloader);
    downloader->start();
    logDownloadManager(startLine(*parameters));
    return true;
}

void DownloadManager::downloadFurnacesList(std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(furnacesResourcePathComponent, std::nullopt)) {
        startRequest(std::make_shared<FurnacesDownloaderRequestParameters>(std::move(identifier)), configuration);
    }
}

void DownloadManager::downloadReasons(int furnaceId, std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(reasonsResourcePathComponent, furnaceId)) {
        startRequest(std::make_shared<ReasonsDownloaderRequestParameters>(std::move(identifier)), configuration);
    }
}

void DownloadManager::downloadDelays(int furnaceId, std::string requestDate, std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(delaysResourcePathComponent, furnaceId)) {
        startRequest(
            std::make_shared<DelaysDownloaderRequestParameters>(std::move(requestDate), true, std::move(identifier)),
            configuration);
    }
}

void DownloadManager::saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays,
                                 std::optional<std::string> identifier)
{
    if (auto configuration = makeConfiguration(saveDelaysResourcePathComponent, furnaceId)) {
        startRequest(std::make_shared<SaveDelaysRequestParameters>(heatId, std::move(delays), std::move(identifier)),
                     configuration);
    }
}

void DownloadManager::isSavingDelays(int heatId, int furnaceId, std::function<void(bool)> completion)
{
    m_activeRequestsQueue.async([this, heatId, furnaceId, completion = std::move(completion)] {
        const bool saving = std::any_of(m_activeRequests.begin(), m_activeRequests.end(), [&](const auto& request) {
            auto save = std::dynamic_pointer_cast<SaveDelays>(request);
            if (!save) {
                return false;
            }
            auto parameters = std::dynamic_pointer_cast<SaveDelaysRequestParameters>(save->requestParameters());
            return parameters && parameters->heatId == heatId &&
                   save->requestConfiguration()->furnaceId == std::optional<int>(furnaceId);
        });
        completion(saving);
    });
}

// ---- the two lists ----

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
        if (username && sessionId && !m_requestsToRetry.empty()) {
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
                const char* name = droppedRequestNotification(*entry.requestParameters);
                if (!name) {
                    continue;
                }
                std::optional<int> heatId;
                if (auto save = std::dynamic_pointer_cast<SaveDelaysRequestParameters>(entry.requestParameters)) {
                    heatId = save->heatId;
                }
                postFailure(name, error, heatId);
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

void DownloadManager::postFailure(const char* name, const std::optional<Error>& error, std::optional<int> heatId)
{
    UserInfo info;
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
                                           const char* notificationName)
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
    std::optional<int> heatId;
    if (auto save = std::dynamic_pointer_cast<SaveDelaysRequestParameters>(requestParameters)) {
        heatId = save->heatId;
    }
    postFailure(notificationName, error, heatId);
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

// ---- delegate calls ----

void DownloadManager::didFinishDownloading(const std::shared_ptr<FurnacesDownloader>& downloader,
                                           const wire::FurnacesDownloaderResult& result,
                                           const std::shared_ptr<FurnacesDownloaderRequestParameters>& parameters,
                                           const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    if (!result.resultInformation.success) {
        handleRequestFailure(result.resultInformation.error, parameters, configuration, dn::failedFurnaces);
        return;
    }
    auto error = result.resultInformation.error;
    m_database->storeFurnaces(result.data.value_or(std::vector<Furnace>{}), [this, error](bool stored) {
        if (stored) {
            m_center->post(dn::finishedFurnaces, this);
            logDownloadManager("Finished Downloading Furnaces List");
        } else {
            postFailure(dn::failedFurnaces, error);
            logDownloadManager("Failed Downloading Furnaces List - " + errorText(error));
        }
    });
}

void DownloadManager::didFailDownloading(const std::shared_ptr<FurnacesDownloader>& downloader,
                                         const ResultInformation& info,
                                         const std::shared_ptr<FurnacesDownloaderRequestParameters>& parameters,
                                         const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    handleRequestFailure(info.error, parameters, configuration, dn::failedFurnaces);
    logDownloadManager("Failed Downloading Furnaces List - " + errorText(info.error));
}

void DownloadManager::didFinishDownloading(const std::shared_ptr<ReasonsDownloader>& downloader,
                                           const wire::ReasonsDownloaderResult& result,
                                           const std::shared_ptr<ReasonsDownloaderRequestParameters>& parameters,
                                           const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    if (!result.resultInformation.success) {
        handleRequestFailure(result.resultInformation.error, parameters, configuration, dn::failedReasons);
        return;
    }
    auto error = result.resultInformation.error;
    m_database->storeReasons(configuration->furnaceId.value_or(0),
                             result.data.value_or(std::vector<wire::JSON_Reason>{}), [this, error](bool stored) {
                                 if (stored) {
                                     m_center->post(dn::finishedReasons, this);
                                     logDownloadManager("Finished Downloading Reasons");
                                 } else {
                                     postFailure(dn::failedReasons, error);
                                     logDownloadManager("Failed Downloading Reasons - " + errorText(error));
                                 }
                             });
}

void DownloadManager::didFailDownloading(const std::shared_ptr<ReasonsDownloader>& downloader,
                                         const ResultInformation& info,
                                         const std::shared_ptr<ReasonsDownloaderRequestParameters>& parameters,
                                         const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    handleRequestFailure(info.error, parameters, configuration, dn::failedReasons);
    logDownloadManager("Failed Downloading Reasons List - " + errorText(info.error));
}

void DownloadManager::didFinishDownloading(const std::shared_ptr<DelaysDownloader>& downloader,
                                           const wire::DelaysDownloaderResult& result,
                                           const std::shared_ptr<DelaysDownloaderRequestParameters>& parameters,
                                           const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    if (!result.resultInformation.success) {
        handleRequestFailure(result.resultInformation.error, parameters, configuration, dn::failedDelays);
        return;
    }
    auto error = result.resultInformation.error;
    m_database->storeDelays(configuration->furnaceId.value_or(0), result.data.value_or(std::vector<wire::JSON_Heat>{}),
                            [this, error](bool stored) {
                                if (stored) {
                                    m_center->post(dn::finishedDelays, this);
                                    logDownloadManager("Finished Downloading Delays");
                                } else {
                                    postFailure(dn::failedDelays, error);
                                    logDownloadManager("Failed Downloading Delays - " + errorText(error));
                                }
                            });
}

void DownloadManager::didFailDownloading(const std::shared_ptr<DelaysDownloader>& downloader,
                                         const ResultInformation& info,
                                         const std::shared_ptr<DelaysDownloaderRequestParameters>& parameters,
                                         const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    handleRequestFailure(info.error, parameters, configuration, dn::failedDelays);
    logDownloadManager("Failed Downloading Delays");
}

void DownloadManager::didFinishDownloading(const std::shared_ptr<SaveDelays>& downloader,
                                           const wire::SaveDelaysResult& result,
                                           const std::shared_ptr<SaveDelaysRequestParameters>& parameters,
                                           const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    if (!result.resultInformation.success) {
        handleRequestFailure(result.resultInformation.error, parameters, configuration, dn::failedSaving);
        return;
    }
    m_center->post(dn::finishedSaving, this,
                   {{dn::heatIdKey, parameters->heatId}, {dn::delaysKey, parameters->delays}});
}

void DownloadManager::didFailDownloading(const std::shared_ptr<SaveDelays>& downloader, const ResultInformation& info,
                                         const std::shared_ptr<SaveDelaysRequestParameters>& parameters,
                                         const RequestConfigurationPtr& configuration)
{
    removeActiveRequest(downloader);
    handleRequestFailure(info.error, parameters, configuration, dn::failedSaving);
    logDownloadManager("Failed Saving Delays");
}

} // namespace orvendel
