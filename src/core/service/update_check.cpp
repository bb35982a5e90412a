#include "core/service/update_check.hpp"

#include "core/service/service_address.hpp"
#include "core/support/log.hpp"
#include "core/version.hpp"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>

namespace orvendel {
namespace {

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string percentEncoded(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

const std::pair<bool, std::optional<std::string>> noUpdate{false, std::nullopt};

// Collects the store's reply and answers once.
class UpdateCheckRequest final : public HttpSessionDelegate {
public:
    UpdateCheckRequest(std::string identifier, std::string version, update_check::UpdateCheckCompletion completion)
        : m_identifier(std::move(identifier)), m_version(std::move(version)), m_completion(std::move(completion))
    {}

    void keep(std::shared_ptr<HttpSession> session) { m_session = std::move(session); }

    void didReceiveResponse(const HttpResponse&) override {}
    void didReceiveData(std::string_view bytes) override { m_body.append(bytes); }
    void didComplete(const Result<void>& outcome) override
    {
        auto [available, url] =
            !outcome || m_body.empty() ? noUpdate : update_check::newerVersionInReply(m_body, m_identifier, m_version);
        m_session.reset();
        if (auto completion = std::exchange(m_completion, nullptr)) {
            completion(available, std::move(url));
        }
    }
    void didBecomeInvalid(const Result<void>&) override {}

private:
    std::string m_identifier;
    std::string m_version;
    update_check::UpdateCheckCompletion m_completion;
    std::shared_ptr<HttpSession> m_session; // kept until the answer, whatever the transport does with it
    std::string m_body;
};

} // namespace

UpdateCheckSettings UpdateCheckSettings::forBuild(std::optional<std::string> storeSearchURL,
                                                  std::shared_ptr<HttpTransport> transport)
{
    return UpdateCheckSettings{std::move(storeSearchURL), build::applicationVersion, build::applicationIdentifier,
                               std::move(transport)};
}

namespace update_check {

Result<std::string> storeLookupURL(std::string_view base, std::string_view identifier)
{
    if (auto usable = ServiceAddress::checkAddress(base, AddressUse::storeSearch); !usable) {
        return usable.error();
    }
    std::string url(base);
    url += base.find('?') == std::string_view::npos ? "?term=" : "&term=";
    url += percentEncoded(identifier);
    url += "&entity=software";
    return url;
}

std::pair<bool, std::optional<std::string>> newerVersionInReply(std::string_view body, std::string_view identifier,
                                                                std::string_view version)
{
    auto reply = nlohmann::json::parse(body, nullptr, false);
    if (reply.is_discarded() || !reply.is_object()) {
        return noUpdate;
    }
    auto count = reply.find("resultCount");
    if (count == reply.end() || !count->is_number_integer() || count->get<long long>() == 0) {
        return noUpdate;
    }
    auto results = reply.find("results");
    if (results == reply.end() || !results->is_array() ||
        !std::ranges::all_of(*results, [](const auto& entry) { return entry.is_object(); })) {
        return noUpdate;
    }
    for (const auto& entry : *results) {
        auto bundleId = entry.find("bundleId");
        auto storeVersion = entry.find("version");
        auto trackViewUrl = entry.find("trackViewUrl");
        if (bundleId == entry.end() || !bundleId->is_string() ||
            !equalIgnoringCase(bundleId->template get_ref<const std::string&>(), identifier) ||
            storeVersion == entry.end() || !storeVersion->is_string() || trackViewUrl == entry.end() ||
            !trackViewUrl->is_string()) {
            continue;
        }
        // Any difference counts, a lower store version too: the store's is the version to run.
        if (storeVersion->template get_ref<const std::string&>() != version) {
            // The operator's tap hands this address to the desktop, which opens any scheme it knows: only a
            // web page is offered.
            const auto& storeURL = trackViewUrl->template get_ref<const std::string&>();
            if (auto usable = ServiceAddress::checkAddress(storeURL, AddressUse::page); !usable) {
                log("The store's update address is not offered: " + usable.error().description);
                return noUpdate;
            }
            return {true, storeURL};
        }
        return noUpdate;
    }
    return noUpdate;
}

void checkForNewerVersion(const UpdateCheckSettings& settings, UpdateCheckCompletion completion)
{
    if (!settings.storeSearchURL || settings.applicationVersion.empty() || settings.applicationIdentifier.empty()) {
        completion(false, std::nullopt);
        return;
    }
    const auto url = storeLookupURL(*settings.storeSearchURL, settings.applicationIdentifier);
    if (!url) {
        completion(false, std::nullopt);
        return;
    }
    auto request = std::make_shared<UpdateCheckRequest>(settings.applicationIdentifier, settings.applicationVersion,
                                                        std::move(completion));
    auto session = settings.transport->makeSession(HttpSessionConfiguration::ephemeral(), request);
    request->keep(session);
    HttpRequest get;
    get.url = *url;
    if (auto started = session->startTask(std::move(get)); !started) {
        request->didComplete(started);
    }
}

} // namespace update_check
} // namespace orvendel
