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

// `programApplied` false: nobody selected a program, so the parameters in force are whatever
// the plug-in set at load, and the current program is reported as not applied.
void printPluginInfo(PluginInstance& plugin, std::FILE* out, bool programApplied = true);
void printPluginInfoJson(PluginInstance& plugin, std::FILE* out, bool programApplied = true);

// "program 0 'Bass'", with " (not applied: defaults)" unless `programApplied`.
std::string describeCurrentProgram(PluginInstance& plugin, bool programApplied);

// One program a line: number and name.
void printProgramList(PluginInstance& plugin, std::FILE* out);
// One parameter a line: number, name, display text and label.
void printParameterList(PluginInstance& plugin, std::FILE* out);

// `text` as a JSON string literal, quotes included.
std::string jsonString(const std::string& text);

}  // namespace brindlet
