// AudioReader and AudioWriter. Integer encodings are scaled by a power of two both ways, so a
// file read and written unchanged comes out bit for bit the same.
#include "host/AudioFile.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
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

bool isLossy(int32_t format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_VORBIS:
        case SF_FORMAT_OPUS:
        case SF_FORMAT_MPEG_LAYER_I:
        case SF_FORMAT_MPEG_LAYER_II:
        case SF_FORMAT_MPEG_LAYER_III:
            return true;
        default:
            return false;
    }
}

// Encodings an output may inherit from its input: plain samples, nothing a codec shaped.
bool isPlainEncoding(int32_t format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32:
        case SF_FORMAT_FLOAT:
        case SF_FORMAT_DOUBLE:
            return true;
        default:
            return false;
    }
}

struct Container {
    const char* extension;
    int32_t major;
    int32_t ownEncoding;  // 0: takes PCM and float encodings
    const char* name;
};

constexpr Container kContainers[] = {
    {".wav", SF_FORMAT_WAV, 0, "WAV"},
    {".flac", SF_FORMAT_FLAC, 0, "FLAC"},
    {".aif", SF_FORMAT_AIFF, 0, "AIFF"},
    {".aiff", SF_FORMAT_AIFF, 0, "AIFF"},
    {".au", SF_FORMAT_AU, 0, "AU"},
    {".caf", SF_FORMAT_CAF, 0, "CAF"},
    {".w64", SF_FORMAT_W64, 0, "Wave64"},
    {".rf64", SF_FORMAT_RF64, 0, "RF64"},
    {".ogg", SF_FORMAT_OGG, SF_FORMAT_VORBIS, "Ogg/Vorbis"},
    {".oga", SF_FORMAT_OGG, SF_FORMAT_VORBIS, "Ogg/Vorbis"},
    {".opus", SF_FORMAT_OGG, SF_FORMAT_OPUS, "Ogg/Opus"},
    {".mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III, "MP3"},
};

int32_t encodingFor(OutputBits bits) {
    switch (bits) {
        case OutputBits::k16:
            return SF_FORMAT_PCM_16;
        case OutputBits::k24:
            return SF_FORMAT_PCM_24;
        case OutputBits::k32:
            return SF_FORMAT_PCM_32;
        case OutputBits::kFloat:
            return SF_FORMAT_FLOAT;
        case OutputBits::kKeep:
            break;
    }
    return 0;
}

// Opus in libsndfile encodes only at the rates the codec runs at natively.
bool opusRate(int32_t rate) {
    return rate == 8000 || rate == 12000 || rate == 16000 || rate == 24000 || rate == 48000;
}

// libsndfile notes a data chunk longer than the file as "data : 16000 (should be 6000)" in its
// log and then reads what is there; the claimed length is scaled from those byte counts.
int64_t declaredLength(SNDFILE* file, int64_t frames) {
    std::string log(16384, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(std::strlen(log.c_str()));
    for (const char* chunk : {"\ndata : ", "\nSSND : "}) {
        size_t at = log.find(chunk);
        if (at == std::string::npos) continue;
        long long claimed = 0, real = 0;
        if (std::sscanf(log.c_str() + at + std::strlen(chunk), "%lld (should be %lld)", &claimed,
                        &real) == 2 &&
            real > 0 && claimed > real)
            return static_cast<int64_t>(static_cast<double>(frames) * static_cast<double>(claimed) /
                                        static_cast<double>(real));
    }
    return frames;
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
    declaredFrames_ = declaredLength(file_, frames_);
    return true;
}

bool AudioReader::lengthIsEstimate() const {
    return (format_.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG || isLossy(format_.format);
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
    std::string tempPath = hiddenTempPath(resolved);
    file_ = sf_open(tempPath.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr) {
        error = path + ": cannot write (" + sf_strerror(nullptr) + ")";
        // libsndfile may have created the file before it gave up on the format.
        std::error_code ec;
        std::filesystem::remove(tempPath, ec);
        return false;
    }
    path_ = path;
    targetPath_ = resolved;
    nonFinite_ = 0;
    over_ = 0;
    peak_ = 0.0f;
    sumSquares_ = 0.0;
    samples_ = 0;
    int32_t subtype = format.format & SF_FORMAT_SUBMASK;
    clips_ = subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE;
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
        if (std::isfinite(sample)) {
            float magnitude = std::fabs(sample);
            peak_ = std::max(peak_, magnitude);
            // -1 is the lowest integer code; +1 is one step above the highest.
            if (sample >= 1.0f || sample < -1.0f) ++over_;
            sumSquares_ += static_cast<double>(magnitude) * magnitude;
        } else {
            ++nonFinite_;
            sample = std::isnan(sample) ? 0.0f : std::copysign(1.0f, sample);
        }
        scaled_[i] = sample * scale;
        if (integerScale_ != 0.0f) {
            // libsndfile's conversion rounds negative values down, a half-step bias; rounding
            // here to the nearest code leaves it whole numbers to pass through.
            if (dither_) scaled_[i] += triangularNoise();
            scaled_[i] = std::nearbyint(scaled_[i]);
        }
    }
    samples_ += static_cast<int64_t>(scaled_.size());
    if (sf_writef_float(file_, scaled_.data(), frames) != frames) {
        error = path_ + ": write failed (" + sf_strerror(file_) + ")";
        return false;
    }
    return true;
}

double AudioWriter::rms() const {
    return samples_ == 0 ? 0.0 : std::sqrt(sumSquares_ / static_cast<double>(samples_));
}

float AudioWriter::triangularNoise() {
    // Two uniform values in [0, 1) from xorshift32; their difference spans one LSB each way.
    auto next = [this] {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 17;
        noise_ ^= noise_ << 5;
        return static_cast<float>(noise_ >> 8) * (1.0f / 16777216.0f);
    };
    float a = next();
    return a - next();
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

std::string hiddenTempPath(const std::string& target) {
    std::filesystem::path path(target);
    std::filesystem::path dir = path.has_parent_path() ? path.parent_path() : ".";
    // Appending only: GCC 12 at -O2 misreads `"." + string` (an insert at 0) as an overlapping
    // copy and warns with -Wrestrict.
    std::string name = ".";
    name.append(path.filename().string()).append(".").append(std::to_string(getpid()));
    name.append(".tmp");
    return (dir / name).string();
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

bool outputFormatFor(const std::string& path, int32_t inputFormat, int32_t channels,
                     int32_t sampleRate, OutputBits bits, int32_t& format, std::string& error) {
    std::string ext = lowerExtension(path);
    const Container* container = nullptr;
    for (const auto& known : kContainers)
        if (ext == known.extension) container = &known;
    if (container == nullptr) {
        error = path + ": cannot tell the format from " +
                (ext.empty() ? std::string("a name without an extension")
                             : "the extension '" + ext + "'") +
                "; use .wav, .flac, .aif, .aiff, .au, .caf, .w64, .rf64, .ogg, .opus or .mp3";
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = container->major | container->ownEncoding;
    if (container->ownEncoding != 0) {
        if (bits != OutputBits::kKeep) {
            error = path + ": " + container->name + " has its own encoding; --bits does not apply";
            return false;
        }
    } else if (bits != OutputBits::kKeep) {
        info.format = container->major | encodingFor(bits);
    } else {
        info.format = container->major | (inputFormat & SF_FORMAT_SUBMASK);
        if (!isPlainEncoding(inputFormat) || !sf_format_check(&info))
            info.format = container->major | SF_FORMAT_PCM_24;
    }
    if (container->ownEncoding == SF_FORMAT_OPUS && !opusRate(sampleRate)) {
        error = path + ": Opus is written at 8000, 12000, 16000, 24000 or 48000 Hz, not " +
                std::to_string(sampleRate) + " Hz";
        return false;
    }
    if (!sf_format_check(&info)) {
        error = path + ": this libsndfile cannot write " + container->name +
                (container->ownEncoding == 0 && bits != OutputBits::kKeep
                     ? " with that --bits"
                     : " at " + std::to_string(sampleRate) + " Hz, " + std::to_string(channels) +
                           " channel(s)");
        return false;
    }
    format = info.format;
    return true;
}

int integerBitsOf(int32_t format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8:
            return 8;
        case SF_FORMAT_PCM_16:
            return 16;
        case SF_FORMAT_PCM_24:
            return 24;
        case SF_FORMAT_PCM_32:
            return 32;
        default:
            return 0;
    }
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
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
