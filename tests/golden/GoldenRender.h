// Hashing of rendered bits and the choice of frame loop, for the golden tests.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "engine/FramePath.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {

constexpr float kGoldenSampleRate = 44100.0f;

// FNV-1a 64 over bit patterns, lowest byte first; a signal gives left and right of each frame
// in turn.
struct GoldenHash {
    uint64_t value = 14695981039346656037ull;
    void add(uint32_t bits) {
        for (int byte = 0; byte < 4; ++byte) {
            value ^= (bits >> (8 * byte)) & 0xFFu;
            value *= 1099511628211ull;
        }
    }
    void add(float v) { add(std::bit_cast<uint32_t>(v)); }
    void add(const StereoSignal& s) {
        for (std::size_t k = 0; k < s.left.size(); ++k) {
            add(s.left[k]);
            add(s.right[k]);
        }
    }
};

// Runs one copy of the frame loop while it lives, then goes back to the one running before.
class ForcedFramePath {
public:
    explicit ForcedFramePath(FramePath path) : previous_(activeFramePath()), path_(path) {
        forceFramePath(path);
    }
    ~ForcedFramePath() { forceFramePath(previous_); }
    ForcedFramePath(const ForcedFramePath&) = delete;
    ForcedFramePath& operator=(const ForcedFramePath&) = delete;

    // Every copy this build has and this CPU can run, the portable one first.
    static std::vector<FramePath> available() {
        std::vector<FramePath> paths;
        for (FramePath path : {FramePath::Portable, FramePath::X86_64_V3, FramePath::X86_64_V4})
            if (framePathAvailable(path)) paths.push_back(path);
        return paths;
    }
    const char* name() const {
        static const char* const names[] = {" (portable frame loop)", " (x86-64-v3 frame loop)",
                                            " (x86-64-v4 frame loop)"};
        return names[static_cast<int>(path_)];
    }

private:
    FramePath previous_;
    FramePath path_;
};

}  // namespace brindlet
