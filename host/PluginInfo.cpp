// PluginInfo: a readable report of everything the host interface tells about a plug-in.
#include "host/PluginInfo.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace brindlet {

namespace {

// A broken record could claim billions of parameters or programs; list a sane number.
constexpr int32_t kMaxListed = 4096;

constexpr const char* kCanDoTexts[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "offline",
    "midiProgramNames",
    "bypass",
    "plugAsChannelInsert",
    "plugAsSend",
    "mixDryWet",
    "noRealTime",
    "1in1out",
    "1in2out",
    "2in1out",
    "2in2out",
};

std::string printable(const std::string& text) {
    std::string clean = text;
    // Bytes from 0x80 up pass, so UTF-8 units such as a degree sign survive.
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return clean;
}

std::string fourChars(int32_t id) {
    std::string chars;
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<uint32_t>(id) >> shift) & 0xff);
        chars += std::isprint(static_cast<unsigned char>(c)) ? c : '.';
    }
    return chars;
}

const char* canDoAnswer(intptr_t answer) {
    return answer > 0 ? "yes" : answer < 0 ? "no" : "don't know";
}

void printIdentity(PluginInstance& plugin, std::FILE* out) {
    const AEffect& e = *plugin.effect();
    std::fprintf(out, "Module:          %s\n", plugin.module().path().c_str());
    std::fprintf(out, "Effect name:     %s\n", printable(plugin.effectName()).c_str());
    std::fprintf(out, "Vendor:          %s\n", printable(plugin.vendorString()).c_str());
    std::fprintf(out, "Product:         %s\n", printable(plugin.productString()).c_str());
    std::fprintf(out, "Vendor version:  %d\n", plugin.vendorVersion());
    std::fprintf(out, "Unique id:       0x%08x '%s'\n", static_cast<uint32_t>(e.uniqueID),
                 fourChars(e.uniqueID).c_str());
    std::fprintf(out, "Version:         %d\n", e.version);
    std::fprintf(out, "VST version:     %d\n",
                 static_cast<int>(plugin.dispatcher(effGetVstVersion)));
    std::fprintf(out, "Category:        %d\n",
                 static_cast<int>(plugin.dispatcher(effGetPlugCategory)));
    std::fprintf(out, "Flags:           0x%x %s\n", static_cast<uint32_t>(e.flags),
                 describeFlags(e.flags).c_str());
    std::fprintf(out, "Inputs/outputs:  %d in, %d out\n", e.numInputs, e.numOutputs);
    std::fprintf(out, "Initial delay:   %d frames\n", e.initialDelay);
    ERect rect{};
    if ((e.flags & effFlagsHasEditor) != 0 && plugin.editorRect(rect))
        std::fprintf(out, "Editor:          %d x %d\n", rect.right - rect.left,
                     rect.bottom - rect.top);
}

void printParameters(PluginInstance& plugin, std::FILE* out) {
    int32_t count = std::clamp(plugin.numParams(), 0, kMaxListed);
    std::vector<std::array<std::string, 3>> rows;
    size_t nameWidth = 4, displayWidth = 7;
    for (int32_t i = 0; i < count; ++i) {
        rows.push_back({printable(trimTrailing(plugin.parameterName(i))),
                        printable(trimBoth(plugin.parameterDisplay(i))),
                        printable(trimBoth(plugin.parameterLabel(i)))});
        nameWidth = std::max(nameWidth, rows.back()[0].size());
        displayWidth = std::max(displayWidth, rows.back()[1].size());
    }
    std::fprintf(out, "\nParameters (%d):\n", plugin.numParams());
    std::fprintf(out, "  %4s  %-*s  %-8s  %-*s  %s\n", "#", static_cast<int>(nameWidth), "name",
                 "value", static_cast<int>(displayWidth), "display", "label");
    for (int32_t i = 0; i < count; ++i) {
        const auto& row = rows[static_cast<size_t>(i)];
        std::fprintf(out, "  %4d  %-*s  %-8.4f  %-*s  %s\n", i, static_cast<int>(nameWidth),
                     row[0].c_str(), plugin.getParameter(i), static_cast<int>(displayWidth),
                     row[1].c_str(), row[2].c_str());
    }
}

void printPrograms(PluginInstance& plugin, std::FILE* out, bool programApplied) {
    std::vector<std::string> names = readProgramNames(plugin);
    std::fprintf(out, "\nPrograms (%zu, current %d%s):\n", names.size(), plugin.program(),
                 programApplied || names.empty() ? "" : ", not applied: parameters are defaults");
    for (size_t i = 0; i < names.size(); ++i)
        std::fprintf(out, "  %4zu  %s\n", i, printable(names[i]).c_str());
}

void printCanDo(PluginInstance& plugin, std::FILE* out) {
    std::fprintf(out, "\nCan do:\n");
    for (const char* text : kCanDoTexts)
        std::fprintf(out, "  %-20s %s\n", text, canDoAnswer(plugin.canDo(text)));
}

}  // namespace

