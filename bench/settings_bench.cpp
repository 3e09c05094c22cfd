// The settings file on its worst days: the parser on files of every shape at the largest size
// the store reads (each should parse in well under 10 ms), and the language read at start-up
// with such a file, a huge sparse file, a FIFO or an endless device at the store's path.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <sys/stat.h>

#include "settings/file_registry.h"
#include "settings/reg_file.h"
#include "settings/registry.h"
#include "settings/store_file.h"

namespace {

using namespace aspect::settings;
namespace fs = std::filesystem;

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

// The header, then `line(n)` for n = 0, 1, ... while the text stays within the store's cap.
std::string Fill(const std::function<std::string(int)>& line, std::string start = kHeader,
                 const std::string& end = "") {
    std::string text = std::move(start);
    for (int n = 0;; ++n) {
        const std::string next = line(n);
        if (text.size() + next.size() + end.size() > kMaxStoreBytes) break;
        text += next;
    }
    return text + end;
}

struct Shape {
    const char* name;
    std::string (*text)();
};

const Shape kShapes[] = {
    {"sections",
     [] {
         return Fill([](int n) { return "[HKEY_CURRENT_USER\\K" + std::to_string(n) + "]\n"; });
     }},
    {"sections_repeated_in_turn",
     [] {
         return Fill([](int n) {
             return std::string(n % 2 ? "[hkey_current_user\\k" : "[HKEY_CURRENT_USER\\K") +
                    std::to_string(n / 2 % 512) + "]\n\"v\"=hex:01\n";
         });
     }},
    {"values_in_one_key",
     [] {
         return Fill([](int n) { return "\"v" + std::to_string(n) + "\"=hex:01\n"; },
                     kHeader + "[HKEY_CURRENT_USER\\K]\n");
     }},
    {"one_hex_value_on_continuation_lines",
     [] {
         return Fill([](int) { return std::string("  01,02,03,04,05,06,07,08,09,0a,0b,0c,\\\n"); },
                     kHeader + "[HKEY_CURRENT_USER\\K]\n\"v\"=hex:00,\\\n", "  ff\n");
     }},
    {"one_deep_key",
     [] {
         return Fill([](int) { return std::string("\\a"); }, kHeader + "[HKEY_CURRENT_USER", "]\n");
     }},
    {"one_long_string",
     [] {
         return Fill([](int) { return std::string("\xC3\xA1"); },
                     kHeader + "[HKEY_CURRENT_USER\\K]\n\"v\"=\"", "\"\n");
     }},
};

void Parse(benchmark::State& state, const Shape& shape) {
    const std::string text = shape.text();
    if (!ParseRegFile(text)) state.SkipWithError("the file does not parse");
    for (auto _ : state) benchmark::DoNotOptimize(ParseRegFile(text));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}

// What lies at the store's path when the program starts.
struct Scene {
    const char* name;
    void (*make)(const fs::path& file);
};

const Scene kScenes[] = {
    {"worst_64k_file",
     [](const fs::path& f) { std::ofstream(f, std::ios::binary) << kShapes[2].text(); }},
    {"sparse_1g_file",
     [](const fs::path& f) {
         std::ofstream(f, std::ios::binary) << kHeader;
         fs::resize_file(f, std::uintmax_t{1} << 30);
     }},
    {"fifo", [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }},
    {"link_to_dev_zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }},
};

void Load(benchmark::State& state, const Scene& scene) {
    char name[] = "/tmp/aspect-bench-XXXXXX";
    if (::mkdtemp(name) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const fs::path file = fs::path(name) / "registry.reg";
    scene.make(file);
    FileRegistry store(file.string());
    for (auto _ : state) benchmark::DoNotOptimize(LoadLanguage(store));
    fs::remove_all(name);
}

const bool kRegistered = [] {
    for (const Shape& shape : kShapes) {
        benchmark::RegisterBenchmark((std::string("parse_64k/") + shape.name).c_str(), Parse, shape)
            ->Unit(benchmark::kMicrosecond);
    }
    for (const Scene& scene : kScenes) {
        benchmark::RegisterBenchmark((std::string("load_language/") + scene.name).c_str(), Load,
                                     scene)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
