#include "src/UserFolders.h"

#include "platform/TextCodecs.h"

namespace Quib {

namespace {

struct Folders {
    std::u16string userData = u".";
    std::u16string profiles = u".\\profiles\\";
};

Folders& TheFolders()
{
    static Folders folders;
    return folders;
}

bool EndsWithSlash(std::u16string_view text)
{
    return !text.empty() && (text.back() == u'\\' || text.back() == u'/');
}

} // namespace

const std::u16string& UserDataFolder()
{
    return TheFolders().userData;
}
const std::u16string& ProfilesFolder()
{
    return TheFolders().profiles;
}

void SetUserDataFolder(std::u16string_view folder)
{
    Folders& folders = TheFolders();
    folders.userData = std::u16string(folder);
    folders.profiles = folders.userData;
    if (!EndsWithSlash(folders.profiles))
        folders.profiles += u'\\';
    folders.profiles += u"profiles\\";
}

std::string FileInFolder(std::u16string_view folder, std::string_view name)
{
    std::string path = Utf16ToUtf8(folder);
    if (!path.empty() && !EndsWithSlash(folder))
        path += '\\';
    path += name;
    return path;
}

} // namespace Quib
