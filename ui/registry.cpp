#include "vireo/ui/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vireo_ui {
namespace {

// Key and value names are matched without regard to case, as the registry does.
std::string folded(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

std::string InMemoryRegistry::path_of(RegistryRoot root, const std::string& key) {
    return std::to_string(static_cast<std::uint32_t>(root)) + "\\" + folded(key);
}

InMemoryRegistry::Key& InMemoryRegistry::key_at(RegistryRoot root, const std::string& key) {
    return keys_[path_of(root, key)];
}

void InMemoryRegistry::set_string(RegistryRoot root, const std::string& key, const std::string& value_name,
                                  const std::string& text) {
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    set_value(root, key, value_name, REG_SZ, std::move(bytes));
}

void InMemoryRegistry::set_dword(RegistryRoot root, const std::string& key, const std::string& value_name,
                                 std::uint32_t value) {
    // Little-endian, as the system stores a 32-bit number.
    set_value(root, key, value_name, REG_DWORD,
              {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
               static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)});
}

void InMemoryRegistry::set_value(RegistryRoot root, const std::string& key, const std::string& value_name,
                                 std::uint32_t type, std::vector<unsigned char> bytes) {
    key_at(root, key).values[folded(value_name)] = Value{type, std::move(bytes)};
}

void InMemoryRegistry::restrict_access(RegistryRoot root, const std::string& key, std::uint32_t allowed_access) {
    key_at(root, key).allowed_access = allowed_access;
}

RegistryResult InMemoryRegistry::open_key(RegistryRoot root, const std::string& name, std::uint32_t access,
                                          RegistryKey& key) {
    key = 0;
    const std::string path = path_of(root, name);
    openings_.push_back({path, access});
    const auto found = keys_.find(path);
    if (found == keys_.end()) return ERROR_FILE_NOT_FOUND;
    if ((access & ~found->second.allowed_access) != 0) return ERROR_ACCESS_DENIED;
    key = next_handle_++;
    handles_[key] = path;
    return ERROR_SUCCESS;
}

RegistryResult InMemoryRegistry::query_value(RegistryKey key, const std::string& value_name, std::uint32_t& type,
                                             std::span<unsigned char> buffer, std::uint32_t& size) {
    const auto handle = handles_.find(key);
    if (handle == handles_.end()) return ERROR_INVALID_HANDLE;
    const Key& k = keys_.at(handle->second);
    const auto value = k.values.find(folded(value_name));
    if (value == k.values.end()) return ERROR_FILE_NOT_FOUND;
    type = value->second.type;
    size = static_cast<std::uint32_t>(value->second.bytes.size());
    if (value->second.bytes.size() > buffer.size()) return ERROR_MORE_DATA;
    std::copy(value->second.bytes.begin(), value->second.bytes.end(), buffer.begin());
    return ERROR_SUCCESS;
}

RegistryResult InMemoryRegistry::close_key(RegistryKey key) {
    return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace vireo_ui
