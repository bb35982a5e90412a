#pragma once

#include "core/service/downloader.hpp"
#include "core/service/weak_delegate.hpp"

namespace orvendel {

class ReasonsDownloader;

// Hears how a ReasonsDownloader ended. Calls run on the request's background strand.
class ReasonsDownloaderDelegate {
public:
    virtual ~ReasonsDownloaderDelegate() = default;
    // A reply was decoded; whether it reports success is the delegate's to judge.
    virtual void didFinishDownloading(const std::shared_ptr<ReasonsDownloader>& downloader,
                                      const wire::ReasonsDownloaderResult& result,
                                      const std::shared_ptr<ReasonsDownloaderRequestParameters>& requestParameters,
                                      const RequestConfigurationPtr& requestConfiguration) = 0;
    // No reply; `resultInformation.error` says why.
    virtual void didFailDownloading(const std::shared_ptr<ReasonsDownloader>& downloader,
                                    const ResultInformation& resultInformation,
                                    const std::shared_ptr<ReasonsDownloaderRequestParameters>& requestParameters,
                                    const RequestConfigurationPtr& requestConfiguration) = 0;
};

// Downloads the reason tree of the configured furnace ("ReasonsList").
// Thread contract: as Downloader.
class ReasonsDownloader final : public Downloader {
public:
    ReasonsDownloader(std::shared_ptr<ReasonsDownloaderRequestParameters> requestParameters,
                      RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport = nullptr);

    void setDelegate(std::weak_ptr<ReasonsDownloaderDelegate> delegate) { m_delegate.set(std::move(delegate)); }
    std::shared_ptr<ReasonsDownloaderDelegate> delegate() const { return m_delegate.lock(); }

    void start() override;

protected:
    void processReceivedData() override;
    void failWithResultInformation(const ResultInformation& resultInformation) override;

private:
    std::shared_ptr<ReasonsDownloader> self()
    {
        return std::static_pointer_cast<ReasonsDownloader>(shared_from_this());
    }

    std::shared_ptr<ReasonsDownloaderRequestParameters> m_parameters;
    WeakDelegate<ReasonsDownloaderDelegate> m_delegate;
};

} // namespace orvendel
