// The host callback under requests from several threads at once, with a reader alongside.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/PluginInstance.h"
#include "tests/host/FakeModules.h"

namespace brindlet {
namespace {

TEST(PluginHostThreads, RecordsEveryRequestFromEveryThread) {
    std::string error;
    auto module = PluginModule::load(test::fakeModule("good"), error);
    ASSERT_TRUE(module) << error;
    PluginHost host;
    auto plugin = PluginInstance::create(module, host, error);
    ASSERT_TRUE(plugin) << error;
    host.clearRequests();

    constexpr int kThreads = 4;
    constexpr int kRequests = 2000;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        while (!done.load()) (void)host.countOf(audioMasterAutomate);
    });
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([&, t] {
            for (int i = 0; i < kRequests; ++i)
                PluginHost::callback(plugin->effect(), audioMasterAutomate, t, 0, nullptr,
                                     static_cast<float>(i));
        });
    }
    for (auto& sender : senders) sender.join();
    done = true;
    reader.join();

    auto requests = host.requests();
    ASSERT_EQ(requests.size(), static_cast<size_t>(kThreads * kRequests));
    std::vector<int> last(kThreads, -1);
    for (const auto& request : requests) {
        // Each thread's own requests stay in the order it sent them.
        ASSERT_EQ(static_cast<int>(request.opt), last[request.index] + 1);
        last[request.index] = static_cast<int>(request.opt);
    }
}

}  // namespace
}  // namespace brindlet
