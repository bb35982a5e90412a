#include "core/service/save_delays.hpp"

#include "core/service/wire/delay_conversion.hpp"
#include "core/support/log.hpp"

#include <fmt/format.h>

namespace orvendel {

SaveDelays::SaveDelays(std::shared_ptr<SaveDelaysRequestParameters> requestParameters,
                       RequestConfigurationPtr requestConfiguration, std::shared_ptr<HttpTransport> transport)
    : Downloader(requestParameters, std::move(requestConfiguration), std::move(transport)),
      m_parameters(std::move(requestParameters))
{}

void SaveDelays::start()
{
    if (isDownloading()) {
        return;
    }
    if (!requestConfiguration()->furnaceId) {
        return; // nothing to ask for without a furnace
    }
    sendJSON(wire::encode(
        wire::SaveDelaysRequestBody{commonData(), wire::saveParameters(m_parameters->heatId, m_parameters->delays)}));
}

void SaveDelays::processReceivedData()
{
    auto result =
        decodeReceivedData<wire::SaveDelaysResult>([](const wire::DecodeError& error) { log(decodeErrorText(error)); });
    if (!result) {
        return;
    }
    if (auto delegate = m_delegate.lock()) {
        delegate->didFinishDownloading(self(), *result, m_parameters, requestConfiguration());
    }
}

void SaveDelays::failWithResultInformation(const ResultInformation& resultInformation)
{
    if (auto delegate = m_delegate.lock()) {
        delegate->didFailDownloading(self(), resultInformation, m_parameters, requestConfiguration());
    }
}

} // namespace orvendel
