#pragma once

#include "core/service/downloader.hpp"
#include "core/service/weak_delegate.hpp"

namespace orvendel {

class SaveDelays;

// Hears how a SaveDelays ended. Calls run on the request's background strand.
class SaveDelaysDelegate {
public:
    virtual ~SaveDelaysDelegate() = default;
    // A reply was decoded; whether it reports success is the delegate's to judge.
    virtual void didFinishDownloading(const std::shared_ptr<SaveDelays>& downloader,
                                      const wire::SaveDelaysResult& result,
                                      const std::shared_ptr<SaveDelaysRequestParameters>& requestParameters,
                                      const RequestConfigurationPtr& requestConfiguration) = 0;
    // No reply; `resultInformation.error` says why.
    virtual void didFailDownloading(const std::shared_ptr<SaveDelays>& downloader,
                                    const ResultInformation& resultInformation,
                                    const std::shared_ptr<SaveDelaysRequestParameters>& requestParameters,
                                    const RequestConfigurationPtr& requestConfiguration) = 0;
};

// Sends the edited delays of one heat ("SaveDelays"), each marked edited, dates in the delay's own zone.
// Thread contract: as Downloader.
class SaveDelays final : public Downloader {
public:
    SaveDelays(std::shared_ptr<SaveDelaysRequestParameters> requestParameters,
               RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport = nullptr);

    void setDelegate(std::weak_ptr<SaveDelaysDelegate> delegate) { m_delegate.set(std::move(delegate)); }
    std::shared_ptr<SaveDelaysDelegate> delegate() const { return m_delegate.lock(); }

    void start() override;

protected:
    void processReceivedData() override;
    void failWithResultInformation(const ResultInformation& resultInformation) override;

private:
    std::shared_ptr<SaveDelays> self() { return std::static_pointer_cast<SaveDelays>(shared_from_this()); }

    std::shared_ptr<SaveDelaysRequestParameters> m_parameters;
    WeakDelegate<SaveDelaysDelegate> m_delegate;
};

} // namespace orvendel
