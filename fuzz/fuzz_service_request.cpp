#include "fuzz_support.hpp"

#include "delay-service/json_limits.hpp"
#include "delay-service/plant_store.hpp"
#include "delay-service/request_framer.hpp"
#include "delay-service/resources.hpp"
#include "delay-service/service_errors.hpp"
#include "delay-service/service_stats.hpp"
#include "delay-service/session_store.hpp"
#include "delay-service/sign_in_throttle.hpp"
#include "delay-service/sqlite_db.hpp"
#include "delay-service/user_store.hpp"

#include "core/service/wire/messages.hpp"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>
#include <string>
#include <unordered_set>
#include <vector>

// The reference service's side of one connection: the input is everything a client sent on it. Requests are
// cut from it the way the connection gate and the worker do it (pipelined ones too), and each whole POST to
// a resource is answered by the resources against a demo plant in an in-memory database, which is put back
// after any input that changed it. Beyond "never crash":
// - the framing of a request does not depend on how its bytes arrive: a part refused is refused whole, and a
//   part found complete is the same request whole;
// - the gate and the worker frame the same request;
// - every answer is a reply the client decodes, and none reports the service's own failure.
namespace {

using namespace orvendel;
using namespace orvendel::delay_service;
using State = FramedRequest::State;

// The plant and its clock are fixed, so a request that names a heat or a delay (or its version) of this
// plant in the corpus stays meaningful across runs.
constexpr int64_t plantNow = 1709294400; // 2024-03-01T12:00:00Z
constexpr uint64_t plantSeed = 20190307;
constexpr int delaysPerHeat = 4; // the fewest the service offers: the readers answer with less to encode
const TimeZone plantZone{-6 * 3600};

// Bodies carry this session identifier (the one of the wire samples); it is swapped for the live session of
// its user, which no input could guess.
constexpr std::string_view sessionPlaceholder = "5f0c9a7e-3b1d-4c2a-9e8f-71d2a4b6c013";
constexpr const char* sessionUser = "JMARTINEZ";

// Small enough for mutations to reach every limit; the served requests are held to the service's own.
constexpr RequestLimits tightLimits{256, 6, 512};

struct Service {
    Database db;
    PlantStore plant{db};
    UserStore users{db};
    SessionStore sessions{std::chrono::hours(1), [] { return std::chrono::steady_clock::time_point{}; }};
    SignInThrottle throttle{5, 20, std::chrono::seconds(60), [] { return std::chrono::steady_clock::time_point{}; }};
    ServiceStats stats;
    DelayResources resources{plant, users, sessions, throttle, stats, plantZone, [] { return plantNow; }};
    std::string token;
    std::vector<unsigned char> pristine; // the database as made, for putting it back
    int64_t changesWhenPristine = 0;

    bool open()
    {
        if (!db.open(":memory:") || !plant.open(plantSeed, plantNow, delaysPerHeat) || !users.open()) {
            return false;
        }
        auto session = sessions.create(sessionUser);
        if (!session) {
            return false;
        }
        token = *session;
        sqlite3_int64 size = 0;
        unsigned char* bytes = sqlite3_serialize(db.handle(), "main", &size, 0);
        if (bytes == nullptr) {
            return false;
        }
        pristine.assign(bytes, bytes + size);
        sqlite3_free(bytes);
        changesWhenPristine = sqlite3_total_changes64(db.handle());
        return true;
    }

    // Saves are the only writes; most inputs leave the database alone and cost nothing here.
    void restore()
    {
        if (sqlite3_total_changes64(db.handle()) == changesWhenPristine) {
            return;
        }
        auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(pristine.size()));
        fuzz::require(copy != nullptr, "no memory for the database copy");
        std::memcpy(copy, pristine.data(), pristine.size());
        const auto size = static_cast<sqlite3_int64>(pristine.size());
        fuzz::require(sqlite3_deserialize(db.handle(), "main", copy, size, size,
                                          SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) == SQLITE_OK,
                      "the database could not be put back");
        changesWhenPristine = sqlite3_total_changes64(db.handle());
    }
};

Service* s_service = nullptr;

