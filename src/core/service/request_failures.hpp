#pragma once

#include "core/model/error.hpp"

namespace orvendel::request_failures {

// The program's own failures of a request object ("ORVError").
inline ResultInformation emptyReply()
{
    return ResultInformation::orvFailure(orv_error::emptyReply, "Server response contains no data.");
}
inline ResultInformation encodeFailure()
{
    return ResultInformation::orvFailure(orv_error::encodeFailure, "There was a problem encoding data.");
}
inline ResultInformation decodeFailure()
{
    return ResultInformation::orvFailure(orv_error::decodeFailure, "There was a problem decoding data from response.");
}
inline ResultInformation cancelled()
{
    return ResultInformation::orvFailure(orv_error::requestCancelled, "The download request was cancelled.",
                                         "Download Cancelled");
}

} // namespace orvendel::request_failures
