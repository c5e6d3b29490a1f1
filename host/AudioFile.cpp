// AudioReader and AudioWriter. Integer encodings are scaled by a power of two both ways, so a
// file read and written unchanged comes out bit for bit the same.
#include "host/AudioFile.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace brindlet {

namespace {

// libsndfile reads integers as x / 2^(bits-1) but writes floats back as x * (2^(bits-1) - 1);
// we do the writing scale ourselves to keep the round trip exact.
float integerScaleFor(int32_t format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return 128.0f;
        case SF_FORMAT_PCM_16:
            return 32768.0f;
        case SF_FORMAT_PCM_24:
            return 8388608.0f;
        case SF_FORMAT_PCM_32:
            return 2147483648.0f;
        default:
            return 0.0f;
    }
}

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

AudioReader::~AudioReader() {
    if (file_ != nullptr) sf_close(file_);
}

bool AudioReader::open(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        error = path + ": no such file";
        return false;
    }
    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (file_ == nullptr) {
        error = path + ": cannot read audio (" + sf_strerror(nullptr) + ")";
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = path + ": has " + std::to_string(info.channels) +
                " channels; only mono and stereo files can be rendered";
        return false;
    }
    if (info.samplerate <= 0) {
        error = path + ": has no valid sample rate";
        return false;
    }
    format_ = {info.samplerate, info.channels, info.format};
    frames_ = info.frames;
    return true;
}

int64_t AudioReader::read(float* interleaved, int64_t frames) {
    return file_ == nullptr ? 0 : sf_readf_float(file_, interleaved, frames);
}

bool AudioReader::failed() const {
    return file_ != nullptr && sf_error(file_) != SF_ERR_NO_ERROR;
}

std::string AudioReader::errorText() const {
    return file_ == nullptr ? std::string("not open") : std::string(sf_strerror(file_));
}

AudioWriter::~AudioWriter() {
    discard();
}

