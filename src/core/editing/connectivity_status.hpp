#pragma once

namespace orvendel {

// Whether the service can be reached at all, asked before an automatic save.
// Thread contract: any thread.
class ConnectivityStatus {
public:
    virtual ~ConnectivityStatus() = default;
    virtual bool isInternetAvailable() const = 0;
};

} // namespace orvendel
