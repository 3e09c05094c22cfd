// The file store under rival writers and kills: nothing lost, nothing torn.
#include "file_store_support.h"

#include "row_name.h"
#include "settings/reg_file.h"
#include "settings/registry.h"

namespace aspect::settings {
namespace {

using namespace testing_file;

struct RivalRow {
    const char* name;
    int writers, writes;
    bool linked;       // each writer's folder links its registry.reg to one shared file
    bool lockDeleted;  // a cleaner deletes registry.reg.lock all the while
};

const RivalRow kRivals[] = {
    {"OneFolder", 4, 30, false, false},
    {"LockFileDeletedMeanwhile", 2, 100, false, true},
    {"TwoFoldersLinkingOneFile", 2, 100, true, false},
};

class Rivals : public FileStore, public testing::WithParamInterface<RivalRow> {};

TEST_P(Rivals, LoseNothing) {
    const RivalRow& row = GetParam();
    const std::string shared = LargeShared();
    const fs::path stored = row.linked ? root / "dotfiles" / "registry.reg" : file;
    Spit(stored, shared);
    const auto storeOf = [&](int w) {
        if (!row.linked) return file;
        const fs::path own = root / ("w" + std::to_string(w)) / "registry.reg";
        fs::create_directories(own.parent_path());
        fs::create_symlink(stored, own);
        return own;
    };
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> children;
    for (int w = 0; w < row.writers; ++w) {
        const fs::path path = storeOf(w);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            char start = 0;
            ::close(go[1]);
            const bool started = ::read(go[0], &start, 1) == 0;  // all start when it closes
            // Busy writers queue far longer than a click may wait; here only losses count.
            FileRegistry store(path.string(), {}, std::chrono::seconds(10));
            int failures = 0;
            for (int n = 0; n < row.writes; ++n) {
                const std::string name = "W" + std::to_string(w) + "-" + std::to_string(n);
                failures += Write(store, static_cast<std::int16_t>(n), name.c_str()) != 0;
            }
            ::_exit(started && failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    pid_t cleaner = -1;
    if (row.lockDeleted) {
        cleaner = ::fork();
        ASSERT_GE(cleaner, 0);
        if (cleaner == 0) {
            ::close(go[1]);  // the writers start when every copy of it is closed
            const std::string lock = file.string() + ".lock";
            const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (std::chrono::steady_clock::now() < end) {
                ::unlink(lock.c_str());
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
            ::_exit(0);
        }
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
    }
    if (cleaner > 0) {
        ::kill(cleaner, SIGKILL);
        ::waitpid(cleaner, nullptr, 0);
    }
    const std::optional<RegDocument> doc = ParseRegFile(Slurp(stored));
    ASSERT_TRUE(doc.has_value());
    int lost = 0;
    for (int w = 0; w < row.writers; ++w) {
        for (int n = 0; n < row.writes; ++n) {
            const std::string name = "W" + std::to_string(w) + "-" + std::to_string(n);
            lost += doc->keys[0].FindValue(name) == nullptr;
        }
    }
    EXPECT_EQ(lost, 0) << "values lost to rival writers";
    EXPECT_EQ(doc->keys[1], ParseRegFile(shared)->keys[1]) << "another key changed";
}

INSTANTIATE_TEST_SUITE_P(Writers, Rivals, testing::ValuesIn(kRivals), testing_rows::RowName());

// A writer killed at random moments leaves a file that parses and holds the old or the new
// value, with everything else intact.
TEST_F(FileStore, WriterKilledAnywhereLeavesOldOrNew) {
    const char* wanted = std::getenv("ASPECT_CRASH_ROUNDS");
    const int rounds = wanted ? std::atoi(wanted) : 200;
    const std::string shared = LargeShared();
    Spit(file, shared);
    const RegDocument others = *ParseRegFile(shared);
    // Kill anywhere from before the first write to after a few: time a save here first.
    long saveUs = 0;
    for (int i = 0; i < 3; ++i) {
        const auto started = std::chrono::steady_clock::now();
        FileRegistry store(file.string());
        ASSERT_TRUE(SaveLanguage(store, 0));
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - started)
                            .count();
        saveUs = i == 0 ? us : std::min(saveUs, static_cast<long>(us));
    }
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delayUs(0, 3 * saveUs);
    std::int32_t old = 0;
    int sawNew = 0, midWrite = 0;
    for (int round = 1; round <= rounds; ++round) {
        const auto value = static_cast<std::int16_t>(round);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            FileRegistry store(file.string());
            while (true) SaveLanguage(store, value);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);

        for (const std::string& name : Listing(folder)) {
            midWrite += name.find(".tmp-") != std::string::npos;
        }
        std::optional<RegDocument> doc = ParseRegFile(Slurp(file));
        ASSERT_TRUE(doc.has_value()) << "torn file after round " << round << ", seed " << seed;
        std::int32_t now = Stored();
        ASSERT_TRUE(now == old || now == round) << "round " << round << " read " << now;
        sawNew += now == round;
        old = now;
        doc->keys[0].SetValue("Language", kRegBinary, {0, 0});
        ASSERT_EQ(*doc, others) << "other keys changed in round " << round;
    }
    std::cout << "[          ] one save " << saveUs << " us; " << rounds
              << " kills: new value after " << sawNew << ", a temporary file left by " << midWrite
              << ", seed " << seed << "\n";
    FileRegistry store(file.string());
    EXPECT_TRUE(SaveLanguage(store, 1)) << "a killed writer left the store locked";
}

}  // namespace
}  // namespace aspect::settings
