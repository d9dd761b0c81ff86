#pragma once
#include <string>
#include <string_view>

namespace Quib::Testing {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return mPath; }
    // Path of a name inside the folder ('/' separated).
    std::string operator/(std::string_view name) const { return mPath + "/" + std::string(name); }
    // Writes a file (creating its folders) and returns its path.
    std::string WriteFile(std::string_view name, std::string_view bytes) const;
    static std::string ReadFile(const std::string& path);

private:
    std::string mPath;
};

// Runs a scope with the file layer's working directory set elsewhere.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& dir);
    ~ScopedWorkingDirectory();

private:
    std::string mOld;
};

} // namespace Quib::Testing
