#pragma once

#include "core/service/downloader.hpp"
#include "core/service/weak_delegate.hpp"

namespace orvendel {

class FurnacesDownloader;

// Hears how a FurnacesDownloader ended. Calls run on the request's background strand.
class FurnacesDownloaderDelegate {
public:
    virtual ~FurnacesDownloaderDelegate() = default;
    // A reply was decoded; whether it reports success is the delegate's to judge.
    virtual void didFinishDownloading(const std::shared_ptr<FurnacesDownloader>& downloader,
                                      const wire::FurnacesDownloaderResult& result,
                                      const std::shared_ptr<FurnacesDownloaderRequestParameters>& requestParameters,
                                      const RequestConfigurationPtr& requestConfiguration) = 0;
    // No reply; `resultInformation.error` says why.
    virtual void didFailDownloading(const std::shared_ptr<FurnacesDownloader>& downloader,
                                    const ResultInformation& resultInformation,
                                    const std::shared_ptr<FurnacesDownloaderRequestParameters>& requestParameters,
                                    const RequestConfigurationPtr& requestConfiguration) = 0;
};

// Downloads the furnace list ("FurnacesList"); sends the furnace id only when the configuration has one.
// Thread contract: as Downloader.
class FurnacesDownloader final : public Downloader {
public:
    FurnacesDownloader(std::shared_ptr<FurnacesDownloaderRequestParameters> requestParameters,
                       RequestConfigurationPtr requestConfiguration,
                       std::shared_ptr<HttpTransport> transport = nullptr);

    void setDelegate(std::weak_ptr<FurnacesDownloaderDelegate> delegate) { m_delegate.set(std::move(delegate)); }
    std::shared_ptr<FurnacesDownloaderDelegate> delegate() const { return m_delegate.lock(); }

    void start() override;

protected:
    void processReceivedData() override;
    void failWithResultInformation(const ResultInformation& resultInformation) override;

private:
    std::shared_ptr<FurnacesDownloader> self()
    {
        return std::static_pointer_cast<FurnacesDownloader>(shared_from_this());
    }

    std::shared_ptr<FurnacesDownloaderRequestParameters> m_parameters;
    WeakDelegate<FurnacesDownloaderDelegate> m_delegate;
};

} // namespace orvendel
