// What the file store tests share: a private store folder per test, file helpers and
// children for limits, namespaces and kills.
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "row_name.h"
#include "settings/reg_file.h"
#include "settings/registry.h"

#include "settings/file_registry.h"

namespace aspect::settings::testing_file {

namespace fs = std::filesystem;
inline constexpr const char* kKey = "Software\\Morlane";
inline constexpr int kSkipped = 77;

inline const std::string kSaved1 =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Morlane]\n"
    "\"Language\"=hex:01,00\n\n";

// A store another program shares: keys and values the program does not use, in the
// writer's own layout so that a rewrite must reproduce them byte for byte.
inline const std::string kShared =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Morlane]\n"
    "\"Language\"=hex:00,00\n"
    "\"Window\"=dword:00000102\n\n"
    "[HKEY_CURRENT_USER\\Software\\Other\\Deep]\n"
    "@=\"default \\\"text\\\"\"\n"
    "\"Paths\"=hex(7):61,00,00,00,00,00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Morlane]\n"
    "\"Language\"=hex:01,00\n\n";

// kShared with a large value of another program: each write then takes long enough for
// kills and rival writers to land inside it.
inline std::string LargeShared() {
    RegFile file = *RegFile::Parse(kShared);
    file.SetValue("HKEY_CURRENT_USER\\Software\\Other\\Deep",
                  {"Blob", kRegBinary, std::vector<std::uint8_t>(8 * 1024, 0x5A)});
    return file.Bytes();
}

inline std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void Spit(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

inline std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Runs `body` in a child process (for mount namespaces, limits and kills) and fails when
// the child's checks failed; skips when the child could not set itself up.
inline void InChild(const std::function<void()>& body) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        body();
        ::_exit(testing::Test::IsSkipped() ? kSkipped : testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "child died with signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == kSkipped) GTEST_SKIP() << "the child could not set itself up";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the child's checks failed (see above)";
}

class FileStore : public testing::Test {
  protected:
    void SetUp() override {
        char name[] = "/tmp/aspect-store-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        root = name;
        folder = root / "Morlane";
        file = folder / "registry.reg";
    }
    void TearDown() override { fs::remove_all(root); }

    // Stores `value` as "Language" and returns the status, as SaveLanguage sees it.
    Status Write(FileRegistry& store, std::int16_t value, const char* name = "Language") {
        return RegWriteValue(store, kHkeyCurrentUser, kKey, name, value);
    }
    Status Read(FileRegistry& store, std::int32_t& value, const char* name = "Language") {
        return RegReadValue(store, kHkeyCurrentUser, kKey, name, 0, value);
    }
    std::int32_t Stored(const char* name = "Language") {
        FileRegistry store(file.string());
        std::int32_t value = -1;
        EXPECT_EQ(Read(store, value, name), 0);
        return value;
    }

    fs::path root, folder, file;
};

}  // namespace aspect::settings::testing_file
