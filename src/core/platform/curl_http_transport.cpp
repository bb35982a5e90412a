#include "core/platform/curl_http_transport.hpp"

#include "core/platform/curl_library.hpp"

#include <asio/post.hpp>
#include <asio/strand.hpp>
#include <asio/thread_pool.hpp>
#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace orvendel {

namespace {

Error errorFor(const CurlLibrary& library, CURLcode code, const char* detailBuffer)
{
    std::string_view detail = detailBuffer[0] != '\0' ? detailBuffer : library.easy_strerror(code);
    using namespace transport_error;
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return make(timedOut, detail);
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return make(badURL, detail);
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return make(cannotFindHost, detail);
    case CURLE_COULDNT_CONNECT:
        return make(cannotConnectToHost, detail);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return make(networkConnectionLost, detail);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return make(secureConnectionFailed, detail);
    case CURLE_FILESIZE_EXCEEDED:
        return make(replyTooLarge);
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return make(badServerResponse, detail);
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR:
        return make(cancelled);
    default:
        return make(unknown, detail);
    }
}

class CurlSession;

// One request on the wire. Owned by the network thread once added; the session points at it while it runs.
struct Transfer {
    // The library the handles below came from; none until the network thread begins the transfer, so a
    // transfer that never reached it (libcurl missing, shut down first) calls nothing on the way out.
    const CurlLibrary* curl = nullptr;
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    HttpRequest request;
    std::chrono::milliseconds resourceTimeout{};
    std::shared_ptr<CurlSession> session;
    HttpHeaders responseHeaders;
    bool responseDelivered = false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // Network thread only: what the reply has brought so far, and why the transfer was stopped, when it
    // was stopped for the reply's sake rather than by a cancellation.
    std::size_t maximumReplyBytes = 0;
    std::size_t decodedBytes = 0;
    std::size_t headerBytes = 0;
    std::optional<Error> refusal;

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer()
    {
        if (curl == nullptr) {
            return;
        }
        if (easy != nullptr) {
            curl->easy_cleanup(easy);
        }
        curl->slist_free_all(headerList);
    }
};

} // namespace

class CurlHttpTransport::Engine {
public:
    // Nothing of libcurl yet: it is loaded, and the network thread started, by the first request, so that a
    // program that has not talked to the network yet has not paid for it.
    explicit Engine(Options options)
        : m_options(std::move(options)), m_pool(static_cast<std::size_t>(std::max(1, m_options.callbackThreads)))
    {}

    ~Engine()
    {
        if (m_multi != nullptr) {
            m_curl->multi_cleanup(m_multi);
        }
    }

    asio::thread_pool& pool() { return m_pool; }
    const Options& options() const { return m_options; }

    // Refused when the engine is shutting down or libcurl could not be loaded.
    Result<void> add(std::shared_ptr<Transfer> transfer)
    {
        CURLM* multi = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return transport_error::make(transport_error::shutDown);
            }
            startOnce();
            if (m_loadError) {
                return transport_error::make(transport_error::unknown, m_loadError->description);
            }
            m_toAdd.push_back(std::move(transfer));
            multi = m_multi;
        }
        m_curl->multi_wakeup(multi);
        return {};
    }

    void remove(std::shared_ptr<Transfer> transfer)
    {
        CURLM* multi = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping || m_multi == nullptr) {
                return;
            }
            m_toRemove.push_back(std::move(transfer));
            multi = m_multi;
        }
        m_curl->multi_wakeup(multi);
    }

    void shutdown()
    {
        CURLM* multi = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) {
                return;
            }
            m_stopping = true;
            multi = m_multi;
        }
        if (multi == nullptr) { // never started
            m_pool.join();
            return;
        }
        m_curl->multi_wakeup(multi);
        m_thread.join();
        m_pool.join();
    }

private:
    // Under m_mutex.
    void startOnce()
    {
        if (m_started) {
            return;
        }
        m_started = true;
        auto loaded = m_options.libraryName ? curlLibrary(*m_options.libraryName) : curlLibrary();
        if (!loaded) {
            m_loadError = loaded.error();
            return;
        }
        m_curl = *loaded;
        m_multi = m_curl->multi_init();
        m_thread = std::thread([this] { run(); });
    }

    void run();
    void begin(const std::shared_ptr<Transfer>& transfer);
    void finish(CURL* easy, CURLcode result);
    void drop(CURL* easy);

    Options m_options;
    asio::thread_pool m_pool;
    // Set once by the first request, under m_mutex.
    bool m_started = false;
    std::optional<Error> m_loadError;    // libcurl could not be loaded: every request fails with it
    const CurlLibrary* m_curl = nullptr; // when it could; every call into libcurl goes through it
    CURLM* m_multi = nullptr;
    std::thread m_thread;

    std::mutex m_mutex;
    bool m_stopping = false;
    std::vector<std::shared_ptr<Transfer>> m_toAdd;
    std::vector<std::shared_ptr<Transfer>> m_toRemove;

    // Network thread only.
    std::unordered_map<CURL*, std::shared_ptr<Transfer>> m_active;
};