void requireConsistent(const FramedRequest& framed, std::size_t available)
{
    fuzz::require(framed.state == State::incomplete || !framed.awaitsContinue,
                  "a request asks for its body when it is not waiting for it");
    switch (framed.state) {
    case State::complete:
        fuzz::require(framed.length > 0 && framed.length <= available && framed.status == 0,
                      "a complete request outside the bytes given");
        break;
    case State::refused:
        fuzz::require(framed.status == 400 || framed.status == 413 || framed.status == 431,
                      "a refusal with an unexpected status");
        break;
    case State::incomplete:
        fuzz::require(framed.length == 0 && framed.status == 0, "an incomplete request with a length or status");
        break;
    }
}

// The gate frames again after every read, so any prefix of the bytes may be framed on some connection. The
// framer decides at line ends, so the prefixes that end just before and just after each "\r" are framed,
// and a few in between.
void requireArrivalIrrelevant(std::string_view bytes, const RequestLimits& limits)
{
    const auto whole = frameRequest(bytes, limits);
    requireConsistent(whole, bytes.size());
    auto frameCut = [&](std::size_t cut) {
        const auto part = frameRequest(bytes.substr(0, cut), limits);
        requireConsistent(part, cut);
        if (part.state == State::refused) {
            fuzz::require(whole.state == State::refused && whole.status == part.status,
                          "a request refused in part is not refused alike whole");
        } else if (part.state == State::complete) {
            fuzz::require(whole.state == State::complete && whole.length == part.length,
                          "a request complete in part is another request whole");
        }
    };
    constexpr int lineEnds = 64;
    int framed = 0;
    for (auto at = bytes.find('\r'); at != std::string_view::npos && framed < lineEnds; at = bytes.find('\r', at + 1)) {
        frameCut(at);
        frameCut(at + 1);
        ++framed;
    }
    const std::size_t step = std::max<std::size_t>(1, bytes.size() / 16);
    for (std::size_t cut = 0; cut < bytes.size(); cut += step) {
        frameCut(cut);
    }
    if (whole.state == State::complete) {
        frameCut(whole.length - 1);
    }
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return lower(a) == lower(b); });
}

struct Request {
    std::string_view method;
    std::string_view path;
    std::string body;
};

// What the HTTP library reads from a framed request: the request line and the body, chunks joined.
Request readRequest(std::string_view framed)
{
    Request request;
    const auto headEnd = framed.find("\r\n\r\n");
    fuzz::require(headEnd != std::string_view::npos, "a framed request without a head");
    const std::string_view head = framed.substr(0, headEnd + 2);
    const std::string_view line = head.substr(0, head.find("\r\n"));
    request.method = line.substr(0, line.find(' '));
    if (request.method.size() < line.size()) {
        const std::string_view target = line.substr(request.method.size() + 1);
        request.path = target.substr(0, std::min(target.find(' '), target.find('?')));
    }
    bool chunked = false;
    for (auto at = head.find("\r\n"); at != std::string_view::npos; at = head.find("\r\n", at + 2)) {
        chunked = chunked || startsWithIgnoringCase(head.substr(at + 2), "transfer-encoding:");
    }
    std::string_view body = framed.substr(headEnd + 4);
    if (!chunked) {
        request.body = body;
        return request;
    }
    while (true) {
        const auto end = body.find("\r\n");
        fuzz::require(end != std::string_view::npos, "a framed chunked body without a chunk size line");
        std::string_view sizeText = body.substr(0, std::min(end, body.find(';')));
        while (!sizeText.empty() && (sizeText.front() == ' ' || sizeText.front() == '\t')) {
            sizeText.remove_prefix(1);
        }
        while (!sizeText.empty() && (sizeText.back() == ' ' || sizeText.back() == '\t')) {
            sizeText.remove_suffix(1);
        }
        std::size_t size = 0;
        const auto [ptr, ec] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size, 16);
        fuzz::require(ec == std::errc{} && ptr == sizeText.data() + sizeText.size(),
                      "a framed chunked body with an unreadable chunk size");
        body.remove_prefix(end + 2);
        if (size == 0) {
            return request;
        }
        fuzz::require(body.size() >= size + 2 && body.substr(size, 2) == "\r\n", "a framed chunk cut short");
        request.body += body.substr(0, size);
        body.remove_prefix(size + 2);
    }
}

