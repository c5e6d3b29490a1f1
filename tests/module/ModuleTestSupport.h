// Loads the built plug-in module the way a host does and makes instances of it for the tests.
#pragma once

#include <gtest/gtest.h>
#ifndef _WIN32
#include <dirent.h>
#endif

#include <memory>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "host/PluginInstance.h"
#include "host/PluginModule.h"

namespace brindlet::test {

inline std::string modulePath() {
#ifdef _WIN32
    return std::string(BRINDLET_BUILD_DIR) + "/Brindlet.dll";
#else
    return std::string(BRINDLET_BUILD_DIR) + "/brindlet.so";
#endif
}

// One load per process, kept until exit: pixman (under cairo) allocates tables when it is loaded
// and never frees them, so unloading the module at exit would show as a leak that is not ours.
inline std::shared_ptr<PluginModule> loadedModule() {
    static auto* module = new std::shared_ptr<PluginModule>([] {
        std::string error;
        auto loaded = PluginModule::load(modulePath(), error);
        EXPECT_TRUE(loaded) << error;
        return loaded;
    }());
    return *module;
}

// A fresh host and one instance of the module, created as a host creates it.
class ModuleTest : public ::testing::Test {
public:
    void SetUp() override {
        auto module = loadedModule();
        ASSERT_TRUE(module);
        std::string error;
        plugin = PluginInstance::create(module, host, error);
        ASSERT_TRUE(plugin) << error;
    }
    void TearDown() override { plugin.reset(); }

    AEffect* effect() const { return plugin->effect(); }
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f) {
        return plugin->dispatcher(opcode, index, value, ptr, opt);
    }

    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
};

#ifndef _WIN32
// How many file descriptors the process has open.
inline int32_t openFileCount() {
    int32_t count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir)) ++count;
        closedir(dir);
    }
    return count;
}
#endif

// Two channels of `frames` samples each, with the pointer arrays the entries take.
struct StereoBuffer {
    explicit StereoBuffer(size_t frames, float fill = 0.0f)
        : left(frames, fill), right(frames, fill) {}
    float** channels() {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
    std::vector<float> left;
    std::vector<float> right;
    float* pointers[2] = {};
};

}  // namespace brindlet::test
