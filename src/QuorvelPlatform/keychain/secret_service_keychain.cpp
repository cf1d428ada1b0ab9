#include "QuorvelPlatform/keychain/secret_service_keychain.hpp"

#include <dlfcn.h>
#include <libsecret/secret.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace quorvel {
namespace {

// libsecret, and the GLib object and I/O libraries it brings, are loaded at the first keychain
// call rather than with the program: the Bluetooth daemon may run for days without touching the
// keychain, and these libraries would otherwise stay mapped in it all along. GLib itself is linked
// as usual (Qt loads it anyway); only what lives above it is looked up here.
constexpr const char* secretLibraryName = "libsecret-1.so.0";

struct SecretFunctions {
    decltype(&secret_service_get_sync) serviceGetSync;
    decltype(&secret_service_search_sync) serviceSearchSync;
    decltype(&secret_collection_for_alias_sync) collectionForAliasSync;
    decltype(&secret_collection_get_locked) collectionGetLocked;
    decltype(&secret_item_create_sync) itemCreateSync;
    decltype(&secret_item_get_locked) itemGetLocked;
    decltype(&secret_item_get_secret) itemGetSecret;
    decltype(&secret_value_new) valueNew;
    decltype(&secret_value_get) valueGet;
    decltype(&secret_value_unref) valueUnref;
    decltype(&secret_error_get_quark) errorQuark;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_dbus_error_quark) dbusErrorQuark;
    decltype(&g_io_error_quark) ioErrorQuark;
};

struct LoadedSecretLibrary {
    std::optional<SecretFunctions> functions;
    std::string failure;  // why not, when functions is empty
};

LoadedSecretLibrary loadSecretLibrary() {
    LoadedSecretLibrary loaded;
    // Never closed: GLib's types cannot be unregistered once made.
    void* library = ::dlopen(secretLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = ::dlerror();
        loaded.failure = reason != nullptr ? reason : "no reason given";
        return loaded;
    }
    SecretFunctions functions{};
    bool complete = true;
    // The handle's search covers the libraries libsecret depends on, gobject and gio among them.
    auto resolve = [&](auto& function, const char* name) {
        void* address = ::dlsym(library, name);
        if (address == nullptr) {
            if (complete)
                loaded.failure = std::string("it has no ") + name;
            complete = false;
            return;
        }
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(address);
    };
    resolve(functions.serviceGetSync, "secret_service_get_sync");
    resolve(functions.serviceSearchSync, "secret_service_search_sync");
    resolve(functions.collectionForAliasSync, "secret_collection_for_alias_sync");
    resolve(functions.collectionGetLocked, "secret_collection_get_locked");
    resolve(functions.itemCreateSync, "secret_item_create_sync");
    resolve(functions.itemGetLocked, "secret_item_get_locked");
    resolve(functions.itemGetSecret, "secret_item_get_secret");
    resolve(functions.valueNew, "secret_value_new");
    resolve(functions.valueGet, "secret_value_get");
    resolve(functions.valueUnref, "secret_value_unref");
    resolve(functions.errorQuark, "secret_error_get_quark");
    resolve(functions.objectUnref, "g_object_unref");
    resolve(functions.dbusErrorQuark, "g_dbus_error_quark");
    resolve(functions.ioErrorQuark, "g_io_error_quark");
    if (complete)
        loaded.functions = functions;
    return loaded;
}

const LoadedSecretLibrary& secretLibrary() {
    static const LoadedSecretLibrary loaded = loadSecretLibrary();
    return loaded;
}

// Only called once secretLibrary() has loaded: every object passed around below came from it.
const SecretFunctions& secret() {
    return *secretLibrary().functions;
}

