#include "core/platform/secret_store.hpp"

#include "core/platform/shared_library.hpp"

#include <gio/gio.h>
#include <libsecret/secret.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace orvendel {
namespace {

// libsecret and the D-Bus calls of GIO it brings, looked up when a secret is first needed rather than linked:
// they and their dependencies would otherwise be loaded before the app's first frame. GLib itself is linked;
// the toolkit loads it anyway.
struct Libsecret {
    std::shared_ptr<SharedLibrary> library; // keeps the functions below loaded
    decltype(&::secret_password_lookupv_binary_sync) password_lookupv_binary_sync = nullptr;
    decltype(&::secret_password_storev_binary_sync) password_storev_binary_sync = nullptr;
    decltype(&::secret_value_new) value_new = nullptr;
    decltype(&::secret_value_get) value_get = nullptr;
    decltype(&::secret_value_unref) value_unref = nullptr;
    decltype(&::g_bus_get_sync) bus_get_sync = nullptr;
    decltype(&::g_dbus_connection_call_sync) dbus_connection_call_sync = nullptr;
    decltype(&::g_object_unref) object_unref = nullptr;
};

Result<Libsecret> loadLibsecret()
{
    auto opened = SharedLibrary::open("libsecret-1.so.0");
    if (!opened) {
        return opened.error();
    }
    Libsecret table;
    table.library = *opened;
    const auto& library = *table.library;
    if (auto resolved = SharedLibrary::allResolved({
            library.resolve(table.password_lookupv_binary_sync, "secret_password_lookupv_binary_sync"),
            library.resolve(table.password_storev_binary_sync, "secret_password_storev_binary_sync"),
            library.resolve(table.value_new, "secret_value_new"),
            library.resolve(table.value_get, "secret_value_get"),
            library.resolve(table.value_unref, "secret_value_unref"),
            library.resolve(table.bus_get_sync, "g_bus_get_sync"),
            library.resolve(table.dbus_connection_call_sync, "g_dbus_connection_call_sync"),
            library.resolve(table.object_unref, "g_object_unref"),
        });
        !resolved) {
        return resolved.error();
    }
    return table;
}

// The loaded table, or why libsecret could not be used (the caller falls back to the file store and says
// why). Loaded once per process: GLib's type system cannot unload what it registered.
const Result<Libsecret>& libsecret()
{
    static const Result<Libsecret> table = loadLibsecret();
    return table;
}

constexpr const char* secretServiceName = "org.freedesktop.secrets";
constexpr gint busCallTimeoutMs = 500;

const SecretSchema* schema()
{
    static const SecretSchema value = {"com.KESTA.orvendel.GenericPassword",
                                       SECRET_SCHEMA_NONE,
                                       {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                        {"accessGroup", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                        {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                       0,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr,
                                       nullptr};
    return &value;
}

// The attributes of an item; an absent access group is stored as an empty one.
GHashTable* attributesFor(const SecretKey& key)
{
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, nullptr, g_free);
    g_hash_table_insert(table, const_cast<char*>("service"), g_strdup(key.service.c_str()));
    g_hash_table_insert(table, const_cast<char*>("accessGroup"), g_strdup(key.accessGroup.value_or("").c_str()));
    g_hash_table_insert(table, const_cast<char*>("account"), g_strdup(key.account.c_str()));
    return table;
}

// The GError's message, freeing it.
std::string takeMessage(GError* error)
{
    std::string message = error && error->message ? error->message : "";
    g_clear_error(&error);
    return message;
}

class LibsecretStore final : public SecretStore {
public:
    Result<void> add(const SecretKey& key, const std::string& data) override
    {
        const auto existing = find(key);
        if (existing) {
            return secret_error::make(secret_error::duplicateItem);
        }
        if (existing.error().code != secret_error::itemNotFound) {
            return existing.error();
        }
        return store(key, data);
    }

    Result<void> update(const SecretKey& key, const std::string& data) override
    {
        if (const auto existing = find(key); !existing) {
            return existing.error();
        }
        return store(key, data);
    }

    Result<std::string> find(const SecretKey& key) override
    {
        GHashTable* attributes = attributesFor(key);
        GError* error = nullptr;
        SecretValue* value = libsecret()->password_lookupv_binary_sync(schema(), attributes, nullptr, &error);
        g_hash_table_unref(attributes);
        if (error) {
            return secret_error::make(secret_error::failure, takeMessage(error));
        }
        if (!value) {
            return secret_error::make(secret_error::itemNotFound);
        }
        gsize length = 0;
        const gchar* bytes = libsecret()->value_get(value, &length);
        std::string result(bytes, length);
        libsecret()->value_unref(value);
        return result;
    }

private:
    // Storing under the same attributes replaces the item's secret.
    Result<void> store(const SecretKey& key, const std::string& data)
    {
        GHashTable* attributes = attributesFor(key);
        SecretValue* value = libsecret()->value_new(data.data(), static_cast<gssize>(data.size()), "text/plain");
        GError* error = nullptr;
        const std::string label = key.service + " (" + key.account + ")";
        const gboolean ok = libsecret()->password_storev_binary_sync(schema(), attributes, SECRET_COLLECTION_DEFAULT,
                                                                     label.c_str(), value, nullptr, &error);
        libsecret()->value_unref(value);
        g_hash_table_unref(attributes);
        const std::string message = takeMessage(error);
        if (!ok) {
            return secret_error::make(secret_error::failure, message);
        }
        return {};
    }
};

// The description is the reason alone: it is said inside a longer line.
Error unavailable(std::string reason)
{
    return Error{secret_error::domain, secret_error::unavailable, std::move(reason)};
}

bool sessionBusConfigured()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    return runtime && *runtime && std::filesystem::exists(std::filesystem::path(runtime) / "bus", ignored);
}

} // namespace

std::shared_ptr<SecretStore> makeLibsecretStore()
{
    return std::make_shared<LibsecretStore>();
}

Result<void> secretServiceAnswers()
{
    // Without a session bus there is nobody to ask; do not let GLib try to start one.
    if (!sessionBusConfigured()) {
        return unavailable("no session bus");
    }
    const auto& secret = libsecret();
    if (!secret) {
        return unavailable(secret.error().description);
    }
    GError* error = nullptr;
    GDBusConnection* bus = secret->bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        return unavailable("the session bus: " + takeMessage(error));
    }
    GVariant* reply = secret->dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                        "org.freedesktop.DBus", "NameHasOwner",
                                                        g_variant_new("(s)", secretServiceName), G_VARIANT_TYPE("(b)"),
                                                        G_DBUS_CALL_FLAGS_NONE, busCallTimeoutMs, nullptr, &error);
    bool owned = false;
    if (reply) {
        gboolean value = FALSE;
        g_variant_get(reply, "(b)", &value);
        owned = value;
        g_variant_unref(reply);
    }
    const std::string message = takeMessage(error);
    secret->object_unref(bus);
    if (!owned) {
        return secret_error::make(secret_error::unavailable,
                                  message.empty() ? std::string("nobody owns ") + secretServiceName : message);
    }
    return {};
}

} // namespace orvendel
