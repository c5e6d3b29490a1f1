// The host callback under requests from several threads at once, with a reader alongside.
#include <atomic>
#include <thread>
#include <vector>

#include "tests/host/HostTestSupport.h"

namespace brindlet {
namespace {

using PluginHostThreads = test::FakeInstanceTest;

TEST_F(PluginHostThreads, RecordsEveryRequestFromEveryThread) {
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
