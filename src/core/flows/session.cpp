#include "core/flows/session.hpp"

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

std::shared_ptr<const Session> Session::create(Parts parts)
{
    auto session = std::make_shared<Session>();
    session->serviceURL = parts.serviceURL;
    session->storeSearchURL = std::move(parts.storeSearchURL);
    session->locale = parts.locale ? std::move(*parts.locale) : Utilities::serviceLocale();
    session->notificationCenter =
        parts.notificationCenter ? std::move(parts.notificationCenter) : std::make_shared<NotificationCenter>();
    session->clock = parts.clock ? std::move(parts.clock) : Clock::system();
    session->transport = parts.transport ? std::move(parts.transport) : std::make_shared<CurlHttpTransport>();
    auto supportDirectory = parts.applicationSupportDirectory ? std::move(parts.applicationSupportDirectory)
                                                              : user_folder::platformApplicationSupportDirectory();
    session->configuration =
        std::make_shared<UserConfigurationManager>(UserConfigurationManager::Dependencies{supportDirectory});
    session->database = std::make_shared<DatabaseManager>(DatabaseManager::Dependencies{supportDirectory});
    session->edits = std::make_shared<EditedDelaysManager>(*session->notificationCenter);
    auto credentials = parts.credentialStore
                           ? std::move(parts.credentialStore)
                           : std::make_shared<CredentialStore>(LoginManager::credentialServiceName, std::nullopt,
                                                               nullptr, supportDirectory);
    session->login =
        LoginManager::create({std::move(credentials), session->transport, session->notificationCenter.get(),
                              parts.resourceTimeout, std::move(parts.serviceURL)});
    // Made now, not at the first download: it follows every sign-in from here on (it renews expired sessions).
    session->downloads =
        DownloadManager::create({session->login, session->database, session->transport,
                                 session->notificationCenter.get(), parts.resourceTimeout, session->locale});
    return session;
}

} // namespace orvendel::flows
