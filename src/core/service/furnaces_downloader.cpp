#include "core/service/furnaces_downloader.hpp"

#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel {

FurnacesDownloader::FurnacesDownloader(std::shared_ptr<FurnacesDownloaderRequestParameters> requestParameters,
                                       RequestConfigurationPtr requestConfiguration,
                                       std::shared_ptr<HttpTransport> transport)
    : Downloader(requestParameters, std::move(requestConfiguration), std::move(transport)),
      m_parameters(std::move(requestParameters))
{}

void FurnacesDownloader::start()
{
    if (isDownloading()) {
        return;
    }
    sendJSON(wire::encode(wire::FurnacesRequestBody{commonData()}));
}

void FurnacesDownloader::processReceivedData()
{
    auto result = decodeReceivedData<wire::FurnacesDownloaderResult>(nullptr);
    if (!result) {
        return;
    }
    if (auto delegate = m_delegate.lock()) {
        delegate->didFinishDownloading(self(), *result, m_parameters, requestConfiguration());
    }
}

void FurnacesDownloader::failWithResultInformation(const ResultInformation& resultInformation)
{
    if (auto delegate = m_delegate.lock()) {
        delegate->didFailDownloading(self(), resultInformation, m_parameters, requestConfiguration());
    }
}

} // namespace orvendel
