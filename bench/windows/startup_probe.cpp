// Windows start-up benchmark, run under Wine: starts each program in turn with
// ASPECT_EXIT_AFTER_FIRST_PAINT=1, takes the time from just before starting it to the
// first-paint time it prints (the same steady clock in both processes), and in a run of
// its own its peak working set, then prints the medians and their ratios to the first program.
// Usage: startup_probe RUNS NAME=PATH [NAME=PATH ...]   (the first program is the baseline)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Program {
    std::wstring name;
    std::wstring path;
    std::vector<double> startMs;
    std::vector<double> peakMiB;
    int failures = 0;
};

long long NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Wine keeps no counters of an ended process, so the peak working set is read while the
// program runs, every millisecond until it ends (the peak only grows); the runs that take
// the time do not poll, so polling cannot slow them.
enum class Measure { Time, Memory };

// One run of the program; empty if it did not report a first paint or failed.
std::optional<double> RunOnce(const Program& program, Measure measure) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) return std::nullopt;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring command = L"\"" + program.path + L"\"";
    PROCESS_INFORMATION process{};
    const long long started = NowNs();
    const BOOL ok = CreateProcessW(program.path.c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                   nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!ok) {
        CloseHandle(readEnd);
        return std::nullopt;
    }
    CloseHandle(process.hThread);
    SIZE_T peak = 0;
    if (measure == Measure::Memory) {
        for (int ms = 0; ms < 30000; ++ms) {
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
                peak = std::max(peak, memory.PeakWorkingSetSize);
            }
            if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
        }
    }
    std::string text;
    char buffer[512];
    DWORD n = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    CloseHandle(readEnd);
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    const std::size_t at = text.find("first-paint-ns ");
    if (!ended || code != 0 || at == std::string::npos ||
        (measure == Measure::Memory && peak == 0)) {
        std::fprintf(stderr, "startup: %ls gave no first paint or no working set (exit %lu): %s\n",
                     program.name.c_str(), code, text.c_str());
        return std::nullopt;
    }
    if (measure == Measure::Memory) return static_cast<double>(peak) / (1024.0 * 1024.0);
    const long long painted = std::strtoll(text.c_str() + at + 15, nullptr, 10);
    return static_cast<double>(painted - started) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_probe RUNS NAME=PATH [NAME=PATH ...]\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const auto eq = arg.find(L'=');
        if (eq == std::wstring::npos) {
            std::fprintf(stderr, "startup: expected NAME=PATH, got %ls\n", argv[i]);
            return 2;
        }
        programs.push_back({arg.substr(0, eq), arg.substr(eq + 1), {}, {}, 0});
    }
    SetEnvironmentVariableW(L"ASPECT_EXIT_AFTER_FIRST_PAINT", L"1");
    // One unrecorded round first (caches), then the programs alternate, so that drift in
    // the machine's load touches both alike.
    for (int round = -1; round < runs; ++round) {
        for (Program& program : programs) {
            const auto time = RunOnce(program, Measure::Time);
            const auto peak = RunOnce(program, Measure::Memory);
            if (!time || !peak) {
                ++program.failures;
                continue;
            }
            if (round < 0) continue;
            program.startMs.push_back(*time);
            program.peakMiB.push_back(*peak);
        }
    }

    std::printf("\nStart-up to first paint and peak working set under Wine, median of %d runs\n",
                runs);
    std::printf("%-14s %-16s %-12s %s\n", "program", "to first paint", "peak WS", "runs");
    for (const Program& p : programs) {
        if (p.startMs.empty()) {
            std::printf("%-14ls (no run reported a first paint)\n", p.name.c_str());
            continue;
        }
        std::printf("%-14ls %8.1f ms      %6.1f MiB   %zu (first paint %.1f to %.1f ms)\n",
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
        const double ws = Median(p.peakMiB) / Median(base.peakMiB);
        std::printf(
            "%ls / %ls: first paint %.3fx (target <= 1.15: %s), peak working set %.3fx "
            "(target <= 1.15: %s)\n",
            p.name.c_str(), base.name.c_str(), time, time <= 1.15 ? "met" : "MISSED", ws,
            ws <= 1.15 ? "met" : "MISSED");
    }
    for (const Program& p : programs) failed += p.failures > 0 ? 1 : 0;
    return failed == 0 ? 0 : 1;
}
