// What only injected parts show: creation failures, the editor's calls and host requests in order.
#include <gtest/gtest.h>

#include <limits>
#include <new>
#include <tuple>
#include <vector>

#include "include/vst2/aeffect.h"
#include "shell/EditorBase.h"
#include "shell/PluginEffect.h"
#include "shell/ProgramBank.h"

namespace brindlet::test {
namespace {

// One thing that happened, in order: a host request or a call the effect made on its editor.
struct LogEntry {
    enum Kind { Host, EditorParameter, EditorClose, EditorDestroyed, EditorKey };
    Kind kind;
    int32_t opcode = 0;
    int32_t index = 0;  // host index or editor parameter index
    float opt = 0.0f;   // host opt or editor parameter value
    bool nullEffect = false;
    KeyCode key{};
};

std::vector<LogEntry> eventLog;
intptr_t versionAnswer = 2400;

intptr_t VST2_CALL recordingCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t,
                                     void*, float opt) {
    eventLog.push_back({LogEntry::Host, opcode, index, opt, effect == nullptr});
    return opcode == audioMasterVersion ? versionAnswer : 1;
}

int countOf(LogEntry::Kind kind) {
    int n = 0;
    for (const LogEntry& e : eventLog) n += e.kind == kind;
    return n;
}

// Records what the effect asks of its editor; "opens" a window by holding a stand-in frame.
class RecordingEditor : public EditorBase {
public:
    explicit RecordingEditor(EditorHost* effect) : EditorBase(effect) {}
    ~RecordingEditor() override { eventLog.push_back({LogEntry::EditorDestroyed}); }
    int32_t open(void* parent) override {
        EditorBase::open(parent);
        frame = reinterpret_cast<Frame*>(&standInFrame);
        return 1;
    }
    void close() override {
        frame = nullptr;
        eventLog.push_back({LogEntry::EditorClose});
    }
    void setParameter(int32_t index, float value) override {
        eventLog.push_back({LogEntry::EditorParameter, 0, index, value});
    }
    int32_t onKeyDown(const KeyCode& key) override {
        eventLog.push_back({.kind = LogEntry::EditorKey, .key = key});
        return EditorBase::onKeyDown(key);
    }

private:
    int standInFrame = 0;
};

constexpr auto recordingEditor = [](EditorHost* e) -> EditorBase* {
    return new (std::nothrow) RecordingEditor(e);
};
constexpr auto failEditor = [](EditorHost*) -> EditorBase* { return nullptr; };
constexpr auto createBank = []() -> ProgramBank* { return new (std::nothrow) ProgramBank(); };
constexpr auto failBank = []() -> ProgramBank* { return nullptr; };
const EffectParts kRecordingParts{recordingEditor, createBank};

intptr_t dispatch(AEffect* effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                  void* ptr = nullptr, float opt = 0.0f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        versionAnswer = 2400;
        eventLog.clear();
    }
    AEffect* create(const EffectParts& parts = kRecordingParts) {
        return createEffect(recordingCallback, parts);
    }
    static PluginEffect& instance(AEffect* effect) {
        return *static_cast<PluginEffect*>(static_cast<EffectBase*>(effect->object));
    }
};

// A failure is carried by the call that met it: the next creation succeeds again.
TEST_F(ShellTest, CreationFailsPerCallAndFreesWhatItMade) {
    EXPECT_EQ(createEffect(nullptr, kRecordingParts), nullptr);
    versionAnswer = 0;
    EXPECT_EQ(create(), nullptr);
    ASSERT_EQ(eventLog.size(), 1u) << "only the version was asked; no editor was made";
    EXPECT_EQ(eventLog[0].opcode, audioMasterVersion);
    EXPECT_TRUE(eventLog[0].nullEffect);
    versionAnswer = 1;  // any other version is accepted

    struct Case {
        EffectParts parts;
        int editorsDestroyed;
    };
    for (const Case& c : {Case{{failEditor, createBank}, 0}, Case{{recordingEditor, failBank}, 1},
                          Case{{failEditor, failBank}, 0}, Case{{nullptr, nullptr}, 0}}) {
        eventLog.clear();
        EXPECT_EQ(create(c.parts), nullptr);
        EXPECT_EQ(countOf(LogEntry::EditorDestroyed), c.editorsDestroyed);
        AEffect* effect = create();
        ASSERT_NE(effect, nullptr);
        dispatch(effect, effClose);
    }
}

TEST_F(ShellTest, CloseShutsAnOpenWindowOnceBeforeTheEditorGoes) {
    int parent = 0;
    for (bool closeFirst : {false, true}) {
        AEffect* effect = create();
        ASSERT_NE(effect, nullptr);
        EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, &parent), 1);
        EXPECT_NE(instance(effect).getEditor()->getFrame(), nullptr);
        if (closeFirst) {
            EXPECT_EQ(dispatch(effect, effEditClose), 0);
            EXPECT_EQ(instance(effect).getEditor()->getFrame(), nullptr);
        }
        eventLog.clear();
        EXPECT_EQ(dispatch(effect, effClose), 1);
        ASSERT_EQ(eventLog.size(), closeFirst ? 1u : 2u);
        EXPECT_EQ(eventLog.front().kind,
                  closeFirst ? LogEntry::EditorDestroyed : LogEntry::EditorClose);
        EXPECT_EQ(eventLog.back().kind, LogEntry::EditorDestroyed);
    }
}

