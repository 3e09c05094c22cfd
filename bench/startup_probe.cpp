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
#include <vector>

namespace {

struct Program {
    std::string name;
    std::string path;
    std::vector<double> startMs;
    std::vector<double> peakMiB;
    int failures = 0;
};

struct Sample {
    double startMs;
    double peakMiB;
};

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One run of the program; empty if it did not report a first paint in time or failed.
std::optional<Sample> RunOnce(const Program& program) {
    int out[2];
    if (pipe(out) != 0) return std::nullopt;
    const long long started = NowNs();
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
    // ru_maxrss is in KiB on Linux.
    return Sample{static_cast<double>(painted - started) / 1e6,
                  static_cast<double>(usage.ru_maxrss) / 1024.0};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
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
        programs.push_back(
            {std::string(argv[i], static_cast<std::size_t>(eq - argv[i])), eq + 1, {}, {}, 0});
    }
    // One unrecorded round first (font and shader caches, page cache), then the programs
    // alternate, so that drift in the machine's load touches both alike.
    for (int round = -1; round < runs; ++round) {
        for (Program& program : programs) {
            const auto sample = RunOnce(program);
            if (!sample) {
                ++program.failures;
                continue;
            }
            if (round < 0) continue;
            program.startMs.push_back(sample->startMs);
            program.peakMiB.push_back(sample->peakMiB);
        }
    }

    std::printf("\nStart-up to first paint and peak RSS, median of %d runs each\n", runs);
    std::printf("%-14s %-16s %-12s %s\n", "program", "to first paint", "peak RSS", "runs");
    for (const Program& p : programs) {
        if (p.startMs.empty()) {
            std::printf("%-14s (no run reported a first paint)\n", p.name.c_str());
            continue;
        }
        std::printf("%-14s %8.1f ms      %6.1f MiB   %zu (first paint %.1f to %.1f ms)\n",
                    p.name.c_str(), Median(p.startMs), Median(p.peakMiB), p.startMs.size(),
                    *std::min_element(p.startMs.begin(), p.startMs.end()),
                    *std::max_element(p.startMs.begin(), p.startMs.end()));
    }
    const Program& base = programs.front();
    int failed = 0;
    for (std::size_t i = 1; i < programs.size(); ++i) {
        const Program& p = programs[i];
        if (p.startMs.empty() || base.startMs.empty()) {
            ++failed;
            continue;
        }
        const double time = Median(p.startMs) / Median(base.startMs);
        const double rss = Median(p.peakMiB) / Median(base.peakMiB);
        std::printf(
            "%s / %s: first paint %.3fx (target <= 1.15: %s), peak RSS %.3fx "
            "(target <= 1.15: %s)\n",
            p.name.c_str(), base.name.c_str(), time, time <= 1.15 ? "met" : "MISSED", rss,
            rss <= 1.15 ? "met" : "MISSED");
    }
    for (const Program& p : programs) failed += p.failures > 0 ? 1 : 0;
    return failed == 0 ? 0 : 1;
}
