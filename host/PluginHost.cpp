// PluginHost: answers and records callback requests; a registry maps records to their hosts.
#include "host/PluginHost.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

namespace brindlet {

namespace {

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<AEffect*, PluginHost*>& registry() {
    static std::unordered_map<AEffect*, PluginHost*> map;
    return map;
}

// The host whose entry-point call is running on this thread; the plug-in's first requests
// arrive before its record is known.
thread_local PluginHost* loadingHost = nullptr;

PluginHost* findHost(AEffect* effect) {
    if (effect != nullptr) {
        std::lock_guard lock(registryMutex());
        auto found = registry().find(effect);
        if (found != registry().end()) return found->second;
    }
    return loadingHost;
}

// Requests from records nobody registered still get a sensible answer, just not recorded.
PluginHost& fallbackHost() {
    static PluginHost* host = [] {
        auto* h = new PluginHost;
        h->setRecording(false);
        return h;
    }();
    return *host;
}

// Plug-in texts are not trusted to be terminated.
std::string boundedText(const void* ptr) {
    if (ptr == nullptr) return {};
    const char* text = static_cast<const char*>(ptr);
    return std::string(text, strnlen(text, 256));
}

void writeText(void* ptr, const char* text) {
    if (ptr == nullptr) return;
    // The customary host string buffers hold 64 bytes; ours are far shorter.
    std::strncpy(static_cast<char*>(ptr), text, 63);
    static_cast<char*>(ptr)[63] = '\0';
}

bool hostCanDo(std::string_view text) {
    return text == "sendVstEvents" || text == "sendVstMidiEvent";
}

}  // namespace

PluginHost::PluginHost() = default;

PluginHost::~PluginHost() {
    std::lock_guard lock(registryMutex());
    for (auto it = registry().begin(); it != registry().end();) {
        it = it->second == this ? registry().erase(it) : std::next(it);
    }
    if (loadingHost == this) loadingHost = nullptr;
}

intptr_t PluginHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt) {
    PluginHost* host = findHost(effect);
    if (host == nullptr) host = &fallbackHost();
    return host->handle(effect, opcode, index, value, ptr, opt);
}

void PluginHost::overrideAnswer(int32_t opcode, intptr_t answer) {
    std::lock_guard lock(mutex_);
    overrides_[opcode] = answer;
}

void PluginHost::setObserver(std::function<void(const HostRequest&)> observer) {
    std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

std::vector<HostRequest> PluginHost::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

size_t PluginHost::countOf(int32_t opcode) const {
    std::lock_guard lock(mutex_);
    auto found = counts_.find(opcode);
    return found == counts_.end() ? 0 : found->second;
}

void PluginHost::clearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
    counts_.clear();
}

void PluginHost::attach(AEffect* effect) {
    if (effect == nullptr) return;
    std::lock_guard lock(registryMutex());
    registry()[effect] = this;
}

void PluginHost::detach(AEffect* effect) {
    std::lock_guard lock(registryMutex());
    auto found = registry().find(effect);
    if (found != registry().end() && found->second == this) registry().erase(found);
}

void PluginHost::beginLoading() {
    loadingHost = this;
}

void PluginHost::endLoading() {
    if (loadingHost == this) loadingHost = nullptr;
}

intptr_t PluginHost::handle(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt) {
    HostRequest request;
    request.opcode = opcode;
    request.index = index;
    request.value = value;
    request.opt = opt;
    request.nullEffect = effect == nullptr;
    request.effect = effect;
    if (opcode == audioMasterCanDo) request.text = boundedText(ptr);

    intptr_t result = 0;
    std::function<void(const HostRequest&)> observer;
    {
        std::lock_guard lock(mutex_);
        auto forced = overrides_.find(opcode);
        result = forced != overrides_.end() ? forced->second : answer(request, ptr);
        observer = observer_;
    }
    record(request);
    if (observer) observer(request);
    return result;
}

intptr_t PluginHost::answer(const HostRequest& request, void* ptr) const {
    switch (request.opcode) {
        case audioMasterVersion:
            return kHostVersion;
        case audioMasterWantMidi:
        case audioMasterGetLanguage:  // 1: English
        case audioMasterUpdateDisplay:
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            return 1;
        case audioMasterGetSampleRate:
            return static_cast<intptr_t>(sampleRate());
        case audioMasterGetBlockSize:
            return blockSize();
        case audioMasterGetVendorString:
            writeText(ptr, kVendor);
            return 1;
        case audioMasterGetProductString:
            writeText(ptr, kProduct);
            return 1;
        case audioMasterGetVendorVersion:
            return kVendorVersion;
        case audioMasterCanDo:
            return hostCanDo(request.text) ? 1 : 0;
        default:
            return 0;
    }
}

void PluginHost::record(HostRequest request) {
    if (!recording_.load(std::memory_order_relaxed)) return;
    std::lock_guard lock(mutex_);
    ++counts_[request.opcode];
    if (requests_.size() < kMaxKeptRequests) requests_.push_back(std::move(request));
}

}  // namespace brindlet
