#include "core/service/delays_downloader.hpp"

#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel {

DelaysDownloader::DelaysDownloader(std::shared_ptr<DelaysDownloaderRequestParameters> requestParameters,
                                   RequestConfigurationPtr requestConfiguration,
                                   std::shared_ptr<HttpTransport> transport)
    : Downloader(requestParameters, std::move(requestConfiguration), std::move(transport)),
      m_parameters(std::move(requestParameters))
{}

void DelaysDownloader::start()
{
    if (isDownloading()) {
        return;
    }
    if (!requestConfiguration()->furnaceId) {
        return; // nothing to ask for without a furnace
    }
    sendJSON(wire::encode(wire::DelaysRequestBody{
        commonData(), wire::DelaysParameters{m_parameters->requestDate, m_parameters->ignoreRequestDate}}));
}

void DelaysDownloader::processReceivedData()
{
    auto result = decodeReceivedData<wire::DelaysDownloaderResult>(
        [](const wire::DecodeError& error) { log(fmt::format("Error - {} - {}", error.description, error.code)); });
    if (!result) {
        return;
    }
    if (auto delegate = m_delegate.lock()) {
        delegate->didFinishDownloading(self(), *result, m_parameters, requestConfiguration());
    }
}

void DelaysDownloader::failWithResultInformation(const ResultInformation& resultInformation)
{
    if (auto delegate = m_delegate.lock()) {
        delegate->didFailDownloading(self(), resultInformation, m_parameters, requestConfiguration());
    }
}

} // namespace orvendel
