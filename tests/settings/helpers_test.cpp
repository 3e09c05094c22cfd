#include "settings/registry.h"

#include <cstring>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "row_name.h"

namespace aspect::settings {
namespace {

// A port that records every call, answers with scripted statuses and can throw at one call.
class RecordingRegistry final : public RegistryApi {
  public:
    Status open = 0, query = 0, create = 0, set = 0, close = 0;
    std::string throwAt;                     // "open", "query", ... or empty
    std::vector<std::uint8_t> stored{1, 0};  // what a successful query copies
    std::string calls;                       // e.g. "open,query,close"
    std::set<Hkey> openKeys;
    // Arguments as seen.
    std::string subKey, valueName, className;
    bool classIsNull = false, reservedPtrNull = false, securityNull = false;
    std::uint32_t sam = 0, options = 0, reserved = 0, typeIn = 0, sizeIn = 0, setType = 0;
    Hkey hive = 0;
    std::vector<std::uint8_t> written;

    Status RegOpenKeyExA(Hkey key, const char* sub, std::uint32_t opts, std::uint32_t access,
                         Hkey* result) override {
        Enter("open");
        hive = key, subKey = sub, options = opts, sam = access;
        return Opened(open, result);
    }
    Status RegQueryValueExA(Hkey key, const char* name, std::uint32_t* res, std::uint32_t* type,
                            std::uint8_t* data, std::uint32_t* size) override {
        Enter("query");
        EXPECT_TRUE(openKeys.count(key));
        valueName = name, reservedPtrNull = res == nullptr, typeIn = *type, sizeIn = *size;
        if (query == 0) std::memcpy(data, stored.data(), stored.size());
        return query;
    }
    Status RegCreateKeyExA(Hkey key, const char* sub, std::uint32_t res, char* cls,
                           std::uint32_t opts, std::uint32_t access, const void* security,
                           Hkey* result, std::uint32_t* disposition) override {
        Enter("create");
        hive = key, subKey = sub, reserved = res, options = opts, sam = access;
        classIsNull = cls == nullptr, className = cls ? cls : "", securityNull = !security;
        EXPECT_NE(disposition, nullptr);
        return Opened(create, result);
    }
    Status RegSetValueExA(Hkey key, const char* name, std::uint32_t res, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size) override {
        Enter("set");
        EXPECT_TRUE(openKeys.count(key));
        valueName = name, reserved = res, setType = type, written.assign(data, data + size);
        return set;
    }
    Status RegCloseKey(Hkey key) override {
        Enter("close");
        EXPECT_EQ(openKeys.erase(key), 1u) << "closed a key that was not open";
        return close;
    }

