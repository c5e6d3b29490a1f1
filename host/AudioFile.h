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
    int64_t frames() const { return frames_; }
    // Reads up to `frames` interleaved frames; answers how many were read (0 at the end).
    int64_t read(float* interleaved, int64_t frames);
    // Whether libsndfile saw an error so far, and its text.
    bool failed() const;
    std::string errorText() const;

private:
    sf_private_tag* file_ = nullptr;
    AudioFormat format_;
    int64_t frames_ = 0;
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
    bool write(const float* interleaved, int64_t frames, std::string& error);
    bool commit(std::string& error);
    void discard();
    // Samples written so far that were NaN (written as 0) or infinite (written as full scale).
    int64_t nonFiniteSamples() const { return nonFinite_; }

private:
    sf_private_tag* file_ = nullptr;
    std::string path_;        // as given, for messages
    std::string targetPath_;  // what the rename replaces: path_ with its links followed
    std::string tempPath_;
    AudioFormat format_;
    float integerScale_ = 0.0f;  // non-zero: samples are scaled here, not by libsndfile
    std::vector<float> scaled_;
    int64_t nonFinite_ = 0;
};

// The format to write `path` in: the extension's container if it names one we know (wav,
// flac, aif, aiff), otherwise the input's; the input's sample encoding where the container
// takes it.
int32_t outputFormatFor(const std::string& path, int32_t inputFormat, int32_t channels);

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
