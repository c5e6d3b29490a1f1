// Loading modules: every way a file can fail to be a VST 2.x plug-in gets its own clear error.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/PluginInstance.h"
#include "host/PluginModule.h"
#include "tests/host/FakeModules.h"

namespace brindlet {
namespace {

using test::fakeModule;

std::string createError(const std::string& path) {
    std::string error;
    auto module = PluginModule::load(path, error);
    if (!module) return error;
    PluginHost host;
    auto instance = PluginInstance::create(module, host, error);
    return instance ? std::string() : error;
}

TEST(PluginModule, RefusesFilesThatAreNotPlugins) {
    auto dir = std::filesystem::temp_directory_path() / "brindlet_host_module_test";
    std::filesystem::create_directories(dir);
    std::string text = (dir / "notes.so").string();
    std::ofstream(text) << "not a shared object\n";

    EXPECT_NE(createError("/nonexistent/brindlet.so").find("no such file"), std::string::npos);
    EXPECT_NE(createError(dir.string()).find("not a regular file"), std::string::npos);
    EXPECT_NE(createError(text).find("not a loadable shared object"), std::string::npos);
    EXPECT_NE(createError(fakeModule("noentry")).find("exports neither VSTPluginMain nor main"),
              std::string::npos);
    EXPECT_NE(createError(fakeModule("null")).find("returned no instance"), std::string::npos);
    EXPECT_NE(createError(fakeModule("badmagic")).find("record magic 0x4e6f7065"),
              std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(PluginModule, BareFileNameMeansTheWorkingFolder) {
    // The loader would otherwise search its library path and might load a different file.
    auto dir = std::filesystem::temp_directory_path() / "brindlet_host_bare_name";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(fakeModule("good"), dir / "libc.so.6",
                               std::filesystem::copy_options::overwrite_existing);
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    std::string error;
    auto module = PluginModule::load("libc.so.6", error);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(module) << error;
    EXPECT_EQ(module->entryName(), "VSTPluginMain");
}

TEST(PluginModule, ErrorsNameTheFile) {
    std::string error = createError(fakeModule("null"));
    EXPECT_EQ(error.rfind(fakeModule("null"), 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(PluginModule, FindsEitherEntryName) {
    std::string error;
    auto preferred = PluginModule::load(fakeModule("good"), error);
    ASSERT_TRUE(preferred) << error;
    EXPECT_EQ(preferred->entryName(), "VSTPluginMain");
    auto fallback = PluginModule::load(fakeModule("mainonly"), error);
    ASSERT_TRUE(fallback) << error;
    EXPECT_EQ(fallback->entryName(), "main");
    EXPECT_EQ(createError(fakeModule("mainonly")), "");
}

TEST(PluginModule, HostRefusingVersionGetsNoInstance) {
    std::string error;
    auto module = PluginModule::load(fakeModule("good"), error);
    ASSERT_TRUE(module);
    PluginHost host;
    host.overrideAnswer(audioMasterVersion, 0);
    EXPECT_EQ(PluginInstance::create(module, host, error), nullptr);
    EXPECT_NE(error.find("returned no instance"), std::string::npos);
}

}  // namespace
}  // namespace brindlet
