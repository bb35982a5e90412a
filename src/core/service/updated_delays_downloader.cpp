#include "core/service/updated_delays_downloader.hpp"

#include "core/service/download_manager_log.hpp"
#include "core/support/log.hpp"

namespace orvendel {

UpdatedDelaysDownloader::UpdatedDelaysDownloader(
    std::shared_ptr<UpdatedDelaysDownloaderRequestParameters> requestParameters,
    RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport)
    : Downloader(requestParameters, std::move(requestConfiguration), std::move(transport)),
      m_parameters(std::move(requestParameters))
{}

void UpdatedDelaysDownloader::processReceivedData()
{
    // A failed decode reports through failWithResultInformation, which writes the failure line.
    auto result = decodeReceivedData<wire::UpdatedDelaysDownloaderResult>(
        [](const wire::DecodeError& error) { log(decodeErrorText(error)); });
    if (!result) {
        return;
    }
    logDownloadManager("Finished Downloading Updated Delays");
    if (auto delegate = m_delegate.lock()) {
        delegate->didFinishDownloading(self(), *result, m_parameters, requestConfiguration());
    }
}

void UpdatedDelaysDownloader::failWithResultInformation(const ResultInformation& resultInformation)
{
    logDownloadManager("Failed Downloading Updated Delays");
    if (auto delegate = m_delegate.lock()) {
        delegate->didFailDownloading(self(), resultInformation, m_parameters, requestConfiguration());
    }
}

} // namespace orvendel
