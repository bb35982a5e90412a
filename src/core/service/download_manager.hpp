#pragma once

#include "core/editing/delay_saver.hpp"
#include "core/service/download_resources.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/support/notification_center.hpp"
#include "core/support/serial_queue.hpp"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvendel {

// A request parked until a new session exists: the new request object that will be sent then, not started.
struct RetryRequest {
    std::shared_ptr<Downloader> request;
    Error lastError;
};

// The one place the screens call the delay service from. Each call runs one request object, stores what it
// downloads through the delay database and announces the outcome as a notification (sender: this manager).
// An expired session parks the request, renews the session once and re-sends every parked request; a reply
// that expired under an older session than the current one is sent again with the current one, and every
// parked request ends either sent again or with its own failure notification.
// Thread contract: the operations may be called from any thread and return at once. Request completions run
// on the requests' strands, store completions on the database queue; notifications are posted there. The
// completion of a delays and reasons pair runs where its last half ended (a request's strand, the database
// queue, the retry queue) or on the thread that logs out or releases the manager; never under a lock of the
// manager, so it may start the next pair itself, but it must not wait on those queues: hop to your own thread.
class DownloadManager : public DelaySaver, public std::enable_shared_from_this<DownloadManager> {
public:
    static constexpr const char* furnacesResourcePathComponent = download_resources::Furnaces::resource.pathComponent;
    static constexpr const char* delaysResourcePathComponent = download_resources::Delays::resource.pathComponent;
    static constexpr const char* reasonsResourcePathComponent = download_resources::Reasons::resource.pathComponent;
    static constexpr const char* delaysUpdateStatusPathComponent =
        download_resources::UpdatedDelays::resource.pathComponent;
    static constexpr const char* saveDelaysResourcePathComponent = download_resources::Save::resource.pathComponent;

    // Stores a successful reply through the database; the completion says whether that worked.
    using StoreStep = std::function<void(DatabaseManager&, DatabaseManager::StoreCompletion)>;

    // All required: the manager looks nothing up.
    struct Dependencies {
        std::shared_ptr<LoginManager> loginManager;
        std::shared_ptr<DatabaseManager> database;
        std::shared_ptr<HttpTransport> transport;
        NotificationCenter* notificationCenter = nullptr;
        std::chrono::milliseconds resourceTimeout{std::chrono::seconds(12)};
        // Sent in every request's common data, as "de-CH": the session's, fixed for the manager's life.
        std::string locale = "en-US";
    };

    static std::shared_ptr<DownloadManager> create(Dependencies dependencies);

    ~DownloadManager() override;

    void downloadFurnacesList(std::optional<std::string> identifier = std::nullopt);
    // Both return false when nothing was sent because nobody is signed in (the logout notification says so).
    bool downloadReasons(int furnaceId, std::optional<std::string> identifier = std::nullopt);
    bool downloadDelays(int furnaceId, std::string requestDate, std::optional<std::string> identifier = std::nullopt);
    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays, std::optional<std::string> identifier);
    void saveDelays(int furnaceId, int heatId, std::vector<DelayPtr> delays) override
    {
        saveDelays(furnaceId, heatId, std::move(delays), std::nullopt);
    }
    // Downloads a furnace's delays and reasons together; each half is announced like a single download. The
    // completion runs once, when both halves ended: success when both were stored, else the first failure.
    // A call made while a pair is in flight waits for it, because that pair may predate a save or a furnace
    // switch; the calls waiting meanwhile share one pair, of the last call's furnace and date, and each hears
    // its outcome. Logging out fails the pair in flight and the waiting one.
    using PairCompletion = std::function<void(Result<void>)>;
    void downloadDelaysAndReasons(int furnaceId, std::string requestDate, PairCompletion completion);
    // Whether a pair is in flight or waiting to start.
    bool isDownloadingDelaysAndReasons();

    // Whether a save of that heat and furnace is in flight; the completion runs on the active-requests queue.
    void isSavingDelays(int heatId, int furnaceId, std::function<void(bool)> completion);

    // Fails every parked request with `error`, each with its own notification, then empties the list.
    void clearRequestsToRetry(Error error);

    // The download manager's part of the logout sequence: no refresh pending, every active and every parked
    // request cancelled (each announces its failure) and forgotten. Returns when the lists are empty.
    void resetForLogout();

    bool isUpdatingSessionId() const { return m_isUpdatingSessionId; }
    std::size_t activeRequestCount();
    std::size_t requestsToRetryCount();

    // "Error Domain: %@ - Code: %d - Description: %@".
    static std::string errorText(const Error& error);

