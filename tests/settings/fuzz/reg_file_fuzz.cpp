// libFuzzer target for the store file parser: whatever it reads it writes back byte for byte,
// and setting the program's value reads back as that change and no other.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/reg_file.h"
#include "settings/registry_api.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace aspect::settings;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<RegFile> file = RegFile::Parse(bytes);
    if (!file) return 0;
    if (file->Bytes() != bytes) __builtin_trap();
    RegDocument expected = file->Document();
    // Each look-up scans every key; checking the first few keeps large inputs fast to fuzz.
    for (std::size_t i = 0; i < expected.keys.size() && i < 64; ++i) {
        const RegKey& key = expected.keys[i];
        if (!expected.KeyExists(key.path)) __builtin_trap();
        if (!NamesEqual(expected.Spelling(key.path), key.path)) __builtin_trap();
    }
    constexpr std::string_view kKey = "HKEY_CURRENT_USER\\Software\\Morlane";
    const RegValue english{"Language", kRegBinary, {1, 0}};
    // A section appended at the end is read last, so an edit always finds a place.
    if (!file->SetValue(kKey, english)) __builtin_trap();
    RegKey* key = expected.FindKey(kKey);
    if (key == nullptr) key = &expected.keys.emplace_back(RegKey{std::string(kKey), {}});
    key->SetValue(english.name, english.type, english.data);
    const std::optional<RegDocument> edited = ParseRegFile(file->Bytes());
    if (!edited || *edited != expected) __builtin_trap();
    return 0;
}
