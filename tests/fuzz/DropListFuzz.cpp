// Fuzz target: the X11 drop list. Any bytes give local names that are whole (no zero byte),
// absolute and never longer than the text they came from.
#include <cstdint>
#include <cstdlib>

#include "toolkit/platform/x11/DropList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto names = brindlet::x11::parseUriList(reinterpret_cast<const char*>(data), size);
    for (const std::string& name : names) {
        if (name.empty() || name.size() > size || name.front() != '/') std::abort();
        if (name.find('\0') != std::string::npos) std::abort();
    }
    if (!brindlet::x11::parseUriList(nullptr, size).empty()) std::abort();
    return 0;
}
