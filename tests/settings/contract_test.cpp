// The registry contract the helpers rely on, run against this build's backend: the file
// store on Linux, advapi32 itself under Wine.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "row_name.h"
#include "settings/registry.h"
#include "store_fixture.h"

namespace aspect::settings {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr const char* kKey = "Software\\Morlane";
constexpr const char* kTestKey = "Software\\MorlaneTest";

class Contract : public testing::Test {
  protected:
    void SetUp() override {
        const std::string why = testing_store::WhyNotPrivate();
        if (!why.empty()) GTEST_SKIP() << why;
        testing_store::ResetStore();
    }
    void TearDown() override { testing_store::ResetStore(); }

    RegistryApi& api = PlatformRegistry();

    // Stores a value of any type through the port, as another program could.
    void Store(const char* key, const char* name, std::uint32_t type, const Bytes& data) {
        Hkey k = 0;
        char cls[] = "";
        ASSERT_EQ(api.RegCreateKeyExA(kHkeyCurrentUser, key, 0, cls, 0, kKeySetValue, nullptr, &k,
                                      nullptr),
                  0);
        EXPECT_EQ(api.RegSetValueExA(k, name, 0, type, data.data(),
                                     static_cast<std::uint32_t>(data.size())),
                  0);
        EXPECT_EQ(api.RegCloseKey(k), 0);
    }

    Status OpenStatus(const char* key) {
        Hkey k = 0;
        const Status status = api.RegOpenKeyExA(kHkeyCurrentUser, key, 0, kKeyQueryValue, &k);
        if (status == 0) {
            EXPECT_EQ(api.RegCloseKey(k), 0);
        }
        return status;
    }

