#pragma once

#include "resources.hpp"
#include "service_errors.hpp"

#include "core/service/wire/messages.hpp"

#include <string>

// Building reply bodies; internal to the resource handlers.
namespace orvendel::delay_service::detail {

inline std::string withNumber(std::string_view text, int number)
{
    std::string result(text);
    if (auto at = result.find("%d"); at != std::string::npos) {
        result.replace(at, 2, std::to_string(number));
    }
    return result;
}

inline std::string withText(std::string_view text, std::string_view value)
{
    std::string result(text);
    if (auto at = result.find("%s"); at != std::string::npos) {
        result.replace(at, 2, value);
    }
    return result;
}

inline ResultInformation failureInformation(int code, std::string description)
{
    return ResultInformation::make(false, std::nullopt, std::string(server_error::domain), code,
                                   std::move(description));
}

inline ResultInformation successInformation()
{
    return ResultInformation::make(true, std::nullopt, std::nullopt, std::nullopt, std::nullopt);
}

// The last resort when a reply cannot be encoded: a hand-written failure every client can read.
inline std::string internalFailureBody()
{
    return R"({"resultInformation":{"success":false,"errorCode":9,"errorDescription":")" +
           std::string(error_text::internalFailure) + R"("}})";
}

template <typename Reply>
std::string encodeOrFail(const Reply& reply)
{
    auto body = wire::encode(reply);
    return body ? std::move(*body) : internalFailureBody();
}

template <typename Reply>
ResourceReply failureReply(int code, std::string description, std::string user = "-")
{
    Reply reply{};
    reply.resultInformation = failureInformation(code, std::move(description));
    return ResourceReply{encodeOrFail(reply), std::move(user), code};
}

template <typename Reply>
ResourceReply malformedReply(std::string_view resource)
{
    return failureReply<Reply>(error_code::malformedRequest, withText(error_text::malformedRequest, resource));
}

} // namespace orvendel::delay_service::detail
