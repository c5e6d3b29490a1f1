// Parsing of dropped data without any window-system call: uri lists to local file names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brindlet::x11 {

// %XX escapes decoded; a malformed escape is kept as it is.
std::string percentDecode(std::string_view text);
// The local file names of a text/uri-list: comments, blank lines and non-local URIs skipped,
// "file://" (with an empty or "localhost" host) stripped, percent escapes decoded.
std::vector<std::string> parseUriList(const char* data, size_t size);

}  // namespace brindlet::x11
