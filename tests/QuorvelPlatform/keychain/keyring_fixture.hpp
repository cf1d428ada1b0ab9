#pragma once

// Direct access to the test session's Secret Service, to look at what the keychain wrote and to
// set up states the keychain itself never makes (a locked keyring). Header only: the test
// folders compile only their *_test.cpp files.
// The path-based calls are outside libsecret's stable set; tests may use them.
#define SECRET_API_SUBJECT_TO_CHANGE
#include <libsecret/secret.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "QuorvelShared/support/bytes.hpp"
#include "QuorvelShared/support/uuid.hpp"

namespace quorvel::keyringtest {

// A service name no other test uses, so tests can share the session's keyring in parallel.
inline std::string uniqueKeychainService() {
    return "app.quorvel.device-keys.test-" + newUuidText();
}

struct StoredItem {
    std::map<std::string, std::string> attributes;
    Bytes secret;
    bool locked = false;
};

namespace detail {

inline void check(GError* error, const std::string& doing) {
    if (error != nullptr) {
        const std::string message = doing + ": " + error->message;
        g_error_free(error);
        throw std::runtime_error(message);
    }
}

inline SecretService* service() {
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
    check(error, "connecting to the Secret Service");
    return service;
}

inline std::vector<StoredItem> search(GHashTable* attributes) {
    SecretService* secretService = service();
    GError* error = nullptr;
    GList* found = secret_service_search_sync(
        secretService, nullptr, attributes,
        static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr,
        &error);
    g_object_unref(secretService);
    check(error, "searching");
    std::vector<StoredItem> items;
    for (GList* node = found; node != nullptr; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        StoredItem stored;
        stored.locked = secret_item_get_locked(item);
        GHashTable* itemAttributes = secret_item_get_attributes(item);
        GHashTableIter iter;
        gpointer key = nullptr;
        gpointer value = nullptr;
        g_hash_table_iter_init(&iter, itemAttributes);
        while (g_hash_table_iter_next(&iter, &key, &value)) {
            stored.attributes[static_cast<const char*>(key)] = static_cast<const char*>(value);
        }
        // gnome-keyring reports its default item type as a schema attribute once it has read
        // the item back from its file; that one is the daemon's, not ours.
        if (const auto schema = stored.attributes.find("xdg:schema");
            schema != stored.attributes.end() &&
            schema->second == "org.freedesktop.Secret.Generic") {
            stored.attributes.erase(schema);
        }
        g_hash_table_unref(itemAttributes);
        if (SecretValue* secret = secret_item_get_secret(item)) {
            gsize length = 0;
            const auto* bytes =
                reinterpret_cast<const std::uint8_t*>(secret_value_get(secret, &length));
            stored.secret.assign(bytes, bytes + length);
            secret_value_unref(secret);
        }
        items.push_back(std::move(stored));
    }
    g_list_free_full(found, g_object_unref);
    return items;
}

inline GHashTable* attributes(const std::string& service, const std::string* account) {
    GHashTable* table = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(table, const_cast<char*>("service"), const_cast<char*>(service.c_str()));
    if (account != nullptr) {
        g_hash_table_insert(table, const_cast<char*>("account"),
                            const_cast<char*>(account->c_str()));
    }
    return table;
}

}  // namespace detail

// Every item whose attributes include these, locked ones included.
inline std::vector<StoredItem> itemsWith(const std::string& service, const std::string& account) {
    GHashTable* table = detail::attributes(service, &account);
    auto items = detail::search(table);
    g_hash_table_unref(table);
    return items;
}

// Every item carrying this service attribute, whatever its account.
inline std::vector<StoredItem> itemsOfService(const std::string& service) {
    GHashTable* table = detail::attributes(service, nullptr);
    auto items = detail::search(table);
    g_hash_table_unref(table);
    return items;
}

// Deletes every item carrying this service attribute, as a user could in a password manager.
inline void removeItemsOfService(const std::string& service) {
    SecretService* secretService = detail::service();
    GHashTable* table = detail::attributes(service, nullptr);
    GError* error = nullptr;
    GList* found = secret_service_search_sync(secretService, nullptr, table, SECRET_SEARCH_ALL,
                                              nullptr, &error);
    g_hash_table_unref(table);
    g_object_unref(secretService);
    detail::check(error, "searching");
    for (GList* node = found; node != nullptr; node = node->next) {
        secret_item_delete_sync(static_cast<SecretItem*>(node->data), nullptr, &error);
        if (error != nullptr) {
            g_list_free_full(found, g_object_unref);
            detail::check(error, "deleting");
        }
    }
    g_list_free_full(found, g_object_unref);
}

// A keyring of its own holding one item of `service` and `account`, locked. Made through
// gnome-keyring's interface for a keyring with a given password, because the standard call asks
// the user for one. The keyring is deleted when the object goes.
class LockedKeyring {
public:
    LockedKeyring(const std::string& service, const std::string& account, ByteView secret) {
        GError* error = nullptr;
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        detail::check(error, "connecting to the session bus");
        GVariant* opened = g_dbus_connection_call_sync(
            bus, "org.freedesktop.secrets", "/org/freedesktop/secrets",
            "org.freedesktop.Secret.Service", "OpenSession",
            g_variant_new("(sv)", "plain", g_variant_new_string("")), G_VARIANT_TYPE("(vo)"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
        detail::check(error, "opening a plain session");
        const gchar* session = nullptr;
        GVariant* ignoredOutput = nullptr;
        g_variant_get(opened, "(v&o)", &ignoredOutput, &session);

        GVariantBuilder properties;
        g_variant_builder_init(&properties, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&properties, "{sv}", "org.freedesktop.Secret.Collection.Label",
                              g_variant_new_string("quorvel locked test keyring"));
        static const char password[] = "locked-test";
        GVariant* master = g_variant_new(
            "(o@ay@ays)", session, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, "", 0, 1),
            g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, password, sizeof password - 1, 1),
            "text/plain");
        GVariant* created = g_dbus_connection_call_sync(
            bus, "org.freedesktop.secrets", "/org/freedesktop/secrets",
            "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface", "CreateWithMasterPassword",
            g_variant_new("(a{sv}@(oayays))", &properties, master), G_VARIANT_TYPE("(o)"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
        detail::check(error, "creating a keyring with a password");
        const gchar* path = nullptr;
        g_variant_get(created, "(&o)", &path);
        path_ = path;
        g_variant_unref(created);
        g_variant_unref(ignoredOutput);
        g_variant_unref(opened);
        g_object_unref(bus);

        SecretService* secretService = detail::service();
        SecretCollection* collection = secret_collection_new_for_dbus_path_sync(
            secretService, path_.c_str(), SECRET_COLLECTION_NONE, nullptr, &error);
        detail::check(error, "opening the new keyring");
        GHashTable* table = detail::attributes(service, &account);
        SecretValue* value =
            secret_value_new(reinterpret_cast<const gchar*>(secret.data()),
                             static_cast<gssize>(secret.size()), "application/octet-stream");
        SecretItem* item = secret_item_create_sync(collection, nullptr, table, "locked test item",
                                                   value, SECRET_ITEM_CREATE_NONE, nullptr, &error);
        secret_value_unref(value);
        g_hash_table_unref(table);
        detail::check(error, "storing the item");
        g_object_unref(item);
        GList* objects = g_list_append(nullptr, collection);
        secret_service_lock_sync(secretService, objects, nullptr, nullptr, &error);
        g_list_free(objects);
        g_object_unref(collection);
        g_object_unref(secretService);
        detail::check(error, "locking the keyring");
    }

    ~LockedKeyring() {
        GError* error = nullptr;
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        if (bus == nullptr) {
            g_clear_error(&error);
            return;
        }
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.secrets", path_.c_str(), "org.freedesktop.Secret.Collection",
            "Delete", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
        if (reply != nullptr) {
            g_variant_unref(reply);
        }
        g_clear_error(&error);
        g_object_unref(bus);
    }
    LockedKeyring(const LockedKeyring&) = delete;
    LockedKeyring& operator=(const LockedKeyring&) = delete;

private:
    std::string path_;
};

}  // namespace quorvel::keyringtest
