// The fake test modules built next to the host tests, and an instance of the well-behaved one.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/PluginInstance.h"

namespace brindlet::test {

inline std::string fakeModule(const std::string& variant) {
    return std::string(FAKE_PLUGIN_DIR) + "/" + variant + ".so";
}

class FakeInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::load(fakeModule("good"), error);
        ASSERT_TRUE(module) << error;
        plugin = PluginInstance::create(module, host, error);
        ASSERT_TRUE(plugin) << error;
    }

    std::shared_ptr<PluginModule> module;
    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
};

}  // namespace brindlet::test
