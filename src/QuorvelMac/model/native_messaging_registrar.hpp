#pragma once
// The browser's host manifest for our native-messaging host: without it the browser never starts
// QuorvelNativeHost for the extension. Rewritten at every start, so a moved installation is found.
#include <filesystem>
#include <string>
#include <vector>

namespace quorvel {

enum class NativeMessagingRegistrarError { invalidExtensionId };

namespace NativeMessagingRegistrar {

inline constexpr const char* hostName = "app.quorvel.native";
inline constexpr const char* invalidExtensionIdText =
    "Chrome拡張IDは chrome://extensions に表示される32文字のIDを入力してください。ポップアップ内の "
    "chrome_... "
    "は拡張IDではありません。";

// "app.quorvel.native.json" in the NativeMessagingHosts folders of Google Chrome and Chromium
// under the configuration home, Chrome's first.
std::vector<std::filesystem::path> defaultManifestFiles();
// QuorvelNativeHost in the folder of the running program.
std::string defaultHostBinaryPath();

// The manifest text: pretty-printed, keys sorted, slashes as they are.
std::string manifestText(const std::vector<std::string>& extensionIds,
                         const std::string& hostBinaryPath);

// Checks the identifiers (trimmed, repeats dropped, each 32 letters a to p, at least one) and
// writes the manifest atomically to every file, creating the folders. A refused identifier
// throws Error<NativeMessagingRegistrarError> before anything is written; folder and write
// failures throw std::system_error.
void installManifest(const std::vector<std::string>& extensionIds,
                     const std::string& hostBinaryPath,
                     const std::vector<std::filesystem::path>& manifestFiles);

}  // namespace NativeMessagingRegistrar

}  // namespace quorvel