namespace {

class CurlSession final : public HttpSession, public std::enable_shared_from_this<CurlSession> {
public:
    using Engine = CurlHttpTransport::Engine;

    CurlSession(std::shared_ptr<Engine> engine, const HttpSessionConfiguration& configuration,
                std::weak_ptr<HttpSessionDelegate> delegate)
        : m_engine(std::move(engine)), m_configuration(configuration), m_delegate(std::move(delegate)),
          m_strand(asio::make_strand(m_engine->pool()))
    {}

    Result<void> startTask(HttpRequest request) override
    {
        auto transfer = std::make_shared<Transfer>();
        transfer->request = std::move(request);
        transfer->resourceTimeout = m_configuration.resourceTimeout;
        transfer->session = shared_from_this();
        {
            std::lock_guard lock(m_mutex);
            if (m_state == State::running) {
                return transport_error::make(transport_error::taskRunning);
            }
            if (m_state == State::invalidated) {
                return transport_error::make(transport_error::cancelled);
            }
            m_keepAlive = m_delegate.lock();
            m_state = State::running;
            m_transfer = transfer;
        }
        if (auto added = m_engine->add(transfer); !added) {
            deliverCompletion(transfer.get(), added.error());
        }
        return {};
    }

    void invalidateAndCancel() override
    {
        std::shared_ptr<Transfer> cancelled;
        {
            std::lock_guard lock(m_mutex);
            if (m_state == State::invalidated) {
                return;
            }
            auto delegate = m_keepAlive ? std::move(m_keepAlive) : m_delegate.lock();
            if (m_state == State::running) {
                cancelled = std::move(m_transfer);
                post(delegate,
                     [](HttpSessionDelegate& d) { d.didComplete(transport_error::make(transport_error::cancelled)); });
            }
            m_state = State::invalidated;
            post(delegate, [](HttpSessionDelegate& d) { d.didBecomeInvalid({}); });
        }
        if (cancelled) {
            m_engine->remove(std::move(cancelled));
        }
    }

    // Network thread: false when the transfer no longer belongs to a running task (cancelled).
    bool owns(const Transfer* transfer)
    {
        std::lock_guard lock(m_mutex);
        return m_state == State::running && m_transfer.get() == transfer;
    }

    bool deliverResponse(const Transfer* transfer, HttpResponse response)
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::running || m_transfer.get() != transfer) {
            return false;
        }
        post(m_keepAlive, [r = std::move(response)](HttpSessionDelegate& d) { d.didReceiveResponse(r); });
        return true;
    }

    bool deliverData(const Transfer* transfer, std::string bytes)
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::running || m_transfer.get() != transfer) {
            return false;
        }
        post(m_keepAlive, [b = std::move(bytes)](HttpSessionDelegate& d) { d.didReceiveData(b); });
        return true;
    }

    void deliverCompletion(const Transfer* transfer, Result<void> outcome)
    {
        std::shared_ptr<Transfer> finished;
        std::lock_guard lock(m_mutex);
        if (m_state != State::running || m_transfer.get() != transfer) {
            return;
        }
        m_state = State::completed;
        finished = std::move(m_transfer); // released after the lock: it points back at this session
        post(std::move(m_keepAlive), [o = std::move(outcome)](HttpSessionDelegate& d) { d.didComplete(o); });
    }

    std::chrono::milliseconds resourceTimeout() const { return m_configuration.resourceTimeout; }

private:
    enum class State { idle, running, completed, invalidated };

    template <typename F>
    void post(std::shared_ptr<HttpSessionDelegate> delegate, F&& call)
    {
        if (!delegate) {
            return;
        }
        asio::post(m_strand, [delegate = std::move(delegate), call = std::forward<F>(call)] { call(*delegate); });
    }

    std::shared_ptr<Engine> m_engine;
    HttpSessionConfiguration m_configuration;
    std::mutex m_mutex;
    State m_state = State::idle;
    std::weak_ptr<HttpSessionDelegate> m_delegate;
    std::shared_ptr<HttpSessionDelegate> m_keepAlive; // while a task runs
    std::shared_ptr<Transfer> m_transfer;
    asio::strand<asio::thread_pool::executor_type> m_strand;
};