    // The stored type and bytes, read with a buffer large enough for anything here.
    Status Fetch(const char* key, const char* name, std::uint32_t& type, Bytes& data) {
        Hkey k = 0;
        Status status = api.RegOpenKeyExA(kHkeyCurrentUser, key, 0, kKeyQueryValue, &k);
        if (status != 0) return status;
        data.assign(64, 0xEE);
        auto size = static_cast<std::uint32_t>(data.size());
        status = api.RegQueryValueExA(k, name, nullptr, &type, data.data(), &size);
        data.resize(status == 0 ? size : 0);
        EXPECT_EQ(api.RegCloseKey(k), 0);
        return status;
    }
};

struct StoredRow {
    const char* name;
    std::uint32_t type;
    Bytes data;
    Status status;
    std::int32_t value;     // RegReadValue with the default 0x7F7F7F7F
    std::int32_t language;  // LoadLanguage
};

const StoredRow kStored[] = {
    {"English0100", kRegBinary, {1, 0}, 0, 0x7F7F0001, 1},
    {"Hungarian0000", kRegBinary, {0, 0}, 0, 0x7F7F0000, 0},
    {"AllOnesIsUnsigned", kRegBinary, {0xFF, 0xFF}, 0, 0x7F7FFFFF, 65535},
    {"OneByteFillsLowByteOnly", kRegBinary, {1}, 0, 0x7F7F7F01, 1},
    {"FourBytesDoNotFit", kRegBinary, {1, 0, 0, 0}, 234, 0x7F7F7F7F, 0},
    {"TypeNotChecked", kRegNone, {1, 0}, 0, 0x7F7F0001, 1},
    {"TwoByteDword", kRegDword, {2, 0}, 0, 0x7F7F0002, 2},
    {"EmptyValue", kRegBinary, {}, 0, 0x7F7F7F7F, 0},
    // The ANSI query hands strings over in the code page: "1" and its terminator fit.
    {"AnsiStringOne", kRegSz, {'1', 0}, 0, 0x7F7F0031, 0x31},
    {"AnsiStringTooLong", kRegSz, {'1', '2', 0}, 234, 0x7F7F7F7F, 0},
};

class StoredValue : public Contract, public testing::WithParamInterface<StoredRow> {};

TEST_P(StoredValue, ReadsAsTheRegistryDoes) {
    const StoredRow& row = GetParam();
    Store(kKey, "Language", row.type, row.data);
    std::int32_t value = 0;
    EXPECT_EQ(RegReadValue(api, kHkeyCurrentUser, kKey, "Language", 0x7F7F7F7F, value), row.status);
    EXPECT_EQ(value, row.value);
    EXPECT_EQ(LoadLanguage(api), row.language);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredValue, testing::ValuesIn(kStored), testing_rows::RowName());

TEST_F(Contract, FirstStartReadsHungarianAndCreatesNothing) {
    std::int32_t value = 0;
    EXPECT_EQ(RegReadValue(api, kHkeyCurrentUser, kKey, "Language", 42, value), 2);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(LoadLanguage(api), 0);
    EXPECT_EQ(LoadLanguage(), 0);
    EXPECT_EQ(OpenStatus(kKey), 2) << "reading created the key";
}

TEST_F(Contract, MissingValueIsNotFound) {
    Store(kKey, "Other", kRegBinary, {1, 0});
    std::int32_t value = 0;
    EXPECT_EQ(RegReadValue(api, kHkeyCurrentUser, kKey, "Language", 42, value), 2);
    EXPECT_EQ(value, 42);
}

TEST_F(Contract, NoHiveIs99AndTouchesNothing) {
    std::int32_t value = 0;
    EXPECT_EQ(RegReadValue(api, 0, kKey, "Language", 42, value), 99);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(RegWriteValue(api, 0, kKey, "Language", 1), 99);
    EXPECT_EQ(OpenStatus(kKey), 2);
}

struct SaveRow {
    const char* name;
    std::int16_t language;
    Bytes bytes;
    std::int32_t loaded;
};

const SaveRow kSaves[] = {
    {"English", 1, {1, 0}, 1},
    {"Hungarian", 0, {0, 0}, 0},
    {"MinusOneReadsUnsigned", -1, {0xFF, 0xFF}, 65535},
    {"LittleEndian", 0x1234, {0x34, 0x12}, 0x1234},
};

class Save : public Contract, public testing::WithParamInterface<SaveRow> {};

TEST_P(Save, CreatesTheKeyAndStoresTwoBinaryBytes) {
    const SaveRow& row = GetParam();
    EXPECT_TRUE(SaveLanguage(api, row.language));
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(Fetch(kKey, "Language", type, data), 0);
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(data, row.bytes);
    EXPECT_EQ(LoadLanguage(api), row.loaded);
    EXPECT_EQ(LoadLanguage(), row.loaded);
}

INSTANTIATE_TEST_SUITE_P(Languages, Save, testing::ValuesIn(kSaves), testing_rows::RowName());

TEST_F(Contract, SaveReplacesAnEarlierValueOfAnotherTypeAndKeepsOthers) {
    Store(kKey, "Language", kRegDword, {1, 0, 0, 0});
    Store(kKey, "Other", kRegSz, {'h', 'i', 0});
    EXPECT_EQ(LoadLanguage(api), 0);
    EXPECT_TRUE(SaveLanguage(1));
    EXPECT_EQ(LoadLanguage(api), 1);
    std::uint32_t type = 0;
    Bytes data;
    ASSERT_EQ(Fetch(kKey, "Other", type, data), 0);
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(data, (Bytes{'h', 'i', 0}));
}

TEST_F(Contract, CreatingAKeyCreatesItsParentsAndNamesIgnoreCase) {
    EXPECT_EQ(RegWriteValue(api, kHkeyCurrentUser, "Software\\MorlaneTest\\A\\B", "V", 7), 0);
    EXPECT_EQ(OpenStatus("Software\\MorlaneTest\\A"), 0);
    std::int32_t value = 0;
    EXPECT_EQ(RegReadValue(api, kHkeyCurrentUser, "SOFTWARE\\morlanetest\\a\\b", "v", 0, value), 0);
    EXPECT_EQ(value, 7);
}

// Port rules a caller can meet, as Windows answers them.
TEST_F(Contract, HandlesAccessAndArguments) {
    char cls[] = "";
    Hkey writer = 0, reader = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(api.RegCreateKeyExA(kHkeyCurrentUser, kTestKey, 0, cls, 0, kKeySetValue, nullptr,
                                  &writer, &disposition),
              0);
    EXPECT_EQ(disposition, kRegCreatedNewKey);
    const Bytes four = {1, 2, 3, 4};
    EXPECT_EQ(api.RegSetValueExA(writer, "Four", 0, kRegBinary, four.data(), 4), 0);
    EXPECT_EQ(api.RegSetValueExA(writer, "Bad", 0, kRegBinary, nullptr, 2), kErrorNoAccess);
    std::uint8_t buffer[8] = {};
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(api.RegQueryValueExA(writer, "Four", nullptr, nullptr, buffer, &size),
              kErrorAccessDenied);
    EXPECT_EQ(api.RegCloseKey(writer), 0);
    EXPECT_EQ(api.RegCloseKey(writer), kErrorInvalidHandle);

    ASSERT_EQ(api.RegCreateKeyExA(kHkeyCurrentUser, kTestKey, 0, cls, 0, kKeyQueryValue, nullptr,
                                  &reader, &disposition),
              0);
    EXPECT_EQ(disposition, kRegOpenedExistingKey);
    EXPECT_EQ(api.RegSetValueExA(reader, "Four", 0, kRegBinary, four.data(), 4),
              kErrorAccessDenied);
    size = 2;
    std::memset(buffer, 0x7F, sizeof buffer);
    std::uint32_t type = 0;
    EXPECT_EQ(api.RegQueryValueExA(reader, "Four", nullptr, &type, buffer, &size), kErrorMoreData);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(buffer[0], 0x7F) << "a failed query wrote into the buffer";
    size = 0;
    EXPECT_EQ(api.RegQueryValueExA(reader, "Four", nullptr, nullptr, nullptr, &size), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(api.RegQueryValueExA(reader, "Four", nullptr, nullptr, buffer, nullptr),
              kErrorInvalidParameter);
    EXPECT_EQ(api.RegCloseKey(reader), 0);

    Hkey k = 0;
    EXPECT_EQ(api.RegOpenKeyExA(kHkeyCurrentUser, "\\Software", 0, kKeyQueryValue, &k),
              kErrorBadPathname);
    EXPECT_EQ(api.RegCreateKeyExA(kHkeyCurrentUser, kTestKey, 1, cls, 0, kKeySetValue, nullptr, &k,
                                  nullptr),
              kErrorInvalidParameter);
    EXPECT_EQ(api.RegOpenKeyExA(0x1234560, "x", 0, kKeyQueryValue, &k), kErrorInvalidHandle);
    EXPECT_EQ(api.RegCloseKey(kHkeyCurrentUser), 0);
}

}  // namespace
}  // namespace aspect::settings
