#include "core/service/reasons_downloader.hpp"

#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel {

ReasonsDownloader::ReasonsDownloader(std::shared_ptr<ReasonsDownloaderRequestParameters> requestParameters,
                                     RequestConfigurationPtr requestConfiguration,
                                     std::shared_ptr<HttpTransport> transport)
    : Downloader(requestParameters, std::move(requestConfiguration), std::move(transport)),
      m_parameters(std::move(requestParameters))
{}

void ReasonsDownloader::start()
{
    if (isDownloading()) {
        return;
    }
    if (!requestConfiguration()->furnaceId) {
        return; // nothing to ask for without a furnace
    }
    sendJSON(wire::encode(wire::ReasonsRequestBody{commonData()}));
}

void ReasonsDownloader::processReceivedData()
{
    auto result = decodeReceivedData<wire::ReasonsDownloaderResult>(
        [](const wire::DecodeError& error) { log(error.description); });
    if (!result) {
        return;
    }
    if (auto delegate = m_delegate.lock()) {
        delegate->didFinishDownloading(self(), *result, m_parameters, requestConfiguration());
    }
}

void ReasonsDownloader::failWithResultInformation(const ResultInformation& resultInformation)
{
    if (auto delegate = m_delegate.lock()) {
        delegate->didFailDownloading(self(), resultInformation, m_parameters, requestConfiguration());
    }
}

} // namespace orvendel