std::string trimTrailing(const std::string& text) {
    size_t end = text.find_last_not_of(" \t");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string trimBoth(const std::string& text) {
    std::string right = trimTrailing(text);
    size_t start = right.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : right.substr(start);
}

std::vector<std::string> readProgramNames(PluginInstance& plugin) {
    int32_t count = std::clamp(plugin.numPrograms(), 0, kMaxListed);
    std::vector<std::string> names(static_cast<size_t>(count));
    bool allIndexed = true;
    for (int32_t i = 0; i < count && allIndexed; ++i) {
        bool ok = false;
        names[static_cast<size_t>(i)] = trimTrailing(plugin.programNameIndexed(i, &ok));
        allIndexed = ok;
    }
    if (allIndexed) return names;

    int32_t current = plugin.program();
    std::vector<float> values;
    for (int32_t i = 0; i < std::clamp(plugin.numParams(), 0, kMaxListed); ++i)
        values.push_back(plugin.getParameter(i));
    for (int32_t i = 0; i < count; ++i) {
        plugin.setProgram(i);
        names[static_cast<size_t>(i)] = trimTrailing(plugin.programName());
    }
    plugin.setProgram(current);
    for (int32_t i = 0; i < static_cast<int32_t>(values.size()); ++i)
        plugin.setParameter(i, values[static_cast<size_t>(i)]);
    return names;
}

std::string describeFlags(int32_t flags) {
    static constexpr struct {
        int32_t bit;
        const char* name;
    } kNames[] = {
        {effFlagsHasEditor, "hasEditor"},
        {effFlagsCanMono, "canMono"},
        {effFlagsCanReplacing, "canReplacing"},
        {effFlagsProgramChunks, "programChunks"},
        {effFlagsIsSynth, "isSynth"},
        {effFlagsNoSoundInStop, "noSoundInStop"},
        {effFlagsCanDoubleReplacing, "canDoubleReplacing"},
    };
    std::string text;
    auto rest = static_cast<uint32_t>(flags);
    for (const auto& known : kNames) {
        if ((rest & static_cast<uint32_t>(known.bit)) == 0) continue;
        // Appends only: GCC 12 -O2 flags `const char* + string` with a false -Wrestrict.
        if (!text.empty()) text += ' ';
        text += known.name;
        rest &= ~static_cast<uint32_t>(known.bit);
    }
    if (rest != 0) {
        char unknown[32];
        std::snprintf(unknown, sizeof unknown, "0x%x", rest);
        text += text.empty() ? "other " : " other ";
        text += unknown;
    }
    return text.empty() ? "(none)" : text;
}

void printPluginInfo(PluginInstance& plugin, std::FILE* out, bool programApplied) {
    if (plugin.effect() == nullptr) return;
    printIdentity(plugin, out);
    printParameters(plugin, out);
    printPrograms(plugin, out, programApplied);
    printCanDo(plugin, out);
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

void printPluginInfoJson(PluginInstance& plugin, std::FILE* out, bool programApplied) {
    const AEffect* e = plugin.effect();
    if (e == nullptr) return;
    std::fprintf(out, "{\"module\": %s, \"effectName\": %s, \"vendor\": %s, \"product\": %s,\n",
                 jsonString(plugin.module().path()).c_str(),
                 jsonString(plugin.effectName()).c_str(), jsonString(plugin.vendorString()).c_str(),
                 jsonString(plugin.productString()).c_str());
    std::fprintf(out,
                 " \"vendorVersion\": %d, \"uniqueId\": %d, \"version\": %d, \"flags\": %d, "
                 "\"inputs\": %d, \"outputs\": %d, \"initialDelay\": %d,\n",
                 plugin.vendorVersion(), e->uniqueID, e->version, e->flags, e->numInputs,
                 e->numOutputs, e->initialDelay);
    std::fprintf(out, " \"parameters\": [");
    int32_t count = std::clamp(plugin.numParams(), 0, kMaxListed);
    for (int32_t i = 0; i < count; ++i)
        std::fprintf(out,
                     "%s\n  {\"index\": %d, \"name\": %s, \"value\": %.6g, \"display\": %s, "
                     "\"label\": %s}",
                     i == 0 ? "" : ",", i,
                     jsonString(trimTrailing(plugin.parameterName(i))).c_str(),
                     static_cast<double>(plugin.getParameter(i)),
                     jsonString(trimBoth(plugin.parameterDisplay(i))).c_str(),
                     jsonString(trimBoth(plugin.parameterLabel(i))).c_str());
    std::fprintf(out, "],\n \"programs\": [");
    std::vector<std::string> names = readProgramNames(plugin);
    for (size_t i = 0; i < names.size(); ++i)
        std::fprintf(out, "%s%s", i == 0 ? "" : ", ", jsonString(names[i]).c_str());
    std::fprintf(out, "],\n \"currentProgram\": %d, \"programApplied\": %s,\n \"canDo\": {",
                 plugin.program(), programApplied ? "true" : "false");
    bool first = true;
    for (const char* text : kCanDoTexts) {
        std::fprintf(out, "%s%s: %s", first ? "" : ", ", jsonString(text).c_str(),
                     jsonString(canDoAnswer(plugin.canDo(text))).c_str());
        first = false;
    }
    std::fprintf(out, "}}\n");
}

std::string describeCurrentProgram(PluginInstance& plugin, bool programApplied) {
    std::string text = "program " + std::to_string(plugin.program()) + " '" +
                       printable(trimTrailing(plugin.programName())) + "'";
    return programApplied ? text : text + " (not applied: defaults)";
}

void printProgramList(PluginInstance& plugin, std::FILE* out) {
    std::vector<std::string> names = readProgramNames(plugin);
    for (size_t i = 0; i < names.size(); ++i)
        std::fprintf(out, "%zu\t%s\n", i, printable(names[i]).c_str());
}

void printParameterList(PluginInstance& plugin, std::FILE* out) {
    int32_t count = std::clamp(plugin.numParams(), 0, kMaxListed);
    for (int32_t i = 0; i < count; ++i)
        std::fprintf(out, "%d\t%s\t%s\t%s\n", i,
                     printable(trimTrailing(plugin.parameterName(i))).c_str(),
                     printable(trimBoth(plugin.parameterDisplay(i))).c_str(),
                     printable(trimBoth(plugin.parameterLabel(i))).c_str());
}

}  // namespace brindlet
