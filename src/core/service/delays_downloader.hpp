#pragma once

#include "core/service/downloader.hpp"
#include "core/service/weak_delegate.hpp"

namespace orvendel {

class DelaysDownloader;

// Hears how a DelaysDownloader ended. Calls run on the request's background strand.
class DelaysDownloaderDelegate {
public:
    virtual ~DelaysDownloaderDelegate() = default;
    // A reply was decoded; whether it reports success is the delegate's to judge.
    virtual void didFinishDownloading(const std::shared_ptr<DelaysDownloader>& downloader,
                                      const wire::DelaysDownloaderResult& result,
                                      const std::shared_ptr<DelaysDownloaderRequestParameters>& requestParameters,
                                      const RequestConfigurationPtr& requestConfiguration) = 0;
    // No reply; `resultInformation.error` says why.
    virtual void didFailDownloading(const std::shared_ptr<DelaysDownloader>& downloader,
                                    const ResultInformation& resultInformation,
                                    const std::shared_ptr<DelaysDownloaderRequestParameters>& requestParameters,
                                    const RequestConfigurationPtr& requestConfiguration) = 0;
};

// Downloads the heats of the last 24 hours of the configured furnace with their delays ("Last24HoursDelays").
// Thread contract: as Downloader.
class DelaysDownloader final : public Downloader {
public:
    DelaysDownloader(std::shared_ptr<DelaysDownloaderRequestParameters> requestParameters,
                     RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport = nullptr);

    void setDelegate(std::weak_ptr<DelaysDownloaderDelegate> delegate) { m_delegate.set(std::move(delegate)); }
    std::shared_ptr<DelaysDownloaderDelegate> delegate() const { return m_delegate.lock(); }

    void start() override;

protected:
    void processReceivedData() override;
    void failWithResultInformation(const ResultInformation& resultInformation) override;

private:
    std::shared_ptr<DelaysDownloader> self() { return std::static_pointer_cast<DelaysDownloader>(shared_from_this()); }

    std::shared_ptr<DelaysDownloaderRequestParameters> m_parameters;
    WeakDelegate<DelaysDownloaderDelegate> m_delegate;
};

} // namespace orvendel
