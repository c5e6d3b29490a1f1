// Fuzz target: the dispatcher driven by a stream of opcodes, indices, values and bounded buffers,
// editor opcodes included, mixed with parameter calls, short blocks of audio, mouse gestures,
// drops and typing on the headless editor window, and a host that calls back into the effect
// from inside its requests.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "shell/EditorBase.h"
#include "shell/PluginEffect.h"
#include "tests/fuzz/FuzzEffect.h"
#include "tests/fuzz/FuzzInput.h"
#include "toolkit/core/Frame.h"
#include "toolkit/platform/headless/Headless.h"

using namespace brindlet;
using namespace brindlet::fuzz;

namespace {

constexpr size_t kBufferSize = 1024;
constexpr int32_t kMaxFrames = 512;

// The next nested call the host makes, on the first request of the chosen kind.
struct Reentry {
    int32_t onOpcode = -1;
    int32_t opcode = 0;
    intptr_t value = 0;
    bool nesting = false;
};
Reentry reentry;

intptr_t VST2_CALL reenteringHost(AEffect* e, int32_t opcode, int32_t, intptr_t, void*, float) {
    if (opcode == audioMasterVersion) return 2400;
    if (e && opcode == reentry.onOpcode && !reentry.nesting) {
        reentry.nesting = true;
        reentry.onOpcode = -1;
        void* ptr = reentry.opcode == effEditOpen ? fakeParentWindow() : nullptr;
        e->dispatcher(e, reentry.opcode, 0, reentry.value, ptr, 0.0f);
        reentry.nesting = false;
    }
    return 0;
}

void planReentry(FuzzInput& in) {
    static const int32_t on[] = {audioMasterAutomate, audioMasterUpdateDisplay,
                                 audioMasterBeginEdit, audioMasterEndEdit, audioMasterIdle};
    static const int32_t calls[] = {effEditClose, effSetProgram, effEditIdle, effEditOpen};
    reentry.onOpcode = on[in.byte() % 5];
    reentry.opcode = calls[in.byte() % 4];
    reentry.value = in.byte() % 20;
}

NativeWindow* editorWindow(AEffect* e) {
    EditorBase* editor = static_cast<PluginEffect*>(e->object)->getEditor();
    Frame* frame = editor ? editor->getFrame() : nullptr;
    return frame ? frame->getWindow() : nullptr;
}

Point pointIn(FuzzInput& in) {
    return Point(static_cast<int32_t>(in.byte() % 240) * 2 - 8,
                 static_cast<int32_t>(in.byte() % 190) * 2 - 8);
}

// A gesture, a drop, typing into an open field or a paint on the editor's window, if it is open.
void useWindow(AEffect* e, FuzzInput& in) {
    NativeWindow* window = editorWindow(e);
    if (!window) return;
    switch (in.byte() % 5) {
        case 0: {
            std::vector<headless::InputStep> moves(in.byte() % 6);
            for (headless::InputStep& step : moves) {
                step.physical = in.byte() & 0x3f;
                step.position = pointIn(in);
            }
            const uint32_t physical = in.byte() & 0x3f;
            headless::press(window, pointIn(in), physical, moves);
            break;
        }
        case 1: {
            std::vector<std::string> paths(in.byte() % 3);
            for (std::string& path : paths) {
                char text[64];
                in.text(text, sizeof text);
                path = text;
            }
            headless::dropFiles(window, paths, pointIn(in));
            break;
        }
        case 2: {
            char text[64];
            in.text(text, sizeof text);
            headless::dropText(window, text, 1 + in.byte() % 16, pointIn(in));
            break;
        }
        case 3:
            if (NativeEditField* field = headless::getOpenEditField()) {
                char text[16];
                in.text(text, sizeof text);
                headless::typeIntoEditField(field, text);
                if (in.byte() & 1) {
                    headless::pressEnterInEditField(field);
                } else if (in.byte() & 1) {
                    headless::moveFocusAway(field);
                }
            }
            break;
        default: {
            // Hosts repaint damaged parts as often as the whole: a full paint was most of an
            // input's time.
            const Point a = pointIn(in);
            const Point b = pointIn(in);
            headless::paint(window, Rect(std::min(a.h, b.h), std::min(a.v, b.v),
                                         std::max(a.h, b.h), std::max(a.v, b.v)));
        }
    }
}

// Texts, records and the program chunk all go into buffers this size, which is far more than any
// answer needs; the last byte stays zero so that texts read from it end.
struct Buffers {
    alignas(16) char main[kBufferSize];
    alignas(16) char extra[kBufferSize];
    VstEvents events;
    VstMidiEvent midi[2];
};

void fillEvents(FuzzInput& in, Buffers& b) {
    b.events.numEvents = in.byte() % 3;
    b.events.reserved = 0;
    for (int i = 0; i < 2; ++i) {
        VstMidiEvent& m = b.midi[i];
        std::memset(&m, 0, sizeof m);
        m.type = in.byte() % 8 == 0 ? static_cast<int32_t>(in.byte()) : kVstMidiType;
        m.byteSize = sizeof m;
        m.deltaFrames = in.int32();
        for (char& c : m.midiData) c = static_cast<char>(in.byte());
        b.events.events[i] = in.byte() % 16 == 0 ? nullptr : reinterpret_cast<VstEvent*>(&m);
    }
}

void processBlock(AEffect* e, FuzzInput& in, bool replacing, OutputCheck& check) {
    static float channels[2][kMaxFrames];
    const int32_t frames = in.byte() * 2 % (kMaxFrames + 1);
    const float level = in.value();
    check.input(level);
    for (float* channel : channels) std::fill(channel, channel + frames, level);
    float* inputs[2] = {channels[0], channels[1]};
    processChecked(e, inputs, frames, replacing, check);
}

void dispatchOne(AEffect* e, FuzzInput& in, Buffers& b) {
    const int32_t opcode = static_cast<int32_t>(in.byte()) - 8;  // a few below 0 and past the end
    const int32_t index = in.byte() % 4 == 0 ? in.int32() : static_cast<int32_t>(in.byte()) - 4;
    intptr_t value = in.byte() % 4 == 0 ? in.int32() : static_cast<intptr_t>(in.byte()) - 4;
    const float opt = in.value();
    std::memset(b.main, 0, sizeof b.main);
    in.text(b.main, kBufferSize);
    void* ptr = in.byte() % 8 == 0 ? nullptr : b.main;
    switch (opcode) {
        case effClose:
            return;  // the instance ends with the input
        case effEditOpen:
            ptr = in.byte() % 4 == 0 ? nullptr : fakeParentWindow();
            break;
        case effProcessEvents:
            fillEvents(in, b);
            ptr = in.byte() % 8 == 0 ? nullptr : &b.events;
            break;
        case effSetChunk:
            value = std::abs(value) % static_cast<intptr_t>(kBufferSize);
            break;
        case effGetSpeakerArrangement:
        case effSetSpeakerArrangement:
            value = reinterpret_cast<intptr_t>(b.extra);
            break;
        default:
            break;
    }
    dispatch(e, opcode, index, value, ptr, opt);
    b.main[kBufferSize - 1] = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    headless::reset();
    reentry = Reentry();
    FuzzInput in(data, size);
    // Decoding the real artwork is most of an instance's cost: inputs whose size is a multiple of
    // 32 have it, the rest an editor without images, which runs the same editor code many times
    // faster. The size, not a byte, chooses, so that the committed seeds keep their meaning.
    if (size % 32 != 0) skipEditorArtwork();
    AEffect* e = createEffect(reenteringHost);
    if (!e) return 0;
    static Buffers buffers;
    OutputCheck check;
    for (int step = 0; step < 256 && !in.empty(); ++step) {
        switch (in.byte() % 8) {
            case 0: {
                const int32_t index = static_cast<int32_t>(in.byte()) - 4;
                setParameterChecked(e, index, in.value(), check);
                break;
            }
            case 1:
                (void)e->getParameter(e, static_cast<int32_t>(in.byte()) - 4);
                break;
            case 2:
                processBlock(e, in, in.byte() & 1, check);
                break;
            case 3:
                planReentry(in);
                break;
            case 4:
                useWindow(e, in);
                break;
            default:
                dispatchOne(e, in, buffers);
        }
    }
    dispatch(e, effEditClose);
    dispatch(e, effClose);
    return 0;
}
