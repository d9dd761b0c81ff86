#include "framework/files/ScopedPakFile.h"

#include "framework/files/PakInterface.h"
#include "platform/FileNames.h"

#include <string>
#include <utility>

namespace Quib {

ScopedPakFile::ScopedPakFile() = default;

ScopedPakFile::~ScopedPakFile()
{
    Close();
}

ScopedPakFile::ScopedPakFile(ScopedPakFile&& other) noexcept
    : mFile(std::exchange(other.mFile, nullptr)), mWriter(std::move(other.mWriter)), mWide(other.mWide)
{
}

ScopedPakFile& ScopedPakFile::operator=(ScopedPakFile&& other) noexcept
{
    if (this != &other) {
        Close();
        mFile = std::exchange(other.mFile, nullptr);
        mWriter = std::move(other.mWriter);
        mWide = other.mWide;
    }
    return *this;
}

ScopedPakFile ScopedPakFile::OpenRead(std::string_view path, bool wide)
{
    ScopedPakFile holder;
    holder.mWide = wide;
    holder.mFile = PakFOpen(path);
    return holder;
}

ScopedPakFile ScopedPakFile::OpenWrite(std::string_view path, bool wide)
{
    ScopedPakFile holder;
    holder.mWide = wide;
    holder.mWriter = std::make_unique<AtomicFileWriter>(path);
    if (!holder.mWriter->IsOpen()) {
        std::string alias = LookupPakPathAlias(path);
        if (!alias.empty())
            holder.mWriter = std::make_unique<AtomicFileWriter>(alias);
    }
    if (!holder.mWriter->IsOpen())
        holder.mWriter.reset();
    return holder;
}

bool ScopedPakFile::IsOpen() const
{
    return mFile != nullptr || mWriter != nullptr;
}

bool ScopedPakFile::Write(const void* data, size_t size)
{
    return mWriter && mWriter->Write(data, size);
}

bool ScopedPakFile::Close()
{
    bool ok = true;
    if (mFile) {
        PakFClose(mFile);
        mFile = nullptr;
    }
    if (mWriter) {
        ok = mWriter->Commit();
        mWriter.reset();
    }
    return ok;
}

} // namespace Quib
