#include "framework/files/IniStdIFile.h"

#include "platform/FileNames.h"

#include <string>

namespace Quib {

size_t IniStdIStream::ReadBytes(void* buffer, size_t size)
{
    if (!mIn)
        return 0;
    mIn.read(static_cast<char*>(buffer), std::streamsize(size));
    return size_t(mIn.gcount());
}

IniStdIFile::IniStdIFile(std::string_view path) : IniStdIStream(file)
{
    std::string resolved = ResolveExistingPath(path);
    if (!resolved.empty())
        file.open(resolved, std::ios::binary);
}

} // namespace Quib
