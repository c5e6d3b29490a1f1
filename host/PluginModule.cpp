// PluginModule: file checks first, so a missing file is not reported as a loader error.
#include "host/PluginModule.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace brindlet {

namespace {

bool checkFile(const std::string& path, std::string& error) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = path + ": " + (errno == ENOENT ? "no such file" : std::strerror(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    return true;
}

}  // namespace

std::shared_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error) {
    if (!checkFile(path, error)) return nullptr;
    std::shared_ptr<PluginModule> module(new PluginModule);
    module->path_ = path;
    std::string reason;
    // A name without a slash would send the loader searching the library path instead of
    // opening the file that was checked above.
    std::string loadPath = path.find('/') == std::string::npos ? "./" + path : path;
    if (!module->library_.open(loadPath, reason)) {
        error = path + ": not a loadable shared object (" + reason + ")";
        return nullptr;
    }
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* address = module->library_.symbol(name)) {
            module->entry_ = reinterpret_cast<VstPluginMainProc>(address);
            module->entryName_ = name;
            return module;
        }
    }
    error = path + ": not a VST 2.x plug-in (exports neither VSTPluginMain nor main)";
    return nullptr;
}

}  // namespace brindlet