template <typename Reply>
void requireReadable(const ResourceReply& reply)
{
    // The readers answer from the plant, with the same long texts again and again; each is decoded once.
    static std::unordered_set<std::size_t> longAnswersRead;
    if (reply.body.size() > 2048 && !longAnswersRead.insert(std::hash<std::string>{}(reply.body)).second) {
        return;
    }
    const auto decoded = wire::decode<Reply>(reply.body);
    fuzz::require(decoded.hasValue(), "an answer the client cannot decode");
    const auto& information = decoded->resultInformation;
    fuzz::require(information.success == (reply.errorCode == 0), "an answer whose success and error code disagree");
    fuzz::require(reply.errorCode == 0 || (information.error && information.error->code == reply.errorCode),
                  "an answer that carries another error code than it logs");
    fuzz::require(reply.errorCode != error_code::internalFailure, "the service failed on a request");
}

void answer(const Request& request)
{
    constexpr std::string_view servicePath = "/DelaysApi/Delays/";
    // Other methods and paths are refused by the HTTP layer before any resource sees them.
    if (request.method != "POST" || !request.path.starts_with(servicePath)) {
        return;
    }
    const std::string resource(request.path.substr(servicePath.size()));
    if (!DelayResources::isResource(resource)) {
        return;
    }
    std::string body = request.body;
    for (auto at = body.find(sessionPlaceholder); at != std::string::npos;
         at = body.find(sessionPlaceholder, at + s_service->token.size())) {
        body.replace(at, sessionPlaceholder.size(), s_service->token);
    }
    // A sign-in that gets as far as being judged hashes the password, slowly on purpose, which would bring the
    // run to a crawl; only the refusals before that are served.
    if (resource == "Authenticate" && withinNestingLimit(body) && wire::decode<wire::LoginRequestBody>(body)) {
        return;
    }
    ResourceReply reply;
    try {
        reply = s_service->resources.handle(resource, body, "192.0.2.7");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", resource.c_str(), error.what());
        fuzz::require(false, "a resource threw");
    }
    if (resource == "Authenticate") {
        requireReadable<wire::LoginRequestResult>(reply);
    } else if (resource == "FurnacesList") {
        requireReadable<wire::FurnacesDownloaderResult>(reply);
    } else if (resource == "ReasonsList") {
        requireReadable<wire::ReasonsDownloaderResult>(reply);
    } else if (resource == "Last24HoursDelays") {
        requireReadable<wire::DelaysDownloaderResult>(reply);
    } else if (resource == "SaveDelays") {
        requireReadable<wire::SaveDelaysResult>(reply);
    } else {
        requireReadable<wire::UpdatedDelaysDownloaderResult>(reply);
    }
}

// The gate waits until the first request is whole, then a worker strips the blank lines before it, frames it
// again and has it answered; what follows waits for the next turn.
void serveConnection(std::string unread)
{
    const RequestLimits limits;
    while (true) {
        const auto atGate = frameRequest(unread, limits);
        requireConsistent(atGate, unread.size());
        if (atGate.state != State::complete) {
            return;
        }
        std::size_t blank = 0;
        while (unread.compare(blank, 2, "\r\n") == 0) {
            blank += 2;
        }
        unread.erase(0, blank);
        const auto atWorker = frameRequest(unread, limits);
        fuzz::require(atWorker.state == State::complete && atWorker.length + blank == atGate.length,
                      "the gate and the worker frame different requests");
        answer(readRequest(std::string_view(unread).substr(0, atWorker.length)));
        unread.erase(0, atWorker.length);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::silenceLog();
    s_service = new Service;
    fuzz::require(s_service->open(), "the demo plant could not be made");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto bytes = fuzz::text(data, size);
    requireArrivalIrrelevant(bytes, tightLimits);
    serveConnection(std::string(bytes));
    s_service->restore();
    return 0;
}
