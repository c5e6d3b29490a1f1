// Reading and writing audio files through libsndfile; a writer only ever leaves a complete file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sf_private_tag;

namespace brindlet {

struct AudioFormat {
    int32_t sampleRate = 44100;
    int32_t channels = 2;
    int32_t format = 0;  // libsndfile's major | subtype
};

class AudioReader {
public:
    AudioReader() = default;
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    bool open(const std::string& path, std::string& error);
    const AudioFormat& format() const { return format_; }
    // The length the header declares; for compressed streams (MP3) only an estimate.
    int64_t frames() const { return frames_; }
    // Whether frames() is an estimate, so reading to the end is the only true length.
    bool lengthIsEstimate() const;
    // The length the header claimed when the data turned out shorter (a cut-off file, which
    // libsndfile quietly reads as far as it goes); otherwise frames().
    int64_t declaredFrames() const { return declaredFrames_; }
    // Reads up to `frames` interleaved frames; answers how many were read (0 at the end).
    int64_t read(float* interleaved, int64_t frames);
    // Whether libsndfile saw an error so far, and its text.
    bool failed() const;
    std::string errorText() const;

private:
    sf_private_tag* file_ = nullptr;
    AudioFormat format_;
    int64_t frames_ = 0;
    int64_t declaredFrames_ = 0;
};

// Writes into a hidden temporary file next to the target; commit() renames it into place, and
// anything short of that removes it. A symbolic link stays and its file is replaced; targets that
// are not regular files are refused.
class AudioWriter {
public:
    AudioWriter() = default;
    ~AudioWriter();
    AudioWriter(const AudioWriter&) = delete;
    AudioWriter& operator=(const AudioWriter&) = delete;

    bool open(const std::string& path, const AudioFormat& format, std::string& error);
    // TPDF dither of one LSB peak to peak before rounding to an integer encoding; a fixed seed
    // keeps renders repeatable. No effect on float or compressed encodings.
    void setDither(bool on) { dither_ = on; }
    bool write(const float* interleaved, int64_t frames, std::string& error);
    bool commit(std::string& error);
    void discard();
    // Samples written so far that were NaN (written as 0) or infinite (written as full scale).
    int64_t nonFiniteSamples() const { return nonFinite_; }
    // Finite samples at or beyond full scale, which an integer or compressed encoding clips;
    // float encodings keep them.
    int64_t overSamples() const { return over_; }
    bool clips() const { return clips_; }
    // The largest finite magnitude written.
    float peak() const { return peak_; }
    // Root mean square of the finite samples written.
    double rms() const;

private:
    float triangularNoise();

    sf_private_tag* file_ = nullptr;
    std::string path_;        // as given, for messages
    std::string targetPath_;  // what the rename replaces: path_ with its links followed
    std::string tempPath_;
    AudioFormat format_;
    float integerScale_ = 0.0f;  // non-zero: samples are scaled here, not by libsndfile
    std::vector<float> scaled_;
    int64_t nonFinite_ = 0;
    int64_t over_ = 0;
    float peak_ = 0.0f;
    double sumSquares_ = 0.0;
    int64_t samples_ = 0;
    bool clips_ = false;
    bool dither_ = false;
    uint32_t noise_ = 0x9e3779b9u;
};

// Sample encodings --bits asks for; kKeep takes the input's where the container holds it.
enum class OutputBits { kKeep, k16, k24, k32, kFloat };

// The format to write `path` in, from its extension (wav, flac, aif/aiff, au, caf, w64, rf64,
// ogg/oga for Vorbis, opus, mp3). The sample encoding is `bits`, else the input's when it is
// plain PCM or float and the container takes it, else 24-bit PCM (compressed containers have
// their own). False with one line in `error` when the extension names no format the linked
// libsndfile writes, or the container cannot take this encoding, rate or channel count.
bool outputFormatFor(const std::string& path, int32_t inputFormat, int32_t channels,
                     int32_t sampleRate, OutputBits bits, int32_t& format, std::string& error);

// Bits of resolution of a format's encoding: 8, 16, 24, 32, or 0 for float and compressed ones.
int integerBitsOf(int32_t format);

// True when `a` and `b` name the same existing file (links and hard links included).
bool sameFile(const std::string& a, const std::string& b);

// ".NAME.PID.tmp" beside `target`: a name only this run uses, hidden from listings.
std::string hiddenTempPath(const std::string& target);

// The file an output to `path` really replaces: `path` itself or, for a symbolic link, the
// path the links finally lead to. False with one line in `error` when that exists and is not a
// regular file (a folder, device, pipe or socket), since replacing it would destroy it.
bool resolveOutputPath(const std::string& path, std::string& resolved, std::string& error);

// Checks that `path` could be written by replacing: it resolves (above), its folder exists and
// is writable. False with one line in `error` otherwise; `resolvedPath` gets the resolved path.
bool checkWritable(const std::string& path, std::string& error,
                   std::string* resolvedPath = nullptr);

// Writes a whole planar signal in one go (for the demo and tests).
bool writeAudioFile(const std::string& path, const AudioFormat& format,
                    const std::vector<std::vector<float>>& channels, std::string& error);

}  // namespace brindlet
