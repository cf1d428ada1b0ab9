#pragma once

// An application the user chose, read from its desktop entry: the entry's id is the
// application's identifier everywhere (targets, the observer, the lock decision).
#include <filesystem>
#include <vector>

#include "QuorvelMac/model/mac_lock_target.hpp"
#include "QuorvelShared/support/typed_error.hpp"

namespace quorvel {

enum class MacApplicationDescriptorError { notAnApplication, missingBundleIdentifier };

// Reads one ".desktop" file (the suffix in any case). Its id is taken from where it lies under
// the application folders of `folders` (else the file name without the suffix); its name is
// Name[ja], then Name, then the file name without the suffix. Throws
// Error<MacApplicationDescriptorError> for a file that is not an application entry or yields a
// blank id, and std::system_error when it cannot be read.
MacApplicationDescriptor readMacApplicationDescriptor(
    const std::filesystem::path& file, const std::vector<std::filesystem::path>& folders);

// The descriptors of the files that could be read, in the given order; the others are left out.
std::vector<MacApplicationDescriptor> readableDescriptors(
    const std::vector<std::filesystem::path>& files,
    const std::vector<std::filesystem::path>& folders);

}  // namespace quorvel
