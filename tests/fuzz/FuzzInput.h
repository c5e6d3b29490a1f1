// Reads typed values off a fuzzer's byte stream; past the end everything reads as zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace brindlet::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool empty() const { return position >= size; }
    uint8_t byte() { return position < size ? data[position++] : 0; }
    int32_t int32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return static_cast<int32_t>(v);
    }
    // Mostly ordinary values, but every awkward float a host can send turns up.
    float value() {
        switch (byte() % 12) {
            case 0:
                return std::numeric_limits<float>::quiet_NaN();
            case 1:
                return std::numeric_limits<float>::infinity();
            case 2:
                return -std::numeric_limits<float>::infinity();
            case 3:
                return 1e-42f;  // denormal
            case 4:
                return -3.0e38f;
            case 5: {
                const uint32_t bits = static_cast<uint32_t>(int32());
                float f;
                std::memcpy(&f, &bits, sizeof f);
                return f;
            }
            default:
                return static_cast<float>(byte()) / 255.0f;
        }
    }
    // Copies up to `capacity` - 1 bytes into `out` and terminates it.
    void text(char* out, size_t capacity) {
        const size_t n = byte() % capacity;
        size_t i = 0;
        for (; i < n && !empty(); ++i) out[i] = static_cast<char>(byte());
        out[i] = '\0';
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

}  // namespace brindlet::fuzz

namespace brindlet::fuzz {

// What the effect promises of its output: finite and within a fixed gain of the largest input
// so far, as long as that input stays within `kSaneInput` (about 120 dB above full scale; far
// beyond it the sum of dry and wet may overflow single precision, as any mixer's would) and the
// host keeps the parameters in 0..1 (a Mix of -3e38 asks for a gain of 3e38).
class OutputCheck {
public:
    static constexpr float kSaneInput = 1.0e6f;
    static constexpr float kGain = 64.0f;

    void input(float level) {
        const float magnitude = level < 0.0f ? -level : level;
        if (!(magnitude <= kSaneInput)) sane = false;
        if (magnitude > largest) largest = magnitude;
    }
    // A value that is not a number is ignored by the effect, so it ends nothing.
    void parameter(float value) {
        if (value < 0.0f || value > 1.0f) sane = false;
    }
    bool accepts(float out) const {
        if (!sane) return true;
        const float limit = kGain * (largest > 1.0f ? largest : 1.0f);
        return out >= -limit && out <= limit;
    }

private:
    bool sane = true;
    float largest = 0.0f;
};

}  // namespace brindlet::fuzz
