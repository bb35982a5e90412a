#include "reply_target.hpp"

ORVENDEL_REPLY_FUZZ_TARGET(SaveDelaysResult)
