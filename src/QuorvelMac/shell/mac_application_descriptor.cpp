#include "QuorvelMac/shell/mac_application_descriptor.hpp"

#include <system_error>

#include "QuorvelPlatform/desktop/desktop_entry.hpp"
#include "QuorvelPlatform/desktop/desktop_entry_index.hpp"
#include "QuorvelShared/support/files.hpp"
#include "QuorvelShared/support/text.hpp"

namespace quorvel {
namespace fs = std::filesystem;

MacApplicationDescriptor readMacApplicationDescriptor(const fs::path& file,
                                                      const std::vector<fs::path>& folders) {
    using Code = MacApplicationDescriptorError;
    if (asciiLowercased(file.extension().string()) != ".desktop") {
        throw Error<Code>(Code::notAnApplication, "not a desktop entry: " + file.string());
    }
    const auto text = files::readIfPresent(file);
    if (!text)
        throw std::system_error(std::make_error_code(std::errc::no_such_file_or_directory),
                                file.string());
    const auto keys = desktop::parseMainGroup(*text);
    if (!keys || !keys->contains("Type") || keys->at("Type") != "Application") {
        throw Error<Code>(Code::notAnApplication, "not an application entry: " + file.string());
    }
    // The id as the desktop names it; the lower-case suffix is what the folders' ids drop.
    fs::path normalised = file;
    normalised.replace_extension(".desktop");
    const std::string id =
        desktop::desktopEntryId(normalised, folders).value_or(file.stem().string());
    if (isBlank(id))
        throw Error<Code>(Code::missingBundleIdentifier, "no identifier: " + file.string());

    std::string name = file.stem().string();
    if (keys->contains("Name[ja]"))
        name = keys->at("Name[ja]");
    else if (keys->contains("Name"))
        name = keys->at("Name");
    return {id, name, fs::absolute(file).lexically_normal().string()};
}

std::vector<MacApplicationDescriptor> readableDescriptors(const std::vector<fs::path>& files,
                                                          const std::vector<fs::path>& folders) {
    std::vector<MacApplicationDescriptor> result;
    for (const auto& file : files) {
        try {
            result.push_back(readMacApplicationDescriptor(file, folders));
        } catch (const std::exception&) {
            // A file that cannot be used is left out without a message; the others still count.
        }
    }
    return result;
}

}  // namespace quorvel
