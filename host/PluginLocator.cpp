// PluginLocator: paths relative to the running program, so an installed copy finds its module.
#include "host/PluginLocator.h"

#include <filesystem>

namespace brindlet {

std::vector<std::string> defaultPluginCandidates() {
    std::vector<std::string> candidates;
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        auto dir = self.parent_path();
        candidates.push_back((dir / "brindlet.so").string());
        candidates.push_back((dir.parent_path() / "brindlet.so").string());
        candidates.push_back((dir.parent_path() / "shell" / "brindlet.so").string());
    }
    // Installed: <prefix>/bin/brindlet-render beside <prefix>/lib/vst/brindlet.so. Before the
    // build folder's copy, so an installed program never loads a stale build of the plug-in.
    if (!ec)
        candidates.push_back(
            (self.parent_path().parent_path() / "lib" / "vst" / "brindlet.so").string());
#ifdef BRINDLET_DEFAULT_PLUGIN
    candidates.emplace_back(BRINDLET_DEFAULT_PLUGIN);
#endif
    return candidates;
}

std::string locateDefaultPlugin() {
    for (const auto& candidate : defaultPluginCandidates()) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

}  // namespace brindlet