struct GObjectUnref {
    void operator()(gpointer object) const { secret().objectUnref(object); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct SecretValueUnref {
    void operator()(SecretValue* value) const { secret().valueUnref(value); }
};
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;

struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using Attributes = std::unique_ptr<GHashTable, HashTableUnref>;

// A list of items whose elements each hold a reference.
struct ItemList {
    GList* items = nullptr;
    ~ItemList() {
        if (items != nullptr)
            g_list_free_full(items, secret().objectUnref);
    }
};

KeychainStatus failure(std::int32_t code, std::string message) {
    return KeychainStatus{code, std::move(message)};
}

bool meansNoService(const GError& error) {
    if (error.domain == secret().dbusErrorQuark()) {
        switch (error.code) {
            case G_DBUS_ERROR_SERVICE_UNKNOWN:
            case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
            case G_DBUS_ERROR_NO_REPLY:
            case G_DBUS_ERROR_TIMEOUT:
            case G_DBUS_ERROR_SPAWN_FAILED:
            case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
            case G_DBUS_ERROR_DISCONNECTED:
            case G_DBUS_ERROR_NO_SERVER:
                return true;
            default:
                return false;
        }
    }
    return error.domain == secret().ioErrorQuark() &&
           (error.code == G_IO_ERROR_CLOSED || error.code == G_IO_ERROR_CONNECTION_CLOSED);
}

KeychainStatus fromError(const GError& error, const std::string& doing) {
    const std::string what = doing + ": " + error.message;
    if (meansNoService(error)) {
        return failure(keychainstatus::notAvailable, "no Secret Service answers (" + what + ")");
    }
    if (error.domain == secret().errorQuark() && error.code == SECRET_ERROR_IS_LOCKED) {
        return failure(keychainstatus::interactionNotAllowed,
                       "the keyring is locked (" + what + ")");
    }
    return failure(keychainstatus::internalComponent, what);
}

// A D-Bus string holds UTF-8 text without NUL. Handed anything else, libsecret would cut a name
// at its NUL or drop the attribute from the query, and so reach another item than the one named.
bool canNameAnItem(const std::string& service, const std::string& account, KeychainStatus& status) {
    for (const std::string* text : {&service, &account}) {
        if (!g_utf8_validate_len(text->data(), static_cast<gsize>(text->size()), nullptr)) {
            status = failure(keychainstatus::invalidParameter,
                             std::string(text == &service ? "the service" : "the account") +
                                 " is not UTF-8 text without NUL, so no keychain item can "
                                 "carry it");
            return false;
        }
    }
    return true;
}

// The connected service with an open session for secrets, or the status saying why not.
GObjectPtr<SecretService> connectService(KeychainStatus& status) {
    GError* raw = nullptr;
    const LoadedSecretLibrary& library = secretLibrary();
    if (!library.functions) {
        status = failure(keychainstatus::notAvailable, std::string("the Secret Service library ") +
                                                           secretLibraryName +
                                                           " cannot be loaded: " + library.failure);
        return nullptr;
    }
    SecretService* service =
        library.functions->serviceGetSync(SECRET_SERVICE_OPEN_SESSION, nullptr, &raw);
    if (service == nullptr) {
        GErrorPtr error(raw);
        status = failure(keychainstatus::notAvailable,
                         "no Secret Service answers on the session bus: " +
                             std::string(error ? error->message : "no reason given"));
        return nullptr;
    }
    return GObjectPtr<SecretService>(service);
}

Attributes attributesFor(const std::string& service, const std::string& account) {
    Attributes attributes(g_hash_table_new(g_str_hash, g_str_equal));
    // The table only borrows the texts; they outlive it.
    g_hash_table_insert(attributes.get(), const_cast<char*>("service"),
                        const_cast<char*>(service.c_str()));
    g_hash_table_insert(attributes.get(), const_cast<char*>("account"),
                        const_cast<char*>(account.c_str()));
    return attributes;
}

// Every item of the service and account, locked ones included; nothing is unlocked, so no
// prompt can appear.
bool search(SecretService* secretService, const std::string& service, const std::string& account,
            SecretSearchFlags flags, ItemList& found, KeychainStatus& status) {
    const Attributes attributes = attributesFor(service, account);
    GError* raw = nullptr;
    found.items = secret().serviceSearchSync(
        secretService, nullptr, attributes.get(),
        static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | flags), nullptr, &raw);
    if (raw != nullptr) {
        GErrorPtr error(raw);
        status = fromError(*error, "searching the keyring for " + account);
        return false;
    }
    return true;
}

}  // namespace

KeychainItemRead SecretServiceKeychain::copyGenericPassword(const std::string& service,
                                                            const std::string& account) {
    KeychainItemRead result;
    if (!canNameAnItem(service, account, result.status)) {
        return result;
    }
    const auto secretService = connectService(result.status);
    if (!secretService) {
        return result;
    }
    ItemList found;
    if (!search(secretService.get(), service, account, SECRET_SEARCH_LOAD_SECRETS, found,
                result.status)) {
        return result;
    }
    if (found.items == nullptr) {
        result.status = failure(keychainstatus::itemNotFound, "no item for " + account);
        return result;
    }
    for (GList* node = found.items; node != nullptr; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (secret().itemGetLocked(item)) {
            continue;
        }
        if (SecretValuePtr value{secret().itemGetSecret(item)}) {
            gsize length = 0;
            const auto* bytes =
                reinterpret_cast<const std::uint8_t*>(secret().valueGet(value.get(), &length));
            result.data = Bytes(bytes, bytes + length);
        }
        return result;
    }
    // Reading "not found" here would make the caller create a second key beside the one it
    // cannot see.
    result.status = failure(keychainstatus::interactionNotAllowed,
                            "the keyring holding " + account +
                                " is locked; unlock it in the desktop's password manager");
    return result;
}

KeychainStatus SecretServiceKeychain::addGenericPassword(const std::string& service,
                                                         const std::string& account,
                                                         ByteView data) {
    KeychainStatus status;
    if (!canNameAnItem(service, account, status)) {
        return status;
    }
    const auto secretService = connectService(status);
    if (!secretService) {
        return status;
    }
    ItemList found;
    if (!search(secretService.get(), service, account, SECRET_SEARCH_NONE, found, status)) {
        return status;
    }
    if (found.items != nullptr) {
        return failure(keychainstatus::duplicateItem, "an item for " + account + " exists");
    }

    GError* raw = nullptr;
    const GObjectPtr<SecretCollection> collection(secret().collectionForAliasSync(
        secretService.get(), SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &raw));
    if (raw != nullptr) {
        GErrorPtr error(raw);
        return fromError(*error, "finding the default keyring");
    }
    if (!collection) {
        return failure(keychainstatus::noSuchKeychain,
                       "the Secret Service has no default keyring to store " + account + " in");
    }
    if (secret().collectionGetLocked(collection.get())) {
        return failure(keychainstatus::interactionNotAllowed,
                       "the default keyring is locked; unlock it in the desktop's password "
                       "manager to store " +
                           account);
    }

    const SecretValuePtr value(secret().valueNew(reinterpret_cast<const gchar*>(data.data()),
                                                 static_cast<gssize>(data.size()),
                                                 "application/octet-stream"));
    const Attributes attributes = attributesFor(service, account);
    const std::string label = service + ": " + account;
    // No replace flag: an item that appeared since the search above is kept, never overwritten.
    const GObjectPtr<SecretItem> item(
        secret().itemCreateSync(collection.get(), nullptr, attributes.get(), label.c_str(),
                                value.get(), SECRET_ITEM_CREATE_NONE, nullptr, &raw));
    if (raw != nullptr) {
        GErrorPtr error(raw);
        return fromError(*error, "storing " + account);
    }
    return status;
}

}  // namespace quorvel