  private:
    void Enter(const char* fn) {
        calls += calls.empty() ? fn : std::string(",") + fn;
        if (throwAt == fn) throw std::bad_alloc();
    }
    Status Opened(Status status, Hkey* result) {
        if (status != 0) return status;
        *result = 0x40 + openKeys.size();
        openKeys.insert(*result);
        return status;
    }
};

struct ReadRow {
    const char* name;
    Status open, query, close;
    const char* throwAt;
    std::vector<std::uint8_t> stored;
    Status status;
    std::int32_t value;  // after a read with default 0x7F7F7F7F
    const char* calls;
};

const ReadRow kReads[] = {
    {"TwoBytesFillLowHalf", 0, 0, 0, "", {1, 0}, 0, 0x7F7F0001, "open,query,close"},
    {"OneByteFillsLowestByte", 0, 0, 0, "", {1}, 0, 0x7F7F7F01, "open,query,close"},
    {"OpenFailsKeepsDefault", 2, 0, 0, "", {}, 2, 0x7F7F7F7F, "open"},
    {"OpenDenied", 5, 0, 0, "", {}, 5, 0x7F7F7F7F, "open"},
    {"QueryTooLongClosesKey", 0, 234, 0, "", {}, 234, 0x7F7F7F7F, "open,query,close"},
    {"QueryMissingClosesKey", 0, 2, 6, "", {}, 2, 0x7F7F7F7F, "open,query,close"},
    {"CloseFailureIsTheStatus", 0, 0, 6, "", {2, 0}, 6, 0x7F7F0002, "open,query,close"},
    {"ThrowInOpenIs99", 0, 0, 0, "open", {}, 99, 0x7F7F7F7F, "open"},
    {"ThrowInQueryClosesKeyAnd99", 0, 0, 0, "query", {}, 99, 0x7F7F7F7F, "open,query,close"},
};

class Read : public testing::TestWithParam<ReadRow> {};

TEST_P(Read, StatusValueAndClosedKey) {
    const ReadRow& row = GetParam();
    RecordingRegistry api;
    api.open = row.open, api.query = row.query, api.close = row.close;
    api.throwAt = row.throwAt, api.stored = row.stored;
    std::int32_t value = 5;
    EXPECT_EQ(RegReadValue(api, kHkeyCurrentUser, "Software\\X", "V", 0x7F7F7F7F, value),
              row.status);
    EXPECT_EQ(value, row.value);
    EXPECT_EQ(api.calls, row.calls);
    EXPECT_TRUE(api.openKeys.empty()) << "a key was left open";
}

INSTANTIATE_TEST_SUITE_P(Paths, Read, testing::ValuesIn(kReads), testing_rows::RowName());

struct WriteRow {
    const char* name;
    Status create, set, close;
    const char* throwAt;
    Status status;
    const char* calls;
};

const WriteRow kWrites[] = {
    {"Succeeds", 0, 0, 0, "", 0, "create,set,close"},
    {"CreateDenied", 5, 0, 0, "", 5, "create"},
    {"SetFailsClosesKey", 0, 112, 0, "", 112, "create,set,close"},
    {"CloseFailureIsTheStatus", 0, 0, 6, "", 6, "create,set,close"},
    {"ThrowInCreateIs99", 0, 0, 0, "create", 99, "create"},
    // A write interrupted after the key was created did not store the value: not success.
    {"ThrowInSetClosesKeyAnd99", 0, 0, 0, "set", 99, "create,set,close"},
};

class Write : public testing::TestWithParam<WriteRow> {};

TEST_P(Write, StatusAndClosedKey) {
    const WriteRow& row = GetParam();
    RecordingRegistry api;
    api.create = row.create, api.set = row.set, api.close = row.close, api.throwAt = row.throwAt;
    EXPECT_EQ(RegWriteValue(api, kHkeyCurrentUser, "Software\\X", "V", 1), row.status);
    EXPECT_EQ(api.calls, row.calls);
    EXPECT_TRUE(api.openKeys.empty()) << "a key was left open";
    EXPECT_EQ(SaveLanguage(api, 1), row.status == 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, Write, testing::ValuesIn(kWrites), testing_rows::RowName());

TEST(Helpers, ReadPassesQueryAccessTypeAndSizePresets) {
    RecordingRegistry api;
    EXPECT_EQ(LoadLanguage(api), 1);
    EXPECT_EQ(api.hive, kHkeyCurrentUser);
    EXPECT_EQ(api.subKey, "Software\\Morlane");
    EXPECT_EQ(api.valueName, "Language");
    EXPECT_EQ(api.options, 0u);
    EXPECT_EQ(api.sam, 1u);
    EXPECT_TRUE(api.reservedPtrNull);
    EXPECT_EQ(api.typeIn, 3u);
    EXPECT_EQ(api.sizeIn, 2u);
}

TEST(Helpers, WritePassesCreateArgumentsAndLittleEndianBytes) {
    RecordingRegistry api;
    EXPECT_TRUE(SaveLanguage(api, static_cast<std::int16_t>(0x1234)));
    EXPECT_EQ(api.hive, kHkeyCurrentUser);
    EXPECT_EQ(api.subKey, "Software\\Morlane");
    EXPECT_EQ(api.valueName, "Language");
    EXPECT_EQ(api.reserved, 0u);
    EXPECT_FALSE(api.classIsNull);
    EXPECT_EQ(api.className, "");
    EXPECT_EQ(api.options, 0u);
    EXPECT_EQ(api.sam, 6u);
    EXPECT_TRUE(api.securityNull);
    EXPECT_EQ(api.setType, 3u);
    EXPECT_EQ(api.written, (std::vector<std::uint8_t>{0x34, 0x12}));
}

TEST(Helpers, NoHiveIs99WithoutTouchingTheRegistry) {
    RecordingRegistry api;
    std::int32_t value = 5;
    EXPECT_EQ(RegReadValue(api, 0, "Software\\Morlane", "Language", 77, value), 99);
    EXPECT_EQ(value, 77);
    EXPECT_EQ(RegWriteValue(api, 0, "Software\\Morlane", "Language", 1), 99);
    EXPECT_EQ(api.calls, "");
}

TEST(Helpers, LoadLanguageIsZeroOnAnyFailure) {
    RecordingRegistry api;
    api.query = 234;
    EXPECT_EQ(LoadLanguage(api), 0);
    api.query = 0, api.stored = {0xFF, 0xFF};
    EXPECT_EQ(LoadLanguage(api), 65535);  // the high bytes keep the default 0: not -1
}

}  // namespace
}  // namespace aspect::settings
