// BatchRender: a shared queue of renders drained by worker threads; the bar and table stay on
// the main thread.
#include "host/BatchRender.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>
#include <vector>

#include "host/DemoRender.h"
#include "host/PluginInfo.h"
#include "host/PluginSetup.h"
#include "host/ProgressBar.h"
#include "host/RenderTool.h"

namespace brindlet {

namespace {

struct Task {
    RenderOptions options;
    std::string programName;
    int code = -1;
    RenderSummary summary;
};

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "brindlet-render: error: %s\n", message.c_str());
    return code;
}

// Program names, from a probe instance, for --all-programs.
bool programNames(const std::shared_ptr<PluginModule>& module, std::vector<std::string>& names,
                  std::string& error) {
    LoadedPlugin probe;
    if (!loadPlugin(module, probe, error)) return false;
    names = readProgramNames(*probe.instance);
    if (names.empty()) error = "--all-programs: the plug-in has no programs";
    return !names.empty();
}

bool planTasks(const RenderOptions& options, const std::shared_ptr<PluginModule>& module,
               std::vector<Task>& tasks, int& code, std::string& error) {
    namespace fs = std::filesystem;
    std::vector<std::string> programs{""};
    if (options.allPrograms && !programNames(module, programs, error)) {
        code = kExitPlugin;
        return false;
    }
    std::set<std::string> outputs;
    for (const auto& input : options.inputs) {
        fs::path in(input);
        std::set<std::string> slugs;  // programs may share a name ("User"); numbers tell apart
        for (size_t p = 0; p < programs.size(); ++p) {
            Task task{options, programs[p], -1, {}};
            task.options.input = input;
            task.options.inputs.clear();
            task.options.plot.clear();
            task.options.quiet = true;
            task.options.json = false;
            task.options.info = false;  // reports belong to single renders, not to each of many
            std::string name = in.filename().string();
            if (options.allPrograms) {
                task.options.program = std::to_string(p);
                std::string slug = fileNameFor(programs[p], static_cast<int>(p));
                if (!slugs.insert(slug).second) slug += "-" + std::to_string(p);
                slugs.insert(slug);
                name = in.stem().string() + "-" + slug + in.extension().string();
            }
            task.options.output = (fs::path(options.outputDir) / name).string();
            if (!outputs.insert(task.options.output).second) {
                error = "two renders would write " + task.options.output;
                code = kExitUsage;
                return false;
            }
            tasks.push_back(std::move(task));
        }
    }
    return true;
}

void printTable(const std::vector<Task>& tasks, bool json) {
    if (json) {
        std::printf("[");
        for (size_t i = 0; i < tasks.size(); ++i) {
            const Task& t = tasks[i];
            const RenderSummary& r = t.summary;
            std::printf("%s\n {\"input\": %s, \"output\": %s, \"ok\": %s", i == 0 ? "" : ",",
                        jsonString(t.options.input).c_str(), jsonString(t.options.output).c_str(),
                        t.code == 0 ? "true" : "false");
            if (t.code == 0)
                std::printf(
                    ", \"program\": %s, \"seconds\": %.6f, \"peakDbfs\": %.2f, "
                    "\"rmsDbfs\": %.2f, \"overFullScale\": %lld, \"automationRequests\": "
                    "%zu, \"realTimeFactor\": %.2f",
                    jsonString(r.program).c_str(), r.seconds, r.peakDb, r.rmsDb,
                    static_cast<long long>(r.over), r.automation, r.realTimeFactor);
            std::printf("}");
        }
        std::printf("]\n");
        return;
    }
    std::printf("%-28s %-18s %8s %10s %10s %8s %11s %8s\n", "output", "program", "seconds",
                "peak dBFS", "RMS dBFS", "over", "automation", "x real");
    for (const Task& t : tasks) {
        std::string file = std::filesystem::path(t.options.output).filename().string();
        if (t.code != 0) {
            std::printf("%-28s %-18s failed (exit %d)\n", file.c_str(), t.programName.c_str(),
                        t.code);
            continue;
        }
        const RenderSummary& r = t.summary;
        std::printf("%-28s %-18s %8.2f %10.1f %10.1f %8lld %11zu %8.1f\n", file.c_str(),
                    t.programName.c_str(), r.seconds, r.peakDb, r.rmsDb,
                    static_cast<long long>(r.over), r.automation, r.realTimeFactor);
    }
}

}  // namespace

int renderBatch(const RenderOptions& options, const std::shared_ptr<PluginModule>& module) {
    std::error_code ec;
    if (!std::filesystem::is_directory(options.outputDir, ec))
        return fail(kExitFile, options.outputDir + ": no such folder");
    std::vector<Task> tasks;
    std::string error;
    int code = kExitOk;
    if (!planTasks(options, module, tasks, code, error)) return fail(code, error);

    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    auto worker = [&] {
        for (size_t i = next++; i < tasks.size(); i = next++) {
            tasks[i].code = renderFile(tasks[i].options, module, &tasks[i].summary);
            ++done;
        }
    };
    size_t threads = std::min<size_t>(static_cast<size_t>(options.jobs), tasks.size());
    std::vector<std::thread> pool;
    for (size_t i = 0; i < threads; ++i) pool.emplace_back(worker);
    ProgressBar bar(static_cast<int64_t>(tasks.size()), !options.quiet);
    while (done.load() < tasks.size()) {
        bar.update(static_cast<int64_t>(done.load()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (auto& thread : pool) thread.join();
    bar.finish();
    if (!options.quiet || options.json) printTable(tasks, options.json);
    for (const Task& task : tasks)
        if (task.code != kExitOk) return task.code;
    return kExitOk;
}

}  // namespace brindlet
