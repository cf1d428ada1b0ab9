#pragma once

// Request addresses of the backend: the base address with an endpoint path appended, identifiers
// as single path segments, and the one query item of the query-form endpoints. Every function
// answers no value where no sound address exists; the client then fails with invalidResponse
// before anything is sent.
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::backend::address {

// `base` ("scheme://authority[/path][?query][#fragment]") with `path` (beginning with "/")
// appended to its path; a trailing "/" of the base path is not doubled, and the base's query
// and fragment stay behind the new path. No value for a base that is not an absolute URL with
// a host part.
std::optional<std::string> appendingPath(std::string_view base, std::string_view path);

// An identifier as one path segment: every byte but the unreserved characters percent-encoded,
// so that "/", "?", "#" or "%" in an identifier can never reach another path or a query. No value
// for "", "." and "..", which would name the collection itself or its parent.
std::optional<std::string> pathSegment(std::string_view identifier);

// `address` with its query replaced by exactly "name=value", both percent-encoded as query
// components (every byte but the unreserved characters, so "&", "=", "+" and blanks stay inside
// the value). The fragment, if any, is dropped.
std::string withSingleQueryItem(std::string_view address, std::string_view name,
                                std::string_view value);

}  // namespace quorvel::backend::address
