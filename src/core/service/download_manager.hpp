#pragma once

#include "core/editing/delay_saver.hpp"
#include "core/service/delays_downloader.hpp"
#include "core/service/furnaces_downloader.hpp"
#include "core/service/login_manager.hpp"
#include "core/service/reasons_downloader.hpp"
#include "core/service/save_delays.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/notification_center.hpp"
#include "core/support/serial_queue.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvendel {

namespace download_notifications {
inline constexpr const char* finishedFurnaces = "FinishedDownloadingFurnacesList";
inline constexpr const char* failedFurnaces = "FailedDownloadingFurnacesList";
inline constexpr const char* finishedDelays = "FinishedDownloadingDelays";
inline constexpr const char* failedDelays = "FailedDownloadingDelays";
inline constexpr const char* finishedReasons = "FinishedDownloadingReasons";
inline constexpr const char* failedReasons = "FailedDownloadingReasons";
inline constexpr const char* finishedSaving = "FinishedSavingDelays";
inline constexpr const char* failedSaving = "FailedSavingDelays";
inline constexpr const char* failedUpdatedDelays = "FailedDownloadingUpdatedDelays";
inline constexpr const char* errorKey = "DownloadManagerError";
inline constexpr const char* heatIdKey = "HeatId";
inline constexpr const char* delaysKey = "Delays";
} // namespace download_notifications

// A request parked until a new session exists.
struct RetryRequest {
    std::shared_ptr<DownloaderRequestParameters> requestParameters;
    RequestConfigurationPtr requestConfiguration;
    Error lastError;
};

// The one place the screens call the delay service from. Each call runs one request object, stores what it
// downloads through the delay database and announces the outcome as a notification (sender: this manager).
// An expired session parks the request, renews the session once and re-sends every parked request.
// Thread contract: the operations may be called from any thread and return at once. Delegate calls run on
// the requests' strands, store completions on the database queue; notifications are posted there.
class DownloadManager : public FurnacesDownloaderDelegate,
                        public ReasonsDownloaderDelegate,
                        public DelaysDownloaderDelegate,
                        public SaveDelaysDelegate,
                        public DelaySaver,
                        public std::enable_shared_from_this<DownloadManager> {
public:
    static constexpr const char* furnacesResourcePathComponent = "FurnacesList";
    static constexpr const char* delaysResourcePathComponent = "Last24HoursDelays";
    static constexpr const char* reasonsResourcePathComponent = "ReasonsList";
    static constexpr const char* delaysUpdateStatusPathComponent = "UpdatedDelays";
    static constexpr const char* saveDelaysResourcePathComponent = "SaveDelays";

    struct Dependencies {
        std::shared_ptr<LoginManager> loginManager; // none: LoginManager::shared()
        std::shared_ptr<DatabaseManager> database;  // none: DatabaseManager::shared()
        std::shared_ptr<HttpTransport> transport;   // none: the process-wide transport
        NotificationCenter* notificationCenter = nullptr;
        std::chrono::milliseconds resourceTimeout{std::chrono::seconds(12)};
    };

    static std::shared_ptr<DownloadManager> create(Dependencies dependencies);
    static std::shared_ptr<DownloadManager> create() { return create(Dependencies{}); }
    static std::shared_ptr<DownloadManager> shared();
    static void setSharedForTesting(std::shared_ptr<DownloadManager> manager);
    static void resetSharedForTesting() { setSharedForTesting(nullptr); }

    ~DownloadManager() override;

    void downloadFurnacesList(std::optional<std::string> identifier = std::nullopt);
    void downloadReasons(int furnaceId, std::optional<std::string> identifier = std::nullopt);
    void downloadDelays(int furnaceId, std::string requestDate, std::optional<std::string> identifier = std::nullopt);
    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays, std::optional<std::string> identifier);
    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays) override
    {
        saveDelays(furnaceId, heatId, std::move(delays), std::nullopt);
    }
    // Whether a save of that heat and furnace is in flight; the completion runs on the active-requests queue.
    void isSavingDelays(int heatId, int furnaceId, std::function<void(bool)> completion);

    // Fails (with notice) or drops every parked request, then empties the list.
    void clearRequestsToRetry(bool notify, std::optional<Error> error = std::nullopt);

    // The download manager's part of the logout sequence: no refresh pending, every active request cancelled
    // and forgotten, the parked list emptied without notice. Returns when the lists are empty.
    void resetForLogout();

    bool isUpdatingSessionId() const { return m_isUpdatingSessionId; }
    std::size_t activeRequestCount();
    std::size_t requestsToRetryCount();

    void didFinishDownloading(const std::shared_ptr<FurnacesDownloader>& downloader,
                              const wire::FurnacesDownloaderResult& result,
                              const std::shared_ptr<FurnacesDownloaderRequestParameters>& requestParameters,
                              const RequestConfigurationPtr& requestConfiguration) override;
    void didFailDownloading(const std::shared_ptr<FurnacesDownloader>& downloader,
                            const ResultInformation& resultInformation,
                            const std::shared_ptr<FurnacesDownloaderRequestParameters>& requestParameters,
                            const RequestConfigurationPtr& requestConfiguration) override;
    void didFinishDownloading(const std::shared_ptr<ReasonsDownloader>& downloader,
                              const wire::ReasonsDownloaderResult& result,
                              const std::shared_ptr<ReasonsDownloaderRequestParameters>& requestParameters,
                              const RequestConfigurationPtr& requestConfiguration) override;
    void didFailDownloading(const std::shared_ptr<ReasonsDownloader>& downloader,
                            const ResultInformation& resultInformation,
                            const std::shared_ptr<ReasonsDownloaderRequestParameters>& requestParameters,
                            const RequestConfigurationPtr& requestConfiguration) override;
    void didFinishDownloading(const std::shared_ptr<DelaysDownloader>& downloader,
                              const wire::DelaysDownloaderResult& result,
                              const std::shared_ptr<DelaysDownloaderRequestParameters>& requestParameters,
                              const RequestConfigurationPtr& requestConfiguration) override;
    void didFailDownloading(const std::shared_ptr<DelaysDownloader>& downloader,
                            const ResultInformation& resultInformation,
                            const std::shared_ptr<DelaysDownloaderRequestParameters>& requestParameters,
                            const RequestConfigurationPtr& requestConfiguration) override;
    void didFinishDownloading(const std::shared_ptr<SaveDelays>& downloader, const wire::SaveDelaysResult& result,
                              const std::shared_ptr<SaveDelaysRequestParameters>& requestParameters,
                              const RequestConfigurationPtr& requestConfiguration) override;
    void didFailDownloading(const std::shared_ptr<SaveDelays>& downloader, const ResultInformation& resultInformation,
                            const std::shared_ptr<SaveDelaysRequestParameters>& requestParameters,
                            const RequestConfigurationPtr& requestConfiguration) override;

    // "Error Domain: %@ - Code: %d - Description: %@", or "The error object is empty".
    static std::string errorText(const std::optional<Error>& error);