// The editor hears a change before the host does, so a host reading back sees the new value.
TEST_F(ShellTest, EditorRequestsReachTheHostInOrder) {
    AEffect* effect = create();
    ASSERT_NE(effect, nullptr);
    PluginEffect& plugin = instance(effect);
    eventLog.clear();
    plugin.automateParameter(12, 0.25f);
    plugin.automateParameter(23, 1.0f);  // an editor tag passes unchecked
    EXPECT_TRUE(plugin.beginEdit(5));
    EXPECT_TRUE(plugin.endEdit(5));
    EXPECT_TRUE(plugin.updateHostDisplay());
    plugin.hostIdle();
    using Step = std::tuple<LogEntry::Kind, int32_t, int32_t>;  // kind, opcode, index
    const std::vector<Step> expected = {{LogEntry::EditorParameter, 0, 12},
                                        {LogEntry::Host, audioMasterAutomate, 12},
                                        {LogEntry::EditorParameter, 0, 23},
                                        {LogEntry::Host, audioMasterAutomate, 23},
                                        {LogEntry::Host, audioMasterBeginEdit, 5},
                                        {LogEntry::Host, audioMasterEndEdit, 5},
                                        {LogEntry::Host, audioMasterUpdateDisplay, 0},
                                        {LogEntry::Host, audioMasterIdle, 0}};
    std::vector<Step> steps;
    for (const LogEntry& e : eventLog) steps.emplace_back(e.kind, e.opcode, e.index);
    EXPECT_EQ(steps, expected);
    ASSERT_GE(eventLog.size(), 2u);
    EXPECT_EQ(eventLog[1].opt, 0.25f);

    // A selection hands the editor all fourteen values in index order and tells the host nothing.
    eventLog.clear();
    dispatch(effect, effSetProgram, 0, 5);
    ASSERT_GE(eventLog.size(), 14u);
    for (int32_t i = 0; i < 14; ++i) {
        EXPECT_EQ(eventLog[i].kind, LogEntry::EditorParameter);
        EXPECT_EQ(eventLog[i].index, i);
    }
    EXPECT_EQ(countOf(LogEntry::Host), 0);
    dispatch(effect, effClose);
}

TEST_F(ShellTest, KeysReachTheEditorDecoded) {
    AEffect* effect = create();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(dispatch(effect, effEditKeyDown, 'a', VKEY_RETURN | 0x300, nullptr, 9.0f), -1);
    ASSERT_EQ(eventLog.back().kind, LogEntry::EditorKey);
    EXPECT_EQ(eventLog.back().key.character, 'a');
    EXPECT_EQ(eventLog.back().key.virt, VKEY_RETURN);
    EXPECT_EQ(eventLog.back().key.modifier, 9);
    // A modifier that is no number must not reach a float-to-integer conversion unchecked.
    for (float wild : {std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f}) {
        dispatch(effect, effEditKeyDown, 0, 0, nullptr, wild);
        EXPECT_EQ(eventLog.back().key.modifier, 0);
    }
    dispatch(effect, effClose);
}

// The base alone: no editor, no host callback, and the rates it keeps.
class BareEffect : public EffectBase {
public:
    BareEffect() : EffectBase(nullptr, 16, 14) {}
    float rate() const { return sampleRate.load(); }
    int32_t block() const { return blockSize.load(); }
};

TEST(BareEffectTest, WithoutEditorOrHostEveryRequestAnswersNo) {
    BareEffect bare;
    ERect* rect = nullptr;
    int parent = 0;
    EXPECT_EQ(bare.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(bare.dispatcher(effEditOpen, 0, 0, &parent, 0.0f), 0);
    for (int32_t opcode :
         {effEditClose, effEditIdle, effEditKeyDown, effEditKeyUp, effSetEditKnobMode})
        EXPECT_EQ(bare.dispatcher(opcode, 'a', 1, nullptr, 0.0f), 0) << opcode;
    EXPECT_EQ(bare.getAEffect()->flags & effFlagsHasEditor, 0);
    EXPECT_FALSE(bare.beginEdit(1));
    EXPECT_FALSE(bare.endEdit(1));
    EXPECT_FALSE(bare.updateHostDisplay());
    EXPECT_FALSE(bare.wantMidi(1));
    bare.hostIdle();
    bare.automateParameter(0, 0.5f);
}

TEST(BareEffectTest, SampleRateAndBlockSizeKeepOnlyUsableValues) {
    BareEffect bare;
    EXPECT_EQ(bare.rate(), 44100.0f);
    EXPECT_EQ(bare.block(), 1024);
    bare.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    for (float bad : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        bare.dispatcher(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(bare.rate(), 48000.0f);
    }
    bare.dispatcher(effSetBlockSize, 0, 64, nullptr, 0.0f);
    EXPECT_EQ(bare.block(), 64);
    EXPECT_EQ(bare.dispatcher(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 96000.0f), 1);
    EXPECT_EQ(bare.rate(), 96000.0f);
    EXPECT_EQ(bare.dispatcher(effSetBlockSizeAndSampleRate, 0, 128, nullptr, -1.0f), 1);
    EXPECT_EQ(bare.block(), 128);
    EXPECT_EQ(bare.rate(), 96000.0f);
}

}  // namespace
}  // namespace brindlet::test