bool AudioWriter::open(const std::string& path, const AudioFormat& format, std::string& error) {
    discard();
    SF_INFO info{};
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.format = format.format;
    if (!sf_format_check(&info)) {
        error = path + ": this audio format cannot be written";
        return false;
    }
    std::string resolved;
    if (!checkWritable(path, error, &resolved)) return false;
    // A link is kept: the file it names is what gets replaced.
    std::filesystem::path target(resolved);
    std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::string tempPath =
        (dir / ("." + target.filename().string() + "." + std::to_string(getpid()) + ".tmp"))
            .string();
    file_ = sf_open(tempPath.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr) {
        error = path + ": cannot write (" + sf_strerror(nullptr) + ")";
        return false;
    }
    path_ = path;
    targetPath_ = resolved;
    nonFinite_ = 0;
    tempPath_ = tempPath;
    format_ = format;
    integerScale_ = integerScaleFor(format.format);
    if (integerScale_ != 0.0f) {
        sf_command(file_, SFC_SET_NORM_FLOAT, nullptr, SF_FALSE);
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
    return true;
}

bool AudioWriter::write(const float* interleaved, int64_t frames, std::string& error) {
    if (file_ == nullptr) return false;
    // NaN would become a full-scale click in integer encodings (and stops the FLAC encoder), so
    // it is written as silence; infinity clips like any other over.
    float scale = integerScale_ != 0.0f ? integerScale_ : 1.0f;
    scaled_.resize(static_cast<size_t>(frames * format_.channels));
    for (size_t i = 0; i < scaled_.size(); ++i) {
        float sample = interleaved[i];
        if (!std::isfinite(sample)) {
            ++nonFinite_;
            sample = std::isnan(sample) ? 0.0f : std::copysign(1.0f, sample);
        }
        scaled_[i] = sample * scale;
    }
    if (sf_writef_float(file_, scaled_.data(), frames) != frames) {
        error = path_ + ": write failed (" + sf_strerror(file_) + ")";
        return false;
    }
    return true;
}

bool AudioWriter::commit(std::string& error) {
    if (file_ == nullptr) return false;
    int closed = sf_close(file_);
    file_ = nullptr;
    std::error_code ec;
    if (closed != 0) {
        error = path_ + ": could not finish writing";
    } else {
        std::filesystem::rename(tempPath_, targetPath_, ec);
        if (!ec) {
            tempPath_.clear();
            return true;
        }
        error = path_ + ": cannot write (" + ec.message() + ")";
    }
    std::filesystem::remove(tempPath_, ec);
    tempPath_.clear();
    return false;
}

void AudioWriter::discard() {
    if (file_ != nullptr) sf_close(file_);
    file_ = nullptr;
    if (!tempPath_.empty()) {
        std::error_code ec;
        std::filesystem::remove(tempPath_, ec);
        tempPath_.clear();
    }
}

bool resolveOutputPath(const std::string& path, std::string& resolved, std::string& error) {
    namespace fs = std::filesystem;
    constexpr int kMaxLinks = 40;  // the kernel's own limit
    fs::path current(path);
    std::error_code ec;
    for (int links = 0;; ++links) {
        fs::file_status status = fs::symlink_status(current, ec);
        switch (status.type()) {
            case fs::file_type::not_found:
            case fs::file_type::regular:
                resolved = current.string();
                return true;
            case fs::file_type::directory:
                error = path + ": cannot write (it is a directory)";
                return false;
            case fs::file_type::none:
                error = path + ": cannot write (" + ec.message() + ")";
                return false;
            case fs::file_type::symlink:
                break;
            default:
                // Devices, pipes and sockets would be swapped for a regular file by the rename.
                error = path + ": cannot write (not a regular file)";
                return false;
        }
        if (links == kMaxLinks) {
            error = path + ": cannot write (too many symbolic links)";
            return false;
        }
        fs::path link = fs::read_symlink(current, ec);
        if (ec) {
            error = path + ": cannot write (" + ec.message() + ")";
            return false;
        }
        current = link.is_absolute() ? link : current.parent_path() / link;
    }
}

bool checkWritable(const std::string& path, std::string& error, std::string* resolvedPath) {
    std::string resolved;
    if (!resolveOutputPath(path, resolved, error)) return false;
    std::filesystem::path target(resolved);
    std::filesystem::path dir = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        error = path + ": cannot write (no folder " + dir.string() + ")";
    } else if (access(dir.c_str(), W_OK) != 0) {
        error = path + ": cannot write (folder " + dir.string() + " is not writable)";
    } else {
        if (resolvedPath != nullptr) *resolvedPath = resolved;
        return true;
    }
    return false;
}

int32_t outputFormatFor(const std::string& path, int32_t inputFormat, int32_t channels) {
    std::string ext = lowerExtension(path);
    int32_t major = inputFormat & SF_FORMAT_TYPEMASK;
    if (ext == ".wav") major = SF_FORMAT_WAV;
    if (ext == ".flac") major = SF_FORMAT_FLAC;
    if (ext == ".aif" || ext == ".aiff") major = SF_FORMAT_AIFF;
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = major | (inputFormat & SF_FORMAT_SUBMASK);
    if (sf_format_check(&info)) return info.format;
    // The input's encoding does not fit this container; fall back to one every container takes.
    for (int32_t subtype : {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16}) {
        info.format = major | subtype;
        if (sf_format_check(&info)) return info.format;
    }
    return inputFormat;
}

bool writeAudioFile(const std::string& path, const AudioFormat& format,
                    const std::vector<std::vector<float>>& channels, std::string& error) {
    AudioWriter writer;
    if (!writer.open(path, format, error)) return false;
    size_t frames = channels.empty() ? 0 : channels[0].size();
    std::vector<float> interleaved(frames * channels.size());
    for (size_t c = 0; c < channels.size(); ++c)
        for (size_t i = 0; i < frames; ++i) interleaved[i * channels.size() + c] = channels[c][i];
    if (!writer.write(interleaved.data(), static_cast<int64_t>(frames), error)) return false;
    return writer.commit(error);
}

}  // namespace brindlet
