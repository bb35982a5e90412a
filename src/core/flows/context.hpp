#pragma once

#include "core/service/service_address.hpp"
#include "core/storage/user_folder.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace orvendel {
class Clock;
class CredentialStore;
class DatabaseManager;
class DownloadManager;
class EditedDelaysManager;
class HttpTransport;
class LoginManager;
class NotificationCenter;
class UserConfigurationManager;
} // namespace orvendel

namespace orvendel::flows {

// Everything the flows work with: made once by the front end (or a test) and handed to every flow through its
// environment, so that no flow looks a manager up. It outlives sign-ins: each user's data is opened and closed
// in its managers (the database, the edit store, the configuration), not by making a new one. The members are declared
// in dependency order, so that they are released the other way round: the download manager first, the transport and the
// notification centre last. Thread contract: not changed after `create`; each manager keeps its own contract.
struct Context {
    // Where the delay service and the update check are, as the front end resolved them (no check when none).
    std::string serviceURL;
    std::optional<std::string> storeSearchURL;
    // The user's language and region as the service takes it ("de-CH"); every request sends it.
    std::string locale;

    std::shared_ptr<NotificationCenter> notificationCenter;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<HttpTransport> transport;
    std::shared_ptr<UserConfigurationManager> configuration;
    std::shared_ptr<DatabaseManager> database;
    std::shared_ptr<EditedDelaysManager> edits;
    std::shared_ptr<LoginManager> login;
    std::shared_ptr<DownloadManager> downloads;

    struct Parts {
        std::shared_ptr<NotificationCenter> notificationCenter{};  // none: a centre of its own
        std::shared_ptr<Clock> clock{};                            // none: a system clock of its own
        std::shared_ptr<HttpTransport> transport{};                // none: a libcurl transport of its own
        std::shared_ptr<CredentialStore> credentialStore{};        // none: the system's store
        ApplicationSupportDirectory applicationSupportDirectory{}; // none: the platform's folder
        std::chrono::milliseconds resourceTimeout{std::chrono::seconds(12)};
        std::string serviceURL{ServiceAddress::defaultBaseURL};
        std::optional<std::string> storeSearchURL{};
        std::optional<std::string> locale{}; // none: the environment's (LC_ALL, LC_MESSAGES, LANG), read now
    };

    // Fresh managers over the given parts.
    static std::shared_ptr<const Context> create(Parts parts);
};

using ContextPtr = std::shared_ptr<const Context>;

} // namespace orvendel::flows
