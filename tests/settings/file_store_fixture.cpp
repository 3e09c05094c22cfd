#include "store_fixture.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "settings/file_registry.h"

namespace aspect::settings::testing_store {
namespace {

// Points the configuration folder at a fresh temporary folder before any test runs, so the
// file backend never sees the user's own store.
class PrivateConfigHome : public testing::Environment {
  public:
    void SetUp() override {
        char name[] = "/tmp/aspect-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder_ = name;
        ::setenv("XDG_CONFIG_HOME", name, 1);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    static std::filesystem::path folder_;
};

std::filesystem::path PrivateConfigHome::folder_;

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new PrivateConfigHome);

}  // namespace

std::string WhyNotPrivate() {
    if (DefaultRegistryPath().rfind(PrivateConfigHome::folder_.string() + "/", 0) != 0) {
        return "the store is not in the test's private configuration folder";
    }
    return {};
}

void ResetStore() { std::filesystem::remove_all(PrivateConfigHome::folder_ / "Morlane"); }

}  // namespace aspect::settings::testing_store
