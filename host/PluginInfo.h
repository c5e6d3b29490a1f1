// What a host learns from a plug-in: identity, flags, parameters, programs and can-do answers.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "host/PluginInstance.h"

namespace brindlet {

std::string trimTrailing(const std::string& text);
std::string trimBoth(const std::string& text);

// Every program's name, by effGetProgramNameIndexed or, where the plug-in does not answer it,
// by selecting each program and asking effGetProgramName. The selection and every parameter
// value are restored afterwards.
std::vector<std::string> readProgramNames(PluginInstance& plugin);

// "hasEditor canReplacing ..." with unknown bits in hex.
std::string describeFlags(int32_t flags);

void printPluginInfo(PluginInstance& plugin, std::FILE* out);

}  // namespace brindlet
