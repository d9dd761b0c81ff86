#include "src/game/FindDuplicateImages.h"

#include "framework/files/PakInterface.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "platform/FileNames.h"
#include "src/game/BuildGameDat.h"
#include "src/game/GameShellHost.h"

#include <cstring>
#include <list>
#include <map>
#include <utility>
#include <vector>

namespace Quib {

namespace {

bool HasImageExtension(const std::string& path)
{
    for (const char* ext : {".png", ".jpg", ".gif"})
        if (path.size() >= 4 && path.compare(path.size() - 4, 4, ext) == 0)
            return true;
    return false;
}

bool SamePixels(const ImageLib::Image& a, const ImageLib::Image& b)
{
    return a.width == b.width && a.height == b.height &&
           std::memcmp(a.pixels, b.pixels, size_t(a.width) * size_t(a.height) * 4) == 0;
}

} // namespace

bool AddPathAlias(const std::string& kept, const std::string& deleted)
{
    PakInterface* pak = GetSharedPakInterface();
    if (!pak)
        return false;
    if (IsAliasUnsafeName(kept) || IsAliasUnsafeName(deleted)) {
        ProcessLog::GetInstance()->LogInfo("No alias for \"%s\": a name holds one of [ ] , =", deleted);
        return false;
    }
    const std::string keptName = NormalizePakPath(kept);
    const std::string deletedName = NormalizePakPath(deleted);
    if (keptName.empty() || deletedName.empty() || pak->mPathAliases.count(keptName))
        return false;
    pak->mPathAliases[deletedName] = keptName;
    return true;
}

void FindDuplicateImages()
{
    std::vector<DataFileRecord> files;
    ListFilesRecursive(files, "data");
    std::map<std::pair<int32_t, int32_t>, std::list<ImageFileEntry>> classes;
    for (const DataFileRecord& file : files) {
        if (!file.regular || !HasImageExtension(file.path))
            continue;
        std::unique_ptr<ImageLib::Image> image = ImageLib::LoadImageFile(file.path, false);
        if (!image)
            continue;
        ImageFileEntry entry;
        entry.size = uint32_t(file.size);
        entry.path = file.path;
        classes[{image->width, image->height}].push_back(std::move(entry));
    }

    int deletedFiles = 0;
    uint64_t savedBytes = 0;
    for (auto& [size, entries] : classes) {
        while (!entries.empty()) {
            ImageFileEntry& reference = entries.front();
            reference.image = ImageLib::LoadImageFile(reference.path, false);
            for (auto it = std::next(entries.begin()); reference.image && it != entries.end();) {
                it->image = ImageLib::LoadImageFile(it->path, false);
                const bool same = it->image && SamePixels(*reference.image, *it->image);
                it->image.reset();
                if (!same) {
                    ++it;
                    continue;
                }
                if (AddPathAlias(reference.path, it->path)) {
                    if (RemoveFile(it->path)) {
                        ++deletedFiles;
                        savedBytes += it->size;
                    } else {
                        QUIB_LOG_ERROR("Can't delete the duplicate image \"%s\"", it->path);
                    }
                }
                it = entries.erase(it);
            }
            entries.pop_front();
        }
    }

    GameShellHost& host = GetGameShellHost();
    host.WriteCommonIni();
    host.ShowMessageBox(WStrFormat(u"Можно сэкономить %.1fmb (%d файлов)", double(savedBytes) / 1048576.0,
                                   deletedFiles),
                        u"app");
    host.SetExiting();
}

} // namespace Quib
