#include "cli/reply.hpp"

namespace orvendel::cli {

Error cliError(int code, std::string description)
{
    return Error{cli_error::domain, code, std::move(description)};
}

Reply& Reply::fail(int code, std::string description)
{
    std::string message = description;
    return fail(cliError(code, std::move(description)), std::move(message));
}

Reply& Reply::fail(const Error& failure, std::string text)
{
    if (!error) {
        error = failure;
        message = std::move(text);
    }
    return *this;
}

Reply& Reply::add(Alert alert)
{
    if (alert.error && !error) {
        fail(*alert.error, alert.message);
        errorShownAsAlert = true;
    }
    alerts.push_back(std::move(alert));
    return *this;
}

Reply Reply::usage(std::string description)
{
    Reply reply;
    reply.fail(cli_error::usage, std::move(description));
    reply.usageError = true;
    return reply;
}

} // namespace orvendel::cli
