#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "settings/registry_api.h"

namespace aspect::testing_support {

// A registry held in memory, for tests of the code that uses the settings.
// Writes can be made to fail, as a read-only or full store would.
class MemoryRegistry final : public settings::RegistryApi {
  public:
    struct Value {
        std::uint32_t type;
        std::vector<std::uint8_t> bytes;
    };

    bool failWrites = false;
    int openKeys = 0;

    // The stored value, if any (key names compare case-insensitively).
    const Value* Find(const std::string& key, const std::string& name) const {
        const auto k = keys_.find(Lower(key));
        if (k == keys_.end()) return nullptr;
        const auto v = k->second.find(name);
        return v == k->second.end() ? nullptr : &v->second;
    }
    void Put(const std::string& key, const std::string& name, Value value) {
        keys_[Lower(key)][name] = std::move(value);
    }

    settings::Status RegOpenKeyExA(settings::Hkey, const char* subKey, std::uint32_t, std::uint32_t,
                                   settings::Hkey* result) override {
        const auto k = keys_.find(Lower(subKey));
        if (k == keys_.end()) return settings::kErrorFileNotFound;
        *result = Handle(k->first);
        return settings::kErrorSuccess;
    }
    settings::Status RegQueryValueExA(settings::Hkey key, const char* name, std::uint32_t*,
                                      std::uint32_t* type, std::uint8_t* data,
                                      std::uint32_t* size) override {
        const Value* v = Find(handles_.at(key), name);
        if (!v) return settings::kErrorFileNotFound;
        if (v->bytes.size() > *size) return settings::kErrorMoreData;
        std::copy(v->bytes.begin(), v->bytes.end(), data);
        *size = static_cast<std::uint32_t>(v->bytes.size());
        *type = v->type;
        return settings::kErrorSuccess;
    }
    settings::Status RegCreateKeyExA(settings::Hkey, const char* subKey, std::uint32_t, char*,
                                     std::uint32_t, std::uint32_t, const void*,
                                     settings::Hkey* result, std::uint32_t*) override {
        if (failWrites) return settings::kErrorAccessDenied;
        keys_[Lower(subKey)];
        *result = Handle(Lower(subKey));
        return settings::kErrorSuccess;
    }
    settings::Status RegSetValueExA(settings::Hkey key, const char* name, std::uint32_t,
                                    std::uint32_t type, const std::uint8_t* data,
                                    std::uint32_t size) override {
        if (failWrites) return settings::kErrorAccessDenied;
        keys_[handles_.at(key)][name] = Value{type, std::vector<std::uint8_t>(data, data + size)};
        return settings::kErrorSuccess;
    }
    settings::Status RegCloseKey(settings::Hkey key) override {
        handles_.erase(key);
        --openKeys;
        return settings::kErrorSuccess;
    }

  private:
    static std::string Lower(std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    settings::Hkey Handle(const std::string& key) {
        ++openKeys;
        handles_[next_] = key;
        return next_++;
    }

    std::map<std::string, std::map<std::string, Value>> keys_;
    std::map<settings::Hkey, std::string> handles_;
    settings::Hkey next_ = 0x1000;
};

}  // namespace aspect::testing_support
