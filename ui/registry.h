#pragma once
// The system registry as the About box reads it: open a key under a root with
// an access mask, query one value (its type and bytes), close the key. Results
// are the registry's own error codes.
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace vireo_ui {

using RegistryRoot = std::int32_t;
using RegistryKey = std::uint32_t;  // 0 = no key
using RegistryResult = std::int32_t;

constexpr RegistryRoot HKEY_LOCAL_MACHINE = static_cast<RegistryRoot>(0x80000002u);
constexpr std::uint32_t KEY_ALL_ACCESS = 0x2003F;
constexpr std::uint32_t KEY_READ = 0x20019;

constexpr RegistryResult ERROR_SUCCESS = 0;
constexpr RegistryResult ERROR_FILE_NOT_FOUND = 2;
constexpr RegistryResult ERROR_ACCESS_DENIED = 5;
constexpr RegistryResult ERROR_INVALID_HANDLE = 6;
constexpr RegistryResult ERROR_MORE_DATA = 234;

// Value types.
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

class Registry {
public:
    virtual ~Registry() = default;
    // Opens `name` under `root`; sets `key` on success.
    virtual RegistryResult open_key(RegistryRoot root, const std::string& name, std::uint32_t access,
                                    RegistryKey& key) = 0;
    // Copies the value's bytes into `buffer` and sets `size` to their count and
    // `type` to the value's type. ERROR_MORE_DATA (with `size` the needed count)
    // when the buffer is too small.
    virtual RegistryResult query_value(RegistryKey key, const std::string& value_name, std::uint32_t& type,
                                       std::span<unsigned char> buffer, std::uint32_t& size) = 0;
    virtual RegistryResult close_key(RegistryKey key) = 0;
};

// The registry of this system: Linux keeps none of the keys the About box
// looks for, so every key is missing.
class HostRegistry final : public Registry {
public:
    RegistryResult open_key(RegistryRoot, const std::string&, std::uint32_t, RegistryKey& key) override {
        key = 0;
        return ERROR_FILE_NOT_FOUND;
    }
    RegistryResult query_value(RegistryKey, const std::string&, std::uint32_t&, std::span<unsigned char>,
                               std::uint32_t&) override {
        return ERROR_INVALID_HANDLE;
    }
    RegistryResult close_key(RegistryKey) override { return ERROR_INVALID_HANDLE; }
};

// A registry held in memory: keys with typed values, keys that refuse a given
// access, and a record of what was opened and closed.
class InMemoryRegistry final : public Registry {
public:
    // Stores a value; the key exists from then on. A string is stored with its
    // terminating zero byte, as the system stores one.
    void set_string(RegistryRoot root, const std::string& key, const std::string& value_name, const std::string& text);
    void set_dword(RegistryRoot root, const std::string& key, const std::string& value_name, std::uint32_t value);
    void set_value(RegistryRoot root, const std::string& key, const std::string& value_name, std::uint32_t type,
                   std::vector<unsigned char> bytes);
    // Opening `key` with any access right beyond `allowed_access` is refused.
    void restrict_access(RegistryRoot root, const std::string& key, std::uint32_t allowed_access);

    RegistryResult open_key(RegistryRoot root, const std::string& name, std::uint32_t access,
                            RegistryKey& key) override;
    RegistryResult query_value(RegistryKey key, const std::string& value_name, std::uint32_t& type,
                               std::span<unsigned char> buffer, std::uint32_t& size) override;
    RegistryResult close_key(RegistryKey key) override;

    // Keys opened so far ("root\name", access mask), and handles still open.
    struct Opening {
        std::string key;
        std::uint32_t access;
    };
    const std::vector<Opening>& openings() const { return openings_; }
    std::size_t open_handles() const { return handles_.size(); }

private:
    struct Value {
        std::uint32_t type;
        std::vector<unsigned char> bytes;
    };
    struct Key {
        std::map<std::string, Value> values;  // value names compared without case
        std::uint32_t allowed_access = 0xFFFFFFFFu;
    };
    static std::string path_of(RegistryRoot root, const std::string& key);
    Key& key_at(RegistryRoot root, const std::string& key);

    std::map<std::string, Key> keys_;  // by path_of(), compared without case
    std::map<RegistryKey, std::string> handles_;
    RegistryKey next_handle_ = 0x100;
    std::vector<Opening> openings_;
};

}  // namespace vireo_ui
