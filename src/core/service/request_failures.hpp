#pragma once

#include "core/model/result_information.hpp"

namespace orvendel::request_failures {

// The program's own failures of a request object ("ORVError").
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

} // namespace orvendel::request_failures
