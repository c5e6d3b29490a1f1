// A VST 2.x module loaded from a file, with its entry point found and checked.
#pragma once

#include <memory>
#include <string>

#include "host/SharedLibrary.h"
#include "include/vst2/aeffect.h"

namespace brindlet {

class PluginModule {
public:
    // Loads the module and finds `VSTPluginMain`, then `main`. On failure returns null and one
    // line in `error` that names the file and the problem (missing, not a shared object, no
    // entry point).
    static std::shared_ptr<PluginModule> load(const std::string& path, std::string& error);

    const std::string& path() const { return path_; }
    VstPluginMainProc entry() const { return entry_; }
    // Which exported name the entry was found under.
    const std::string& entryName() const { return entryName_; }

private:
    PluginModule() = default;

    SharedLibrary library_;
    std::string path_;
    std::string entryName_;
    VstPluginMainProc entry_ = nullptr;
};

}  // namespace brindlet
