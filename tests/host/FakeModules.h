// Paths of the fake test modules built next to the host tests.
#pragma once

#include <string>

namespace brindlet::test {

inline std::string fakeModule(const std::string& variant) {
    return std::string(FAKE_PLUGIN_DIR) + "/" + variant + ".so";
}

}  // namespace brindlet::test
