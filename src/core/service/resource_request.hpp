#pragma once

#include "core/service/download_manager_log.hpp"
#include "core/service/downloader.hpp"
#include "core/service/request_failures.hpp"
#include "core/support/error.hpp"

#include <functional>
#include <memory>
#include <type_traits>

namespace orvendel {

// The request object of one service resource. `Resource` is an entry of download_resources.hpp: its
// parameter and reply types, its body, and the notifications and texts of its outcome.
// Thread contract: as Downloader; the completion runs on the request's background strand.
template <typename Resource>
class ResourceRequest final : public Downloader {
public:
    using Parameters = typename Resource::Parameters;
    using Reply = typename Resource::Reply;
    // Hears how the request ended, once: the decoded reply, whether or not it reports success, or why there is
    // none. A session invalidated later (cancelled) reports a second time, with 1013.
    using Completion = std::function<void(const std::shared_ptr<ResourceRequest>& request, Result<Reply> outcome)>;

    ResourceRequest(std::shared_ptr<Parameters> requestParameters, RequestConfigurationPtr requestConfiguration,
                    std::shared_ptr<HttpTransport> transport = nullptr, Completion completion = nullptr)
        : Downloader(requestParameters, std::move(requestConfiguration), std::move(transport)),
          m_parameters(std::move(requestParameters)), m_completion(std::move(completion))
    {}

    const std::shared_ptr<Parameters>& parameters() const { return m_parameters; }

    void start() override
    {
        if constexpr (Resource::hasBody) {
            if (isDownloading()) {
                return;
            }
            if (Resource::needsFurnace && !requestConfiguration()->furnaceId) {
                return; // nothing to ask for without a furnace
            }
            sendJSON(Resource::body(*m_parameters, commonData()));
        } else {
            Downloader::start();
        }
    }

    const DownloadResource& resource() const override { return Resource::resource; }
    std::optional<int> heatId() const override { return Resource::heatId(*m_parameters); }
    void postFinished(NotificationCenter& center, const void* sender) const override
    {
        if constexpr (!std::is_void_v<typename Resource::Finished>) {
            center.post(Resource::finished(*m_parameters), sender);
        }
    }
    void postFailed(NotificationCenter& center, const void* sender, Error error) const override
    {
        center.post(Resource::failed(*m_parameters, std::move(error)), sender);
    }
    std::shared_ptr<Downloader> makeRetry(RequestConfigurationPtr configuration) const override
    {
        return std::make_shared<ResourceRequest>(m_parameters, std::move(configuration), transport(), m_completion);
    }

protected:
    void processReceivedData() override
    {
        if (!receivedData()) {
            failWithError(request_failures::emptyReply());
            return;
        }
        auto decoded = wire::decode<Reply>(*receivedData());
        if (!decoded) {
            Resource::logDecodeError(decoded.error());
            failWithError(request_failures::decodeFailure());
            return;
        }
        if constexpr (Resource::ownFinishedLine != nullptr) {
            logDownloadManager(Resource::ownFinishedLine);
        }
        complete(std::move(decoded));
    }

    void failWithError(const Error& error) override
    {
        if constexpr (Resource::ownFailedLine != nullptr) {
            logDownloadManager(Resource::ownFailedLine);
        }
        complete(error);
    }

private:
    void complete(Result<Reply> outcome)
    {
        if (m_completion) {
            m_completion(std::static_pointer_cast<ResourceRequest>(shared_from_this()), std::move(outcome));
        }
    }

    std::shared_ptr<Parameters> m_parameters;
    const Completion m_completion;
};

} // namespace orvendel
