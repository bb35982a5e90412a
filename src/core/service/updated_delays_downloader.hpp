#pragma once

#include "core/service/downloader.hpp"
#include "core/service/weak_delegate.hpp"

namespace orvendel {

class UpdatedDelaysDownloader;

// Hears how an UpdatedDelaysDownloader ended. Calls run on the request's background strand.
class UpdatedDelaysDownloaderDelegate {
public:
    virtual ~UpdatedDelaysDownloaderDelegate() = default;
    virtual void
    didFinishDownloading(const std::shared_ptr<UpdatedDelaysDownloader>& downloader,
                         const wire::UpdatedDelaysDownloaderResult& result,
                         const std::shared_ptr<UpdatedDelaysDownloaderRequestParameters>& requestParameters,
                         const RequestConfigurationPtr& requestConfiguration) = 0;
    virtual void didFailDownloading(const std::shared_ptr<UpdatedDelaysDownloader>& downloader,
                                    const ResultInformation& resultInformation,
                                    const std::shared_ptr<UpdatedDelaysDownloaderRequestParameters>& requestParameters,
                                    const RequestConfigurationPtr& requestConfiguration) = 0;
};

// Asks the service for the current status of some delays ("UpdatedDelays"). Nothing in the app sends it yet:
// it has no body of its own, so `start` sends the bare request. Thread contract: as Downloader.
class UpdatedDelaysDownloader final : public Downloader {
public:
    UpdatedDelaysDownloader(std::shared_ptr<UpdatedDelaysDownloaderRequestParameters> requestParameters,
                            RequestConfigurationPtr requestConfiguration,
                            std::shared_ptr<HttpTransport> transport = nullptr);

    void setDelegate(std::weak_ptr<UpdatedDelaysDownloaderDelegate> delegate) { m_delegate.set(std::move(delegate)); }
    std::shared_ptr<UpdatedDelaysDownloaderDelegate> delegate() const { return m_delegate.lock(); }

protected:
    void processReceivedData() override;
    void failWithResultInformation(const ResultInformation& resultInformation) override;

private:
    std::shared_ptr<UpdatedDelaysDownloader> self()
    {
        return std::static_pointer_cast<UpdatedDelaysDownloader>(shared_from_this());
    }

    std::shared_ptr<UpdatedDelaysDownloaderRequestParameters> m_parameters;
    WeakDelegate<UpdatedDelaysDownloaderDelegate> m_delegate;
};

} // namespace orvendel
