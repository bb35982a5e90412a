#include "reply_target.hpp"

#include "core/service/log_redaction.hpp"

#include <nlohmann/json.hpp>

// The sign-in reply is decoded like every reply, and its body is also written to the console with the
// session token hidden: the redaction must hold for any reply the app accepts.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    orvendel::fuzz::silenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvendel;
    const auto decoded = fuzz::decodeReply<wire::LoginRequestResult>(data, size);
    const std::string logged = redactJsonMember(fuzz::text(data, size), "token");
    // A reply nested too deeply to walk is hidden whole.
    if (decoded && decoded->data && logged != "<redacted>") {
        const auto reparsed = nlohmann::json::parse(logged, nullptr, false);
        fuzz::require(reparsed.is_object(), "the redacted sign-in reply is no longer a JSON object");
        const auto data = reparsed.find("data");
        fuzz::require(data != reparsed.end() && data->is_object() && data->contains("token"),
                      "the redacted sign-in reply lost its token member");
        const auto& token = (*data)["token"];
        fuzz::require(token.is_string() && token.get<std::string>() == "<redacted>", "a session token reached the log");
    }
    return 0;
}
