#include "framework/app/RegistryString.h"

#include "platform/SettingsFile.h"

namespace Quib {

bool RegistryWriteString(const RegistryWriteFunction& write, std::string_view name, std::string_view text)
{
    return write && write(name, REG_SZ, text.data(), text.size());
}

bool RegistryWriteString(SettingsFile& settings, std::string_view name, std::string_view text)
{
    return settings.Write(name, REG_SZ, text.data(), text.size());
}

} // namespace Quib
