// libFuzzer target for the store file parser: whatever it accepts must write back to text
// that reads as the same document and writes the same text again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace aspect::settings;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<RegDocument> doc = ParseRegFile(text);
    if (!doc) return 0;
    const std::string written = SerializeRegFile(*doc);
    const std::optional<RegDocument> again = ParseRegFile(written);
    if (!again || *again != *doc || SerializeRegFile(*again) != written) __builtin_trap();
    // Each look-up scans every key; checking the first few keeps large inputs fast to fuzz.
    for (std::size_t i = 0; i < doc->keys.size() && i < 64; ++i) {
        const RegKey& key = doc->keys[i];
        if (!doc->KeyExists(key.path)) __builtin_trap();
        if (!NamesEqual(doc->Spelling(key.path), key.path)) __builtin_trap();
    }
    return 0;
}
