#pragma once

#include <string>
#include <vector>

namespace quorvel {

// The ids of the synced web targets that belong to the iPhone target `linkedTargetId`, in list
// order. No stored list, or one that cannot be read (reported), gives none.
std::vector<std::string> linkedWebTargetIds(const std::string& linkedTargetId);

}  // namespace quorvel
