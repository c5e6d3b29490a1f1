// Where brindlet-render finds our own module when no --plugin is given.
#pragma once

#include <string>
#include <vector>

namespace brindlet {

// The places looked at, in order: next to the program, one folder up, the build tree.
std::vector<std::string> defaultPluginCandidates();
// The first candidate that exists, or empty.
std::string locateDefaultPlugin();

}  // namespace brindlet
