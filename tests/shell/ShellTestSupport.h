// Shared fixtures for the shell tests: a recording host callback and a recording editor.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "include/vst2/aeffect.h"
#include "shell/EditorBase.h"
#include "shell/PluginEffect.h"
#include "shell/ProgramBank.h"

namespace brindlet::test {

// One thing that happened, in the order it happened: a host request or an editor call.
struct LogEntry {
    enum Kind { Host, EditorParameter, EditorClose, EditorDestroyed, EditorKey };
    Kind kind;
    int32_t opcode = 0;  // Host
    int32_t index = 0;   // Host index or editor parameter index
    intptr_t value = 0;
    float opt = 0.0f;  // Host opt or editor parameter value
    bool nullEffect = false;
    KeyCode key{};
};

inline std::vector<LogEntry>& eventLog() {
    static std::vector<LogEntry> entries;
    return entries;
}

inline intptr_t& versionAnswer() {
    static intptr_t answer = 2400;
    return answer;
}

inline intptr_t VST2_CALL recordingCallback(AEffect* effect, int32_t opcode, int32_t index,
                                            intptr_t value, void*, float opt) {
    LogEntry entry{LogEntry::Host};
    entry.opcode = opcode;
    entry.index = index;
    entry.value = value;
    entry.opt = opt;
    entry.nullEffect = effect == nullptr;
    eventLog().push_back(entry);
    return opcode == audioMasterVersion ? versionAnswer() : 1;
}

inline std::vector<LogEntry> hostRequests() {
    std::vector<LogEntry> out;
    for (const LogEntry& e : eventLog()) {
        if (e.kind == LogEntry::Host) out.push_back(e);
    }
    return out;
}

// Parameter calls the editor received, in order, for indices 0..13 only.
inline std::vector<std::pair<int32_t, float>> editorParameters() {
    std::vector<std::pair<int32_t, float>> out;
    for (const LogEntry& e : eventLog()) {
        if (e.kind == LogEntry::EditorParameter && e.index >= 0 && e.index < kNumParams) {
            out.emplace_back(e.index, e.opt);
        }
    }
    return out;
}

// Records what the effect asks of its editor; "opens" a window by holding a stand-in frame.
class RecordingEditor : public EditorBase {
public:
    explicit RecordingEditor(EditorHost* effect) : EditorBase(effect) {
        rect.bottom = 360;
        rect.right = 465;
    }
    ~RecordingEditor() override { eventLog().push_back({LogEntry::EditorDestroyed}); }

    int32_t open(void* parent) override {
        EditorBase::open(parent);
        frame = reinterpret_cast<Frame*>(&standInFrame);
        return 1;
    }
    void close() override {
        frame = nullptr;
        eventLog().push_back({LogEntry::EditorClose});
    }
    void setParameter(int32_t index, float value) override {
        LogEntry entry{LogEntry::EditorParameter};
        entry.index = index;
        entry.opt = value;
        eventLog().push_back(entry);
    }
    int32_t onKeyDown(const KeyCode& key) override {
        LogEntry entry{LogEntry::EditorKey};
        entry.key = key;
        eventLog().push_back(entry);
        return EditorBase::onKeyDown(key);
    }

private:
    int standInFrame = 0;
};

inline EditorBase* createRecordingEditor(EditorHost* effect) {
    return new (std::nothrow) RecordingEditor(effect);
}
inline EditorBase* failEditor(EditorHost*) {
    return nullptr;
}
inline ProgramBank* createBank() {
    return new (std::nothrow) ProgramBank();
}
inline ProgramBank* failBank() {
    return nullptr;
}

inline const EffectParts kRecordingParts{createRecordingEditor, createBank};

inline intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                         void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

inline std::string textAnswer(AEffect* effect, int32_t opcode, int32_t index = 0,
                              intptr_t value = 0) {
    char buffer[64] = {};
    dispatch(effect, opcode, index, value, buffer);
    return buffer;
}

// A PluginEffect with a recording editor and a clean log; closed through its record afterwards.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        versionAnswer() = 2400;
        eventLog().clear();
        effect = createEffect(recordingCallback, kRecordingParts);
        ASSERT_NE(effect, nullptr);
    }
    void TearDown() override {
        if (effect) dispatch(effect, effClose);
    }
    PluginEffect& instance() {
        return *static_cast<PluginEffect*>(static_cast<EffectBase*>(effect->object));
    }
    // Selects `program` and answers the 14 values the selection applied (the last the editor
    // heard for each index: the engine may also tell it that Slope Off went off on the way).
    std::vector<float> valuesOf(int32_t program) {
        eventLog().clear();
        dispatch(effect, effSetProgram, 0, program);
        std::vector<float> values(kNumParams, -1.0f);
        for (const auto& [index, value] : editorParameters()) values[index] = value;
        return values;
    }

    AEffect* effect = nullptr;
};

}  // namespace brindlet::test
