#include "core/flows/context.hpp"

#include "core/editing/edited_delays_manager.hpp"
#include "core/model/utilities.hpp"
#include "core/platform/curl_http_transport.hpp"
#include "core/service/download_manager.hpp"
#include "core/service/login_manager.hpp"
#include "core/storage/database_manager.hpp"
#include "core/storage/user_configuration_manager.hpp"
#include "core/support/clock.hpp"
#include "core/support/notification_center.hpp"

namespace orvendel::flows {

std::shared_ptr<const Context> Context::create(Parts parts)
{
    auto context = std::make_shared<Context>();
    context->serviceURL = parts.serviceURL;
    context->storeSearchURL = std::move(parts.storeSearchURL);
    context->locale = parts.locale ? std::move(*parts.locale) : Utilities::serviceLocale();
    context->notificationCenter =
        parts.notificationCenter ? std::move(parts.notificationCenter) : std::make_shared<NotificationCenter>();
    context->clock = parts.clock ? std::move(parts.clock) : Clock::system();
    context->transport = parts.transport ? std::move(parts.transport) : std::make_shared<CurlHttpTransport>();
    auto supportDirectory = parts.applicationSupportDirectory ? std::move(parts.applicationSupportDirectory)
                                                              : user_folder::platformApplicationSupportDirectory();
    context->configuration =
        std::make_shared<UserConfigurationManager>(UserConfigurationManager::Dependencies{supportDirectory});
    context->database = std::make_shared<DatabaseManager>(DatabaseManager::Dependencies{supportDirectory});
    context->edits = std::make_shared<EditedDelaysManager>(*context->notificationCenter);
    auto credentials = parts.credentialStore
                           ? std::move(parts.credentialStore)
                           : std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                               nullptr, supportDirectory);
    context->login =
        LoginManager::create({std::move(credentials), context->transport, context->notificationCenter.get(),
                              parts.resourceTimeout, std::move(parts.serviceURL)});
    // Made now, not at the first download: it follows every sign-in from here on (it renews expired sessions).
    context->downloads =
        DownloadManager::create({context->login, context->database, context->transport,
                                 context->notificationCenter.get(), parts.resourceTimeout, context->locale});
    return context;
}

} // namespace orvendel::flows
