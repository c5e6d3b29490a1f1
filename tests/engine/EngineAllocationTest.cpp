// Counts heap allocations: the audio path and the parameter/MIDI entries must make none, and a
// take buffer that cannot be allocated leaves an engine that still answers with the dry signal.
#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"
#include "tests/support/AllocationHooks.h"

using brindlet::test::allocationCount;
using brindlet::test::nothrowBudget;

namespace brindlet {
namespace {

TEST(EngineAllocation, AudioParameterAndMidiPathsNeverAllocate) {
    const StereoSignal in = test::demoSeconds(2.0f);
    StereoSignal out = in;
    test::CountingHost host;
    Engine engine(&host);
    host.engine = &engine;
    engine.mainsOn(44100.0f);

    const long probe = allocationCount.load();
    ::operator delete(::operator new(sizeof(int)));  // a call, which cannot be elided
    ASSERT_EQ(allocationCount.load(), probe + 1);    // the counting allocator is in place

    const long before = allocationCount.load();
    for (std::size_t start = 0, block = 0; start + 256 <= in.left.size(); start += 256, ++block) {
        test::applyPreset(engine, static_cast<int>(block / 40) % kNumFactoryPresets);
        if (block % 25 == 0) engine.midiMessage(0x90, static_cast<uint8_t>(30 + block % 31), 90);
        engine.midiMessage(0x80, 40, 20);
        (void)engine.getParameter(static_cast<int32_t>(block % kNumParams));
        const float* i[2] = {in.left.data() + start, in.right.data() + start};
        float* o[2] = {out.left.data() + start, out.right.data() + start};
        if (block % 2) {
            engine.process(i, o, 256);
        } else {
            engine.processReplacing(i, o, 256);
        }
    }
    EXPECT_EQ(allocationCount.load(), before);
    EXPECT_GT(host.feeds.load(), 0);
}

TEST(EngineAllocation, FailedBufferAllocationLeavesTheDrySignalUntilARetry) {
    const StereoSignal in = test::demoSeconds(0.5f);
    Engine engine(nullptr), reference(nullptr);
    engine.setParameter(kMix, 0.5f);
    reference.setParameter(kMix, 0.5f);
    nothrowBudget.store(0);
    engine.mainsOn(44100.0f);
    nothrowBudget.store(-1);
    const StereoSignal dry = test::render(engine, in, 512);
    for (std::size_t k = 0; k < in.left.size(); ++k) ASSERT_EQ(dry.left[k], 0.5f * in.left[k]);
    engine.mainsOn(44100.0f);  // the same rate is tried again
    reference.mainsOn(44100.0f);
    EXPECT_TRUE(test::sameBits(test::render(engine, in, 512), test::render(reference, in, 512)));
}

}  // namespace
}  // namespace brindlet