// Returning anything but the size given makes libcurl abort the transfer.
constexpr size_t abortTransfer = 0;

size_t writeBody(char* data, size_t size, size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    // libcurl hands over decoded bytes: a small compressed body may inflate without bound.
    transfer->decodedBytes += size * count;
    if (transfer->decodedBytes > transfer->maximumReplyBytes) {
        transfer->refusal = transport_error::make(transport_error::replyTooLarge);
        return abortTransfer;
    }
    if (!transfer->responseDelivered) {
        long status = 0;
        transfer->curl->easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
        transfer->responseDelivered = true;
        if (!transfer->session->deliverResponse(
                transfer, HttpResponse{static_cast<int>(status), std::move(transfer->responseHeaders)})) {
            return abortTransfer; // cancelled
        }
    }
    return transfer->session->deliverData(transfer, std::string(data, size * count)) ? size * count : abortTransfer;
}

// Counts the body bytes as they arrive on the wire, before any decoding.
int watchProgress(void* context, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<Transfer*>(context);
    if (received > 0 && static_cast<std::size_t>(received) > transfer->maximumReplyBytes) {
        transfer->refusal = transport_error::make(transport_error::replyTooLarge);
        return 1;
    }
    return 0;
}

bool isRedirect(long status)
{
    return status >= 300 && status < 400;
}

size_t collectHeader(char* data, size_t size, size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    transfer->headerBytes += size * count;
    if (transfer->headerBytes > CurlHttpTransport::maximumHeaderBytes) {
        transfer->refusal = transport_error::make(transport_error::replyTooLarge, "the headers alone are too large");
        return abortTransfer;
    }
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (line.empty()) {
        // The end of a header block. A redirect is not followed: the request would go, body and all, to an
        // address the caller never chose.
        long status = 0;
        transfer->curl->easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
        if (isRedirect(status)) {
            transfer->refusal = transport_error::make(transport_error::redirected, "HTTP " + std::to_string(status));
            return abortTransfer;
        }
    } else if (line.starts_with("HTTP/")) {
        transfer->responseHeaders.clear(); // a new block: after an interim reply
    } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
        auto value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
            value.remove_prefix(1);
        }
        transfer->responseHeaders.emplace_back(std::string(line.substr(0, colon)), std::string(value));
    }
    return size * count;
}

long wholeSecondsAtLeastOne(std::chrono::milliseconds duration)
{
    auto seconds = (duration.count() + 999) / 1000;
    return static_cast<long>(std::max<std::chrono::milliseconds::rep>(1, seconds));
}

} // namespace

void CurlHttpTransport::Engine::begin(const std::shared_ptr<Transfer>& transfer)
{
    auto& request = transfer->request;
    auto resource = transfer->resourceTimeout;
    auto idle = request.timeout;
    if (m_options.maximumResourceTimeout) {
        resource = std::min(resource, *m_options.maximumResourceTimeout);
    }
    if (m_options.maximumIdleTimeout) {
        idle = std::min(idle, *m_options.maximumIdleTimeout);
    }

    CURL* easy = m_curl->easy_init();
    if (easy == nullptr) {
        transfer->session->deliverCompletion(transfer.get(), transport_error::make(transport_error::unknown));
        return;
    }
    transfer->curl = m_curl;
    transfer->easy = easy;
    m_curl->easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    m_curl->easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    m_curl->easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer->errorBuffer);
    m_curl->easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    m_curl->easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    m_curl->easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    m_curl->easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    m_curl->easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    m_curl->easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    transfer->maximumReplyBytes = m_options.maximumReplyBytes;
    // A declared length over the cap fails before the body is read; the counters below catch the rest.
    m_curl->easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_options.maximumReplyBytes));
    m_curl->easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    m_curl->easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, watchProgress);
    m_curl->easy_setopt(easy, CURLOPT_XFERINFODATA, transfer.get());
    m_curl->easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(resource.count()));
    m_curl->easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(resource, idle).count()));
    // Idle time-out: fail when less than one byte per second moved for that long.
    m_curl->easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    m_curl->easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, wholeSecondsAtLeastOne(idle));
    m_curl->easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBody);
    m_curl->easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
    m_curl->easy_setopt(easy, CURLOPT_HEADERFUNCTION, collectHeader);
    m_curl->easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());

    if (request.method == "GET") {
        m_curl->easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    } else if (request.method == "HEAD") {
        m_curl->easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else {
        if (request.method != "POST") {
            m_curl->easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        }
        m_curl->easy_setopt(easy, CURLOPT_POST, 1L);
        m_curl->easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        m_curl->easy_setopt(easy, CURLOPT_POSTFIELDS, request.body.data());
    }
    for (const auto& [field, value] : request.headers) {
        transfer->headerList = m_curl->slist_append(transfer->headerList, (field + ": " + value).c_str());
    }
    // No "Expect: 100-continue" round trip before large bodies.
    transfer->headerList = m_curl->slist_append(transfer->headerList, "Expect:");
    m_curl->easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headerList);

    if (m_curl->multi_add_handle(m_multi, easy) != CURLM_OK) {
        transfer->session->deliverCompletion(transfer.get(), transport_error::make(transport_error::unknown));
        return;
    }
    m_active.emplace(easy, transfer);
}

