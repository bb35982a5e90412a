#include "core/platform/secret_store.hpp"

#include <gio/gio.h>
#include <libsecret/secret.h>

#include <cstdlib>
#include <filesystem>

namespace orvendel {
namespace {

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
        SecretValue* value = secret_password_lookupv_binary_sync(schema(), attributes, nullptr, &error);
        g_hash_table_unref(attributes);
        if (error) {
            return secret_error::make(secret_error::failure, takeMessage(error));
        }
        if (!value) {
            return secret_error::make(secret_error::itemNotFound);
        }
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        std::string result(bytes, length);
        secret_value_unref(value);
        return result;
    }

private:
    // Storing under the same attributes replaces the item's secret.
    Result<void> store(const SecretKey& key, const std::string& data)
    {
        GHashTable* attributes = attributesFor(key);
        SecretValue* value = secret_value_new(data.data(), static_cast<gssize>(data.size()), "text/plain");
        GError* error = nullptr;
        const std::string label = key.service + " (" + key.account + ")";
        const gboolean ok = secret_password_storev_binary_sync(schema(), attributes, SECRET_COLLECTION_DEFAULT,
                                                               label.c_str(), value, nullptr, &error);
        secret_value_unref(value);
        g_hash_table_unref(attributes);
        const std::string message = takeMessage(error);
        if (!ok) {
            return secret_error::make(secret_error::failure, message);
        }
        return {};
    }
};

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

bool secretServiceAnswers()
{
    // Without a session bus there is nobody to ask; do not let GLib try to start one.
    if (!sessionBusConfigured()) {
        return false;
    }
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    GVariant* reply =
        g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "NameHasOwner", g_variant_new("(s)", secretServiceName), G_VARIANT_TYPE("(b)"),
                                    G_DBUS_CALL_FLAGS_NONE, busCallTimeoutMs, nullptr, &error);
    bool owned = false;
    if (reply) {
        gboolean value = FALSE;
        g_variant_get(reply, "(b)", &value);
        owned = value;
        g_variant_unref(reply);
    }
    g_clear_error(&error);
    g_object_unref(bus);
    return owned;
}

} // namespace orvendel