private:
    explicit DownloadManager(Dependencies dependencies);

    // The session's configuration for a resource, or none (after posting the logout notification) when nobody
    // is signed in.
    RequestConfigurationPtr makeConfiguration(const char* resourcePathComponent, std::optional<int> furnaceId);
    // Creates the request object for the parameters' kind, starts it and records it as active.
    bool startRequest(const std::shared_ptr<DownloaderRequestParameters>& parameters,
                      const RequestConfigurationPtr& configuration);

    void addActiveRequest(std::shared_ptr<Downloader> downloader);
    void removeActiveRequest(const std::shared_ptr<Downloader>& downloader);
    void addRequestToRetry(std::shared_ptr<DownloaderRequestParameters> parameters,
                           RequestConfigurationPtr configuration, Error error);
    void retryRequests();
    void handleRequestFailure(std::optional<Error> error,
                              const std::shared_ptr<DownloaderRequestParameters>& requestParameters,
                              const RequestConfigurationPtr& requestConfiguration, const char* notificationName);
    void loginManagerFinishedAuthenticatingNotification(const Notification& notification);

    void postFailure(const char* name, const std::optional<Error>& error, std::optional<int> heatId = std::nullopt);
    void postLogout();

    std::shared_ptr<LoginManager> m_loginManager;
    std::shared_ptr<DatabaseManager> m_database;
    std::shared_ptr<HttpTransport> m_transport;
    NotificationCenter* m_center;
    std::chrono::milliseconds m_resourceTimeout;

    std::atomic<bool> m_isUpdatingSessionId = false;
    ObserverToken m_authenticationObserver;

    std::vector<std::shared_ptr<Downloader>> m_activeRequests; // on m_activeRequestsQueue only
    std::vector<RetryRequest> m_requestsToRetry;               // on m_requestsToRetryQueue only
    // Last: destroyed first, so queued work still finds the lists.
    SerialQueue m_requestsToRetryQueue{"RequestsToRetrySerialQueue"};
    SerialQueue m_activeRequestsQueue{"ActiveRequestsSerialQueue"};
};

} // namespace orvendel
