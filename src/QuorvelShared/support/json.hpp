#pragma once

// The one JSON value type of the project. Objects keep the order in which keys were inserted, so
// the compact form writes a record's fields in declaration order; the sorted forms sort at write
// time. Read values only through json_reader.hpp and write bytes only through json_writer.hpp.
#include <nlohmann/json.hpp>

#include "QuorvelShared/support/json_errors.hpp"

namespace quorvel {

using Json = nlohmann::ordered_json;

}  // namespace quorvel
