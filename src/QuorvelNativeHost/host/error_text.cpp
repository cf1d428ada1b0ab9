#include "QuorvelNativeHost/host/error_text.hpp"

#include <filesystem>
#include <system_error>

#include "QuorvelNativeHost/host/native_host_error.hpp"
#include "QuorvelPlatform/notifications/distributed_notification_bus.hpp"
#include "QuorvelShared/crypto/crypto_error.hpp"
#include "QuorvelShared/crypto/unlock_context_crypto_error.hpp"
#include "QuorvelShared/support/json_errors.hpp"
#include "QuorvelShared/unlockstate/allow_window_state_store.hpp"

namespace quorvel::host {

std::string errorText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const NativeHostError& e) {
        return e.what();
    } catch (const json::DecodeError&) {
        return "decodingError";
    } catch (const json::EncodeError&) {
        return "encodingError";
    } catch (const CryptoError&) {
        return "cryptoError";
    } catch (const Error<UnlockContextCryptoError>&) {
        return "unlockContextCryptoError";
    } catch (const Error<AllowWindowStateStoreError>&) {
        return "coordinationDidNotRun";
    } catch (const Error<DistributedNotificationError>&) {
        return "distributedNotificationError";
    } catch (const std::filesystem::filesystem_error&) {
        return "fileSystemError";
    } catch (const std::system_error&) {
        return "systemError";
    } catch (...) {
        return "unknownError";
    }
}

}  // namespace quorvel::host
