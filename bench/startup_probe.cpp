// Start-up benchmark: runs each program in turn with ASPECT_EXIT_AFTER_FIRST_PAINT=1,
// takes the time from just before starting it to the first-paint time it prints, and its
// peak resident set size, then prints the medians and their ratios to the first program.
// Usage: startup_probe RUNS NAME=PATH [NAME=PATH ...]   (the first program is the baseline)
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "startup_report.h"

namespace {

struct Program : startup::Runs {
    std::string path;
};

struct Sample {
    double startMs;
    double peakMiB;
};

// One run of the program; empty if it did not report a first paint in time or failed. The
// stages it marks go to `stages`.
std::optional<Sample> RunOnce(const Program& program, startup::Runs* stages) {
    int out[2];
    if (pipe(out) != 0) return std::nullopt;
    const long long started = startup::NowNs();
    const pid_t pid = fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("ASPECT_EXIT_AFTER_FIRST_PAINT", "1", 1);
        execl(program.path.c_str(), program.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[512];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;  // the program closed its output: it has ended
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    if (timedOut) kill(pid, SIGKILL);  // only the child started above
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return std::nullopt;
    const std::size_t at = text.find("first-paint-ns ");
    if (timedOut || at == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "startup: %s gave no first paint (status %d): %s\n",
                     program.name.c_str(), status, text.c_str());
        return std::nullopt;
    }
    const long long painted = std::strtoll(text.c_str() + at + 15, nullptr, 10);
    if (stages != nullptr) stages->AddStages(text, started);
    // ru_maxrss is in KiB on Linux.
    return Sample{static_cast<double>(painted - started) / 1e6,
                  static_cast<double>(usage.ru_maxrss) / 1024.0};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS NAME=PATH [NAME=PATH ...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (eq == nullptr) {
            std::fprintf(stderr, "startup: expected NAME=PATH, got %s\n", argv[i]);
            return 2;
        }
        Program program;
        program.name.assign(argv[i], static_cast<std::size_t>(eq - argv[i]));
        program.path = eq + 1;
        programs.push_back(std::move(program));
    }
    // One unrecorded round first (font and shader caches, page cache), then the programs
    // alternate, so that drift in the machine's load touches both alike.
    for (int round = -1; round < runs; ++round) {
        for (Program& program : programs) {
            const auto sample = RunOnce(program, round < 0 ? nullptr : &program);
            if (!sample) {
                ++program.failures;
                continue;
            }
            if (round < 0) continue;
            program.startMs.push_back(sample->startMs);
            program.peakMiB.push_back(sample->peakMiB);
        }
    }

    std::vector<const startup::Runs*> results;
    for (const Program& p : programs) results.push_back(&p);
    return startup::Report(results, runs, {"peak RSS", "peak RSS", ""});
}
