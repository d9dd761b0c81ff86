#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace Quib {

// Path names take '\' and '/' alike. Wide paths reach the disk as UTF-8,
// narrow ones byte for byte.

// A copy without one final '\' or '/'.
std::string StripTrailingSlash(std::string_view path);
std::u16string StripTrailingSlashW(std::u16string_view path);
// Appends '\' unless the text is empty or already ends in '\' or '/'.
std::string AddTrailingSlash(std::string_view path);
// Index of the last `c`, -1 when none.
int StringRFindChar(std::string_view text, char c);
// The text before the last separator; empty when there is none.
std::string GetDirectoryPart(std::string_view path);
// The name after the last separator, without its extension.
std::string GetFileBaseName(std::string_view path);
// Index of the first '\' or '/' at or after `from`, -1 when none.
int FindFirstSlashW(std::u16string_view text, int from);

// The working directory the file layer holds.
std::string GetCurrentDir();
// Stores the working directory into `buffer`, makes `path` the working
// directory and returns `buffer`; restoring it is the caller's business.
std::u16string& PushCurrentDirectoryW(std::u16string& buffer, std::u16string_view path);

// Creates every folder along the path, then the path itself; failures are
// ignored.
void MkdirTree(std::string_view path);
void CreateDirectoryTreeW(std::u16string_view path);
// Creates the folder that would hold the file, with its missing parents.
void EnsureDirectoryExists(std::string_view filePath);
// Deletes a folder and everything in it; true only when all went away.
// Symbolic links are removed, never followed.
bool DeleteDirectoryTree(std::string_view path);

// Joins a relative path onto a base folder, resolving leading "." and ".."
// components: ..\x\y.png on D:\a\b gives D:\a\x\y.png.
std::string NormalizePath(std::string_view relative, std::string_view base);

// Last-write time, in seconds since 1970-01-01 UTC, of the first file
// matching the name (wildcards allowed); 0 when none does.
int64_t GetFileTimeUnix(std::string_view path);

// The application's per-user folder, kept with a trailing '\' (empty until
// set).
void SetFolderWithSlash(std::u16string_view path);
std::u16string GetFolderWithSlash();

} // namespace Quib
