// Windows start-up benchmark, run under Wine: starts each program in turn with
// ASPECT_EXIT_AFTER_FIRST_PAINT=1, takes the time from just before starting it to the
// first-paint time it prints (the same steady clock in both processes), and in a run of
// its own its peak working set, then prints the medians and their ratios to the first program,
// and where each program's time went by the stages it marks.
// Usage: startup_probe RUNS NAME=PATH [NAME=PATH ...]   (the first program is the baseline)
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "startup_report.h"

namespace {

struct Program : startup::Runs {
    std::wstring path;
};

std::string Utf8(std::wstring_view text) {
    const int size = static_cast<int>(text.size());
    std::string out(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                                                 nullptr, 0, nullptr, nullptr)),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

// Wine keeps no counters of an ended process, so the peak working set is read while the
// program runs, every millisecond until it ends (the peak only grows); the runs that take
// the time do not poll, so polling cannot slow them.
enum class Measure { Time, Memory };

// One run of the program; empty if it did not report a first paint or failed. The
// stages a timed run marks go to `stages`.
std::optional<double> RunOnce(const Program& program, Measure measure,
                              startup::Runs* stages = nullptr) {
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
    const long long started = startup::NowNs();
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
        std::fprintf(stderr, "startup: %s gave no first paint or no working set (exit %lu): %s\n",
                     program.name.c_str(), code, text.c_str());
        return std::nullopt;
    }
    if (measure == Measure::Memory) return static_cast<double>(peak) / (1024.0 * 1024.0);
    const long long painted = std::strtoll(text.c_str() + at + 15, nullptr, 10);
    if (stages != nullptr) stages->AddStages(text, started);
    return static_cast<double>(painted - started) / 1e6;
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
        Program program;
        program.name = Utf8(std::wstring_view(arg).substr(0, eq));
        program.path = arg.substr(eq + 1);
        programs.push_back(std::move(program));
    }
    SetEnvironmentVariableW(L"ASPECT_EXIT_AFTER_FIRST_PAINT", L"1");
    // One unrecorded round first (caches), then the programs alternate, so that drift in
    // the machine's load touches both alike.
    for (int round = -1; round < runs; ++round) {
        for (Program& program : programs) {
            const auto time = RunOnce(program, Measure::Time, round < 0 ? nullptr : &program);
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

    std::vector<const startup::Runs*> results;
    for (const Program& p : programs) results.push_back(&p);
    return startup::Report(results, runs, {"peak WS", "peak working set", " under Wine"}, 1.10);
}
