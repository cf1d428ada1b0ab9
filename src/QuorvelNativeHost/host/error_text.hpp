#pragma once

// The text that stands for an error where it reaches the browser extension (the reason of a
// denied unlock) or standard error. The program's own errors give their case names; every other
// error gives one fixed word for its type, so the extension sees the same text whatever the
// library's message and never a path or a system message.
#include <exception>
#include <string>

namespace quorvel::host {

std::string errorText(const std::exception_ptr& error);

}  // namespace quorvel::host
