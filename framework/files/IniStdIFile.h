#pragma once
#include "framework/files/IniCharSource.h"

#include <fstream>
#include <istream>
#include <string_view>

namespace Quib {

// An ini source over a standard input stream.
class IniStdIStream : public IniCharSource {
public:
    explicit IniStdIStream(std::istream& in) : mIn(in) {}

protected:
    size_t ReadBytes(void* buffer, size_t size) override;

    std::istream& mIn;
};

namespace Detail {
struct IniFileStreamHolder {
    std::ifstream file;
};
} // namespace Detail

// An ini file read straight from disk (not through the pak layer).
class IniStdIFile : private Detail::IniFileStreamHolder, public IniStdIStream {
public:
    explicit IniStdIFile(std::string_view path);

    bool IsOpen() const { return file.is_open(); }
    // The stream is open and no read has failed other than at the end.
    bool Good() const { return file.is_open() && !file.bad(); }
};

} // namespace Quib
