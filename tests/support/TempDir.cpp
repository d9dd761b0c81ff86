#include "tests/support/TempDir.h"

#include "platform/FileNames.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Quib::Testing {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quibtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    mPath = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(mPath, ec);
}

std::string TempDir::WriteFile(std::string_view name, std::string_view bytes) const
{
    std::filesystem::path path = std::filesystem::path(mPath) / std::string(name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return path.string();
}

std::string TempDir::ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& dir) : mOld(GetWorkingDirectory())
{
    if (!SetWorkingDirectory(dir))
        throw std::runtime_error("cannot enter " + dir);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() { SetWorkingDirectory(mOld); }

} // namespace Quib::Testing