private:
    explicit DownloadManager(Dependencies dependencies);

    // The session's configuration for a resource, or none (after posting the logout notification) when nobody
    // is signed in.
    RequestConfigurationPtr makeConfiguration(const DownloadResource& resource, std::optional<int> furnaceId);
    // Makes the request of `Resource` that reports back to this manager, and starts it.
    template <typename Resource>
    void start(std::shared_ptr<typename Resource::Parameters> parameters, RequestConfigurationPtr configuration);
    // Starts a request and records it as active.
    void startRequest(const std::shared_ptr<Downloader>& request);

    // A request of `Resource` reported back: a reply, stored first when it reports success and the resource
    // keeps its replies, or a failure.
    template <typename Resource>
    void requestCompleted(const std::shared_ptr<ResourceRequest<Resource>>& request,
                          Result<typename Resource::Reply> outcome);
    // Where a reply's success is decided: its own flag, not the transport's.
    void requestFinished(const std::shared_ptr<Downloader>& request, const ResultInformation& resultInformation,
                         StoreStep store);
    void requestFailed(const std::shared_ptr<Downloader>& request, const Error& error);
    void storeFinished(const Downloader& request, const Result<void>& stored);

    void addActiveRequest(std::shared_ptr<Downloader> request);
    void removeActiveRequest(const std::shared_ptr<Downloader>& request);
    void addRequestToRetry(std::shared_ptr<Downloader> retry, Error error);
    void retryRequests();
    void handleRequestFailure(const Error& error, const Downloader& request);
    // The service answered that the request's session has expired: park it for a renewal (starting one when
    // none runs), send it again at once when a newer session already exists, or end the user's session when
    // it was already sent again with the current one.
    void sessionExpired(const Downloader& request, const Error& error);
    // On the retry queue: announces every parked request as failed, then empties the list.
    void failRequestsToRetry(const Error& error);
    void loginManagerFinishedAuthenticatingNotification(const login_notifications::ServerAuthentication& outcome);

    // A pair's halves started, outside the pair lock: both already carry their identifiers.
    void startPair(int furnaceId, const std::string& requestDate, const std::string& delaysIdentifier,
                   const std::string& reasonsIdentifier);
    // The request with `identifier` ended: stored, or with its failure. Completes the pair it is a half of, if
    // any, once the other half ended too, and starts the pair waiting behind it.
    void pairHalfEnded(const std::string& identifier, const Result<void>& outcome);
    // Logout and release: the pair in flight and the waiting one are taken away first, so that halves ending
    // meanwhile start nothing, and failed when the requests are gone.
    struct DetachedPairs;
    DetachedPairs detachPairs();
    static void failPairs(DetachedPairs pairs, const Error& error);

    // Announces the request's failure and ends its half of a pair.
    void postFailure(const Downloader& request, const Error& error);
    void postLogout();

    std::shared_ptr<LoginManager> m_loginManager;
    std::shared_ptr<DatabaseManager> m_database;
    std::shared_ptr<HttpTransport> m_transport;
    NotificationCenter* m_center;
    std::chrono::milliseconds m_resourceTimeout;
    const std::string m_locale;

    // Guards the decision between parking, renewing and sending again against the end of a renewal.
    std::mutex m_renewalMutex;
    std::atomic<bool> m_isUpdatingSessionId = false;
    ObserverToken m_authenticationObserver;

    // The delays and reasons pair in flight, and the one waiting behind it. Guarded by m_pairMutex, which is
    // never held while a request starts or a completion runs.
    struct DelaysReasonsPair {
        std::string delaysIdentifier;
        std::string reasonsIdentifier;
        bool delaysEnded = false;
        bool reasonsEnded = false;
        Result<void> outcome{}; // the first half's failure, if any
        std::vector<PairCompletion> completions{};
    };
    struct WaitingPair {
        int furnaceId = 0;
        std::string requestDate;
        std::vector<PairCompletion> completions{};
    };
    struct DetachedPairs {
        std::optional<DelaysReasonsPair> inFlight;
        std::optional<WaitingPair> waiting;
    };
    std::mutex m_pairMutex;
    std::optional<DelaysReasonsPair> m_pairInFlight;
    std::optional<WaitingPair> m_waitingPair;

    std::vector<std::shared_ptr<Downloader>> m_activeRequests; // on m_activeRequestsQueue only
    std::vector<RetryRequest> m_requestsToRetry;               // on m_requestsToRetryQueue only
    // Last: destroyed first, so queued work still finds the lists.
    SerialQueue m_requestsToRetryQueue{"RequestsToRetrySerialQueue"};
    SerialQueue m_activeRequestsQueue{"ActiveRequestsSerialQueue"};
};

} // namespace orvendel
