#pragma once

#include "core/model/result_information.hpp"

namespace orvendel::request_failures {

// The program's own failures of a request ("ORVError").
inline Error emptyReply()
{
    return Error{orv_error::domain, orv_error::emptyReply, "Server response contains no data."};
}
inline Error encodeFailure()
{
    return Error{orv_error::domain, orv_error::encodeFailure, "There was a problem encoding data."};
}
inline Error decodeFailure()
{
    return Error{orv_error::domain, orv_error::decodeFailure, "There was a problem decoding data from response."};
}
inline Error cancelled()
{
    return Error{orv_error::domain, orv_error::requestCancelled, "The download request was cancelled."};
}
// A sign-in the service refused without saying why.
inline Error signInRefused()
{
    return Error{orv_error::domain, orv_error::signInRefused, "There was a problem trying to login"};
}
// A session renewal ended without a new session.
inline Error sessionRenewalFailed()
{
    return Error{orv_error::domain, orv_error::sessionRenewalFailed, "There was a problem refreshing your session."};
}

} // namespace orvendel::request_failures
