#pragma once
#include "framework/files/IniCharSource.h"
#include "framework/files/ScopedPakFile.h"

namespace Quib {

// An ini file read through the pak layer.
class IniPakSource : public ScopedPakFile, public IniCharSource {
public:
    explicit IniPakSource(ScopedPakFile&& file) : ScopedPakFile(std::move(file)) {}

protected:
    size_t ReadBytes(void* buffer, size_t size) override;
};

} // namespace Quib
