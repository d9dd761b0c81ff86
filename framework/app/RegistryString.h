#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace Quib {

class SettingsFile;

// A registry write: value name, type, bytes and their count -> success.
using RegistryWriteFunction =
    std::function<bool(std::string_view name, uint32_t type, const void* data, size_t size)>;

// Writes the text as a REG_SZ value (its bytes and length, no terminator)
// through the write; its success.
bool RegistryWriteString(const RegistryWriteFunction& write, std::string_view name, std::string_view text);
// The same straight into a settings file.
bool RegistryWriteString(SettingsFile& settings, std::string_view name, std::string_view text);

} // namespace Quib
