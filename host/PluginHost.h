// The host side of the VST 2.x callback: answers a plug-in's requests and records each one.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "include/vst2/aeffect.h"

namespace brindlet {

// One request a plug-in sent through the host callback, as it arrived.
struct HostRequest {
    int32_t opcode = 0;
    int32_t index = 0;
    intptr_t value = 0;
    float opt = 0.0f;  // for audioMasterAutomate: the new parameter value
    bool nullEffect = false;
    AEffect* effect = nullptr;
    std::string text;  // audioMasterCanDo: the asked text (bounded), else empty
};

// One host can serve several instances; each instance registers its record here so the plain
// callback function finds its host. Every member may be called from any thread.
class PluginHost {
public:
    static constexpr int32_t kHostVersion = 2400;
    static constexpr const char* kVendor = "Korvane";
    static constexpr const char* kProduct = "brindlet-render";
    static constexpr int32_t kVendorVersion = 1100;

    PluginHost();
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // The function handed to a module's entry point.
    static intptr_t VST2_CALL callback(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);

    void setSampleRate(float rate) { sampleRate_.store(rate, std::memory_order_relaxed); }
    float sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    void setBlockSize(int32_t frames) { blockSize_.store(frames, std::memory_order_relaxed); }
    int32_t blockSize() const { return blockSize_.load(std::memory_order_relaxed); }

    // Makes the host answer `answer` to `opcode` instead of its usual reply (tests use it to
    // refuse audioMasterVersion, for example).
    void overrideAnswer(int32_t opcode, intptr_t answer);
    // Called after each request is recorded, without the host's lock held, so it may call back
    // into the plug-in (for example to read a parameter while an automate request arrives).
    void setObserver(std::function<void(const HostRequest&)> observer);

    // The requests in arrival order, the first kMaxKeptRequests of them: a long render with
    // automation would otherwise grow the list without end. Counts are kept for all.
    static constexpr size_t kMaxKeptRequests = 100000;
    std::vector<HostRequest> requests() const;
    size_t countOf(int32_t opcode) const;
    void clearRequests();
    void setRecording(bool on) { recording_.store(on, std::memory_order_relaxed); }

    // Routing of the plain callback to this object. `beginLoading` covers the requests that
    // arrive while the entry point runs, before the record is known (the first comes with null).
    void attach(AEffect* effect);
    void detach(AEffect* effect);
    void beginLoading();
    void endLoading();

private:
    intptr_t handle(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                    float opt);
    intptr_t answer(const HostRequest& request, void* ptr) const;
    void record(HostRequest request);

    static_assert(std::atomic<float>::is_always_lock_free);
    static_assert(std::atomic<int32_t>::is_always_lock_free);
    std::atomic<float> sampleRate_{44100.0f};
    std::atomic<int32_t> blockSize_{512};
    std::atomic<bool> recording_{true};
    mutable std::mutex mutex_;
    std::vector<HostRequest> requests_;
    std::map<int32_t, size_t> counts_;
    std::map<int32_t, intptr_t> overrides_;
    std::function<void(const HostRequest&)> observer_;
};

}  // namespace brindlet
