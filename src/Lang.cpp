#include "src/Lang.h"

#include "framework/files/IniFile.h"
#include "framework/files/PakInterface.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "src/UserFolders.h"

#include <mutex>

namespace Quib {

Lang& Lang::Instance()
{
    std::lock_guard lock(InstanceMutex());
    Lang* instance = Singletone<Lang>::Instance();
    if (!instance) {
        instance = new Lang;
        SetInstance(instance);
    }
    return *instance;
}

Lang::Lang(std::string path) : mPath(std::move(path))
{
    Load();
}

Lang::~Lang()
{
    std::lock_guard lock(InstanceMutex());
    if (Singletone<Lang>::Instance() == this)
        SetInstance(nullptr);
}

void Lang::Load()
{
    mTexts.Clear();
    mMissingReported = false;
    mEndCheckPending = false;
    if (!LoadIniFileW(mTexts, mPath)) {
        QUIB_LOG_ERROR("Can't load texts: \"%s\"", mPath);
        return;
    }
    // Checked at the first lookup: the table may be read before the
    // process log is open.
    mEndCheckPending = true;
}

void Lang::Reload()
{
    Load();
}

void Lang::CheckEnd()
{
    mEndCheckPending = false;
    // The table is written whole, every line ended; one that stops inside
    // a line (or inside a 16-bit character) was most likely cut short.
    const std::string bytes = PakReadWholeFile(mPath);
    const size_t size = bytes.size();
    const bool cut = size % 2 != 0 || size < 2 || (bytes[size - 2] != '\n' && bytes[size - 2] != '\r') ||
                     bytes[size - 1] != '\0';
    if (!bytes.empty() && cut)
        QUIB_LOG_ERROR("Texts \"%s\" end inside a line (%d bytes): the file may be cut short", mPath,
                       int(bytes.size()));
}

std::u16string Lang::operator()(std::string_view section, std::string_view key)
{
    if (mEndCheckPending)
        CheckEnd();
    if (key.empty())
        return std::u16string();
    const std::u16string wideSection = StringToWString(section);
    const std::u16string wideKey = StringToWString(key);
    auto it = mTexts.FindKey(wideSection, wideKey);
    if (it != IniDocumentW::End())
        return it.Value();
    QUIB_LOG_ERROR("Lang string not found: [\"%s\"][\"%s\"]", std::string(section), std::string(key));
    if (!mMissingReported) {
        mMissingReported = true;
        QUIB_LOG_ERROR("Texts \"%s\" lack the text [\"%s\"][\"%s\"]; missing texts read as \"???\"", mPath,
                       std::string(section), std::string(key));
    }
    SetMissingText(section, key);
    RecordMissing(wideSection, wideKey);
    return std::u16string(kMissingText);
}

void Lang::SetMissingText(std::string_view section, std::string_view key)
{
    mTexts.GetOrAddKey(mTexts.AddSection(StringToWString(section)), StringToWString(key))
        .SetValue(std::u16string(kMissingText));
}

void Lang::SetMissingTextsFolder(std::u16string_view folder)
{
    mMissing.Clear();
    mMissingPath.clear();
    if (folder.empty())
        return;
    mMissingPath = FileInFolder(folder, kMissingTextsFile);
    LoadIniFileW(mMissing, mMissingPath); // texts recorded by earlier runs stay
}

void Lang::RecordMissing(const std::u16string& section, const std::u16string& key)
{
    if (mMissingPath.empty())
        return;
    auto added = mMissing.GetOrAddKey(mMissing.AddSection(section), key);
    if (!added.Value().empty())
        return; // recorded by an earlier run
    added.SetValue(std::u16string(kMissingText));
    if (!SaveIniFileW(mMissingPath, mMissing))
        QUIB_LOG_ERROR("Can't write missing texts: \"%s\"", mMissingPath);
}

} // namespace Quib
