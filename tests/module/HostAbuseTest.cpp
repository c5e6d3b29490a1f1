// The built module abused the way plug-in validators abuse it: odd block sizes, sample rates
// changing under it, parameters and programs from several threads at once, the editor opened and
// closed while audio runs, many instances, repeated loading. BRINDLET_SOAK_SECONDS stretches the
// timed parts into a soak.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"
#include "host/MidiEventList.h"
#ifdef BRINDLET_TEST_X11
#include "tests/support/x11/XvfbServer.h"
#endif

namespace brindlet::test {
namespace {

constexpr int32_t kMaxBlock = 8192;
// Far above anything the effect makes from full-scale input, far below overflow.
constexpr float kBound = 1.0e6f;

double soakSeconds(double normal) {
    const char* text = std::getenv("BRINDLET_SOAK_SECONDS");
    const double soak = text ? std::atof(text) : 0.0;
    return soak > 0.0 ? soak : normal;
}

// The editor's parent: a real top-level window on a private Xvfb, so the editor cycles run the
// module's X11 backend. Without Xvfb, any non-null pointer: the headless backend takes it, a
// window backend refuses it, and the cycles then only check that refusing is safe.
void* parentWindow() {
#ifdef BRINDLET_TEST_X11
    static XvfbServer* server = new XvfbServer;  // lives as long as the process
    static const Window window = [] {
        if (!server->display) return Window{0};
        Display* d = server->display;
        const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 500, 400, 0, 0, 0);
        XMapWindow(d, w);
        XSync(d, False);
        return w;
    }();
    if (window) return reinterpret_cast<void*>(static_cast<uintptr_t>(window));
#endif
    static int standIn;
    return &standIn;
}

long residentBytes() {
    long size = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Growth of resident memory is only measured without sanitizers: they hold freed memory back.
constexpr bool kMeasuresMemory =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    false;
#else
    true;
#endif

// Feeds `frames` of a bursty signal through one entry and checks the output.
void runBlock(AEffect* e, std::mt19937& random, int32_t frames, bool replacing) {
    static thread_local std::vector<float> buffers[4] = {
        std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock), std::vector<float>(kMaxBlock),
        std::vector<float>(kMaxBlock)};
    std::uniform_real_distribution<float> level(-1.0f, 1.0f);
    const bool loud = random() % 4 == 0;
    for (int32_t i = 0; i < frames; ++i) {
        buffers[0][i] = loud ? level(random) : 0.001f * level(random);
        buffers[1][i] = buffers[0][i];
        buffers[2][i] = buffers[3][i] = 0.0f;
    }
    float* inputs[2] = {buffers[0].data(), buffers[1].data()};
    float* outputs[2] = {buffers[2].data(), buffers[3].data()};
    if (replacing) {
        e->processReplacing(e, inputs, outputs, frames);
    } else {
        e->process(e, inputs, outputs, frames);
    }
    for (int c = 2; c < 4; ++c) {
        for (int32_t i = 0; i < frames; ++i) {
            ASSERT_LE(std::fabs(buffers[c][i]), kBound) << "frame " << i << " of " << frames;
        }
    }
}

int32_t randomBlockSize(std::mt19937& random) {
    const uint32_t kind = random() % 4;
    if (kind == 0) return static_cast<int32_t>(random() % (kMaxBlock + 1));
    if (kind == 1) return static_cast<int32_t>(random() % 8);
    if (kind == 2) return 2 * static_cast<int32_t>(random() % 64) + 1;  // odd
    return 1 << (random() % 14);
}

float randomRate(std::mt19937& random) {
    static const float rates[] = {8000.0f,  11025.0f, 22050.0f, 32000.0f,  44100.0f,
                                  48000.0f, 88200.0f, 96000.0f, 192000.0f, 384000.0f};
    return rates[random() % (sizeof rates / sizeof rates[0])];
}

using HostAbuseTest = ModuleTest;

// Processing before any effMainsChanged, block sizes 0 to 8192, rates from 8 to 384 kHz changed
// with and without a mains cycle, both process entries mixed.
TEST_F(HostAbuseTest, BlockSizesRatesAndEntriesAtRandom) {
    std::mt19937 random(12);
    AEffect* e = effect();
    for (int i = 0; i < 4; ++i) runBlock(e, random, randomBlockSize(random), i % 2 == 0);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(soakSeconds(4.0) / 4.0);
    int64_t blocks = 0;
    int64_t mainsCycles = 0;
    while (std::chrono::steady_clock::now() < end || blocks < 100) {
        switch (random() % 16) {
            case 0:
                dispatch(effMainsChanged, 0, 0);
                dispatch(effSetSampleRate, 0, 0, nullptr, randomRate(random));
                dispatch(effSetBlockSize, 0, randomBlockSize(random));
                dispatch(effMainsChanged, 0, 1);
                ++mainsCycles;
                break;
            case 1:
                dispatch(effSetSampleRate, 0, 0, nullptr, randomRate(random));
                break;
            case 2:
                plugin->setProgram(static_cast<int32_t>(random() % 16));
                break;
            default:
                runBlock(e, random, randomBlockSize(random), random() % 3 != 0);
                if (HasFatalFailure()) return;
                ++blocks;
        }
    }
    std::printf("%lld blocks, %lld mains cycles with a new rate\n", static_cast<long long>(blocks),
                static_cast<long long>(mainsCycles));
}

// Audio, three automation threads, program churn with renames and editor cycles, all at once.
TEST_F(HostAbuseTest, EverythingAtOnceFromSeveralThreads) {
    plugin->start(44100.0f, 512);
    AEffect* e = effect();
    std::atomic<bool> stop{false};
    std::atomic<int64_t> blocks{0};
    std::atomic<int64_t> parameterCalls{0};
    std::atomic<int64_t> programChanges{0};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        std::mt19937 random(1);
        while (!stop.load()) {
            runBlock(e, random, randomBlockSize(random) % 2048, random() % 2 == 0);
            blocks.fetch_add(1);
        }
    });
    for (uint32_t seed = 2; seed < 5; ++seed) {
        threads.emplace_back([&, seed] {
            std::mt19937 random(seed);
            const float odd[] = {NAN, INFINITY, -INFINITY, 1e-42f, 3e38f, -1.0f, 2.0f};
            while (!stop.load()) {
                const int32_t index = static_cast<int32_t>(random() % 16);
                const float v = random() % 8 == 0 ? odd[random() % 7]
                                                  : static_cast<float>(random() % 1001) / 1000.0f;
                e->setParameter(e, index, v);
                (void)e->getParameter(e, index);
                parameterCalls.fetch_add(1, std::memory_order_relaxed);
            }
        });
    }
    threads.emplace_back([&] {
        std::mt19937 random(5);
        char name[64];
        while (!stop.load()) {
            dispatch(effSetProgram, 0, static_cast<intptr_t>(random() % 16));
            std::snprintf(name, sizeof name, "abuse %u", static_cast<unsigned>(random() % 1000));
            dispatch(effSetProgramName, 0, 0, name);
            dispatch(effGetProgramName, 0, 0, name);
            programChanges.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    // This thread is the host's window thread: the editor opens, idles and closes.
    const auto begin = std::chrono::steady_clock::now();
    const auto end = begin + std::chrono::duration<double>(soakSeconds(3.0));
    int64_t cycles = 0;
    int64_t opens = 0;
    int32_t files = 0;
    long resident = 0;
    // Real windows under ThreadSanitizer take a fifth of a second a cycle: the count has a floor
    // so that growth is always measured over cycles past the first 20.
    constexpr int64_t kMinCycles = 40;
    while (std::chrono::steady_clock::now() < end || cycles < kMinCycles) {
        if (cycles == 20) {  // the first cycles fill caches that stay for the process
            files = openFileCount();
            resident = residentBytes();
        }
        const intptr_t opened = dispatch(effEditOpen, 0, 0, parentWindow());
        EXPECT_TRUE(opened == 0 || opened == 1);
        opens += opened;
        for (int i = 0; i < 5; ++i) dispatch(effEditIdle);
        dispatch(effEditClose);
        dispatch(effEditOpen, 0, 0, nullptr);  // refused
        ++cycles;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    stop.store(true);
    for (std::thread& t : threads) t.join();
    EXPECT_GT(blocks.load(), 10);
    ASSERT_GT(cycles, 20);
    EXPECT_EQ(openFileCount(), files) << "file descriptors grew over the editor cycles";
    const long growth = residentBytes() - resident;
    if (kMeasuresMemory) {
        EXPECT_LT(growth, 8L << 20) << "memory grew over " << cycles << " editor cycles";
    }
    std::printf(
        "%.0f s: %lld blocks, %lld parameter calls, %lld program changes, %lld editor "
        "cycles (%lld opened a window); resident memory %+ld KiB after the first 20 cycles\n",
        seconds, static_cast<long long>(blocks.load()),
        static_cast<long long>(parameterCalls.load()),
        static_cast<long long>(programChanges.load()), static_cast<long long>(cycles),
        static_cast<long long>(opens), growth / 1024);
}

// Hosts that call back into the module from inside its requests: closing the editor from inside
// audioMasterUpdateDisplay (after the host itself sets a preset index), or from inside
// audioMasterAutomate (a note), and changing the program from inside audioMasterAutomate.
TEST_F(HostAbuseTest, ReentrantHostRequests) {
    plugin->start(44100.0f, 256);
    if (dispatch(effEditOpen, 0, 0, parentWindow()) == 0) {
        GTEST_SKIP() << "no window to open the editor in (is Xvfb installed?)";
    }
    struct Step {
        int32_t on;
        int32_t opcode;
        intptr_t value;
    };
    for (const Step step : {Step{audioMasterUpdateDisplay, effEditClose, 0},
                            Step{audioMasterAutomate, effEditClose, 0},
                            Step{audioMasterAutomate, effSetProgram, 5}}) {
        SCOPED_TRACE(step.on);
        dispatch(effEditOpen, 0, 0, parentWindow());
        std::atomic<int32_t> nested{0};
        host.setObserver([&](const HostRequest& r) {
            if (r.opcode == step.on && nested.fetch_add(1) == 0) {
                EXPECT_EQ(dispatch(step.opcode, 0, step.value), 0);
            }
        });
        if (step.on == audioMasterUpdateDisplay) {
            plugin->setParameter(22 + 3, 1.0f);  // the editor's preset action, set by the host
        } else {
            MidiEventList events;
            events.noteOn(0, 48, 100);
            plugin->processEvents(events.get());
        }
        host.setObserver(nullptr);
        EXPECT_EQ(nested.load(), 1);
        if (step.opcode == effSetProgram) {
            EXPECT_EQ(plugin->program(), 5);
        }
        dispatch(effEditIdle);
        dispatch(effEditClose);
        dispatch(effEditClose);
    }
}

TEST(HostAbuseModuleTest, SixteenInstancesInOneProcess) {
    auto module = loadedModule();
    ASSERT_TRUE(module);
    PluginHost host;
    std::vector<std::unique_ptr<PluginInstance>> instances;
    std::string error;
    for (int32_t i = 0; i < 16; ++i) {
        instances.push_back(PluginInstance::create(module, host, error));
        ASSERT_TRUE(instances.back()) << error;
        instances.back()->start(i % 2 ? 48000.0f : 44100.0f, 256);
        instances.back()->setProgram(i % 8);
        instances.back()->dispatcher(effEditOpen, 0, 0, parentWindow());
    }
    std::mt19937 random(16);
    for (int32_t block = 0; block < 40; ++block) {
        for (auto& p : instances) {
            runBlock(p->effect(), random, 256, true);
            if (::testing::Test::HasFatalFailure()) return;
        }
        if (block % 10 == 0) {
            for (auto& p : instances) p->dispatcher(effEditIdle);
        }
    }
    for (auto& p : instances) p->dispatcher(effEditClose);
}

// Loading, using and unloading the module a hundred times leaves no file descriptor behind and,
// without sanitizers holding freed memory back, no growing memory.
TEST(HostAbuseModuleTest, LoadAndUnloadAHundredTimes) {
    // Cairo and pixman keep tables for the life of the process; kept loaded, they are not
    // counted as ours.
    void* cairo = dlopen("libcairo.so.2", RTLD_NOW | RTLD_NODELETE);
    ASSERT_NE(cairo, nullptr);
    auto cycle = [](int32_t n) {
        std::string error;
        auto module = PluginModule::load(modulePath(), error);
        ASSERT_TRUE(module) << error;
        PluginHost host;
        auto plugin = PluginInstance::create(module, host, error);
        ASSERT_TRUE(plugin) << error;
        plugin->start(44100.0f, 128);
        if (n % 10 == 0) plugin->dispatcher(effEditOpen, 0, 0, parentWindow());
        std::mt19937 random(static_cast<uint32_t>(n));
        for (int i = 0; i < 4; ++i) runBlock(plugin->effect(), random, 128, true);
        plugin->dispatcher(effEditClose);
    };
    for (int32_t n = 0; n < 10; ++n) cycle(n);
    const int32_t files = openFileCount();
    const long before = residentBytes();
    for (int32_t n = 10; n < 100; ++n) {
        cycle(n);
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(openFileCount(), files);
    if (kMeasuresMemory) {
        EXPECT_LT(residentBytes() - before, 4L << 20) << "memory grew over 90 cycles";
    }
    dlclose(cairo);
}

}  // namespace
}  // namespace brindlet::test
