// MidiFile: chunk walk, event decoding with running status, then ticks to seconds through the
// merged tempo map.
#include "host/MidiFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace brindlet {

namespace {

constexpr size_t kMaxEvents = 4'000'000;  // a sane bound on what a render could ever use

struct TickEvent {
    uint64_t tick = 0;
    uint32_t tempo = 0;  // microseconds per quarter note; 0 for a note event
    uint8_t note = 0;
    uint8_t velocity = 0;
};

class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return at_ >= size_; }
    bool byte(uint8_t& value) {
        if (at_ >= size_) return false;
        value = data_[at_++];
        return true;
    }
    bool peek(uint8_t& value) const {
        if (at_ >= size_) return false;
        value = data_[at_];
        return true;
    }
    bool skip(uint64_t count) {
        if (count > size_ - at_) return false;
        at_ += static_cast<size_t>(count);
        return true;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    bool vlq(uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = 0;
            if (!byte(b)) return false;
            value = (value << 7) | (b & 0x7f);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
    const uint8_t* here() const { return data_ + at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

uint32_t bigEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

bool readMeta(Cursor& track, uint64_t tick, std::vector<TickEvent>& events) {
    uint8_t type = 0;
    uint32_t length = 0;
    if (!track.byte(type) || !track.vlq(length)) return false;
    if (type == 0x51 && length == 3) {
        const uint8_t* p = track.here();
        if (!track.skip(3)) return false;
        uint32_t tempo = bigEndian(p, 3);
        if (tempo > 0) events.push_back({tick, tempo, 0, 0});
        return true;
    }
    return track.skip(length);
}

bool cutOff(std::string& error) {
    error = "a track ends in the middle of an event";
    return false;
}

bool readTrack(Cursor track, std::vector<TickEvent>& events, std::string& error) {
    uint64_t tick = 0;
    uint8_t status = 0;
    while (!track.done()) {
        uint32_t delta = 0;
        uint8_t first = 0;
        if (!track.vlq(delta) || !track.peek(first)) return cutOff(error);
        tick += delta;
        if (first & 0x80) {
            track.byte(first);
            if (first == 0xff) {
                if (!readMeta(track, tick, events)) return cutOff(error);
                continue;
            }
            if (first == 0xf0 || first == 0xf7) {
                uint32_t length = 0;
                if (!track.vlq(length) || !track.skip(length)) return cutOff(error);
                continue;
            }
            if (first >= 0xf0) {  // system common messages do not belong in files
                error = "a system message inside a track";
                return false;
            }
            status = first;
        } else if (status == 0) {
            error = "data without a status byte";
            return false;
        }
        uint8_t kind = status & 0xf0;
        uint8_t a = 0, b = 0;
        if (!track.byte(a)) return cutOff(error);
        if (kind != 0xc0 && kind != 0xd0 && !track.byte(b)) return cutOff(error);
        if ((a | b) & 0x80) {
            error = "a data byte over 127";
            return false;
        }
        if (kind == 0x90 || kind == 0x80) {
            if (events.size() >= kMaxEvents) {
                error = "more than " + std::to_string(kMaxEvents) + " events";
                return false;
            }
            events.push_back({tick, 0, a, kind == 0x90 ? b : uint8_t{0}});
        }
    }
    return true;
}

bool readChunks(const std::vector<uint8_t>& data, uint16_t& division,
                std::vector<TickEvent>& events, std::string& error) {
    if (data.size() < 14 || std::string(data.begin(), data.begin() + 4) != "MThd" ||
        bigEndian(data.data() + 4, 4) < 6) {
        error = "not a Standard MIDI File (no MThd header)";
        return false;
    }
    uint32_t format = bigEndian(data.data() + 8, 2);
    division = static_cast<uint16_t>(bigEndian(data.data() + 12, 2));
    if (format > 1) {
        error = "format " + std::to_string(format) + " files (independent songs) are not read";
        return false;
    }
    if (division == 0) {
        error = "a time division of zero";
        return false;
    }
    size_t at = 8 + bigEndian(data.data() + 4, 4);
    while (at < data.size()) {
        if (data.size() - at < 8) {
            error = "a chunk header is cut off";
            return false;
        }
        uint32_t length = bigEndian(data.data() + at + 4, 4);
        if (length > data.size() - at - 8) {
            error = "a chunk is longer than the file";
            return false;
        }
        if (std::string(data.begin() + static_cast<long>(at),
                        data.begin() + static_cast<long>(at) + 4) == "MTrk" &&
            !readTrack(Cursor(data.data() + at + 8, length), events, error))
            return false;
        at += 8 + length;
    }
    return true;
}

}  // namespace

bool parseMidiFile(const std::vector<uint8_t>& data, std::vector<MidiFileNote>& notes,
                   std::string& error) {
    uint16_t division = 0;
    std::vector<TickEvent> events;
    if (!readChunks(data, division, events, error)) return false;
    // Tempo changes sort before notes at the same tick, so a note hears its own tick's tempo.
    std::stable_sort(events.begin(), events.end(), [](const TickEvent& x, const TickEvent& y) {
        return x.tick != y.tick ? x.tick < y.tick : x.tempo > y.tempo;
    });
    double secondsPerTick = 0.5 / division;  // 120 beats per minute until told otherwise
    bool smpte = (division & 0x8000) != 0;
    if (smpte) {
        int framesPerSecond = -static_cast<int8_t>(division >> 8);
        int ticksPerFrame = division & 0xff;
        if (framesPerSecond <= 0 || ticksPerFrame == 0) {
            error = "a damaged SMPTE time division";
            return false;
        }
        secondsPerTick = 1.0 / (framesPerSecond * ticksPerFrame);
    }
    notes.clear();
    uint64_t lastTick = 0;
    double seconds = 0.0;
    for (const auto& event : events) {
        seconds += static_cast<double>(event.tick - lastTick) * secondsPerTick;
        lastTick = event.tick;
        if (event.tempo == 0)
            notes.push_back({seconds, event.note, event.velocity});
        else if (!smpte)
            secondsPerTick = event.tempo * 1e-6 / division;
    }
    return true;
}

bool readMidiFile(const std::string& path, std::vector<MidiFileNote>& notes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    if (!parseMidiFile(data, notes, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace brindlet