void CurlHttpTransport::Engine::finish(CURL* easy, CURLcode result)
{
    auto it = m_active.find(easy);
    if (it == m_active.end()) {
        return;
    }
    auto transfer = it->second;
    drop(easy);
    if (result != CURLE_OK && transfer->refusal) {
        transfer->session->deliverCompletion(transfer.get(), std::move(*transfer->refusal));
        return;
    }
    if (result != CURLE_OK) {
        transfer->session->deliverCompletion(transfer.get(), errorFor(*m_curl, result, transfer->errorBuffer));
        return;
    }
    if (!transfer->responseDelivered) { // a reply without a body
        long status = 0;
        m_curl->easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        transfer->responseDelivered = true;
        transfer->session->deliverResponse(
            transfer.get(), HttpResponse{static_cast<int>(status), std::move(transfer->responseHeaders)});
    }
    transfer->session->deliverCompletion(transfer.get(), {});
}

void CurlHttpTransport::Engine::drop(CURL* easy)
{
    m_curl->multi_remove_handle(m_multi, easy);
    m_active.erase(easy);
}

void CurlHttpTransport::Engine::run()
{
    for (;;) {
        std::vector<std::shared_ptr<Transfer>> toAdd;
        std::vector<std::shared_ptr<Transfer>> toRemove;
        bool stopping = false;
        {
            std::lock_guard lock(m_mutex);
            toAdd.swap(m_toAdd);
            toRemove.swap(m_toRemove);
            stopping = m_stopping;
        }
        if (stopping) {
            for (auto& transfer : toAdd) {
                transfer->session->deliverCompletion(transfer.get(), transport_error::make(transport_error::shutDown));
            }
            break;
        }
        for (auto& transfer : toAdd) {
            if (transfer->session->owns(transfer.get())) { // not cancelled before it got here
                begin(transfer);
            }
        }
        for (auto& transfer : toRemove) {
            if (transfer->easy != nullptr && m_active.contains(transfer->easy)) {
                drop(transfer->easy);
            }
        }

        int running = 0;
        m_curl->multi_perform(m_multi, &running);
        int queued = 0;
        while (CURLMsg* message = m_curl->multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                CURL* easy = message->easy_handle;
                CURLcode result = message->data.result;
                finish(easy, result);
            }
        }
        m_curl->multi_poll(m_multi, nullptr, 0, 1000, nullptr);
    }

    while (!m_active.empty()) {
        auto transfer = m_active.begin()->second;
        drop(transfer->easy);
        transfer->session->deliverCompletion(transfer.get(), transport_error::make(transport_error::shutDown));
    }
}

CurlHttpTransport::CurlHttpTransport() : CurlHttpTransport(Options{}) {}

CurlHttpTransport::CurlHttpTransport(Options options) : m_engine(std::make_shared<Engine>(std::move(options))) {}

CurlHttpTransport::~CurlHttpTransport()
{
    m_engine->shutdown();
}

std::shared_ptr<HttpSession> CurlHttpTransport::makeSession(const HttpSessionConfiguration& configuration,
                                                            std::weak_ptr<HttpSessionDelegate> delegate)
{
    return std::make_shared<CurlSession>(m_engine, configuration, std::move(delegate));
}

} // namespace orvendel
