// Settings under the registry key, their demo recording, and the command
// line.
#include "framework/app/QuibAppBase.h"

#include "framework/files/PathUtils.h"
#include "framework/files/ProcessLog.h"
#include "platform/CommandLine.h"
#include "platform/MessageSink.h"
#include "platform/SettingsFile.h"
#include "platform/SettingsRanges.h"
#include "platform/TextCodecs.h"

#include <cstdlib>
#include <cstring>

namespace Quib {

namespace {

// Volumes are stored in hundredths, cut as they were always cut (0.857 is
// 85); the small allowance keeps a stored value from creeping down on each
// save (0.29 x 100 is 28.999...).
int32_t VolumeToStored(double volume)
{
    return int32_t(volume * 100.0 + 1e-6);
}

// Absolute here: rooted ("/..." or "\..."), or a drive form as demo files
// were named elsewhere ("C:\...").
bool IsAbsoluteName(const std::string& name)
{
    if (name.empty())
        return false;
    if (name[0] == '/' || name[0] == '\\')
        return true;
    return name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
}

// A relative demo file name goes into the data folder (when there is one).
std::string InDataFolder(const std::string& name)
{
    if (IsAbsoluteName(name))
        return name;
    const std::u16string folder = GetFolderWithSlash();
    return folder.empty() ? name : Utf16ToUtf8(folder) + name;
}

} // namespace

SettingsFile* QuibAppBase::Settings()
{
    if (registryKey.empty())
        return nullptr;
    if (!settingsFile || settingsFileKey != registryKey) {
        settingsFile = std::make_unique<SettingsFile>(SettingsFile::PathForKey(registryKey));
        settingsFileKey = registryKey;
    }
    return settingsFile.get();
}

bool QuibAppBase::RegistryWrite(const std::string& name, uint32_t type, const uint8_t* data, uint32_t size)
{
    if (registryKey.empty())
        return false;
    if (playing) {
        // Nothing is written; the recorded outcome is returned.
        if (closedByUser)
            return true;
        if (!PrepareDemoEvent() || demo.PendingClass() || demo.PendingCode() != DEMO_REGISTRY_WRITE) {
            QUIB_LOG_ERROR("Demo out of step: no recorded registry write for \"%s\"", name.c_str());
            return false;
        }
        DemoEvent event;
        return demo.TakePending(event) && event.flag;
    }
    SettingsFile* file = Settings();
    const bool written = file && file->Write(name, type, data, size);
    DemoEvent event;
    event.code = DEMO_REGISTRY_WRITE;
    event.flag = written;
    RecordDemoEvent(event);
    return written;
}

bool QuibAppBase::RegistryRead(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& size)
{
    if (registryKey.empty())
        return false;
    if (playing) {
        if (closedByUser)
            return false;
        if (!PrepareDemoEvent() || demo.PendingClass() || demo.PendingCode() != DEMO_REGISTRY_READ) {
            QUIB_LOG_ERROR("Demo out of step: no recorded registry read for \"%s\"", name.c_str());
            return false;
        }
        DemoEvent event;
        if (!demo.TakePending(event) || !event.flag)
            return false;
        // The recorded value goes only into a buffer it fits.
        const uint32_t length = uint32_t(event.bytes.size());
        const bool fits = data && length <= size;
        if (fits && length)
            std::memcpy(data, event.bytes.data(), length);
        type = uint32_t(event.value);
        size = length;
        return fits;
    }
    SettingsFile* file = Settings();
    uint32_t readType = 0;
    uint32_t readSize = size;
    const bool found = file && data && file->ReadInto(name, readType, data, readSize);
    DemoEvent event;
    event.code = DEMO_REGISTRY_READ;
    event.flag = found;
    if (found) {
        event.value = int(readType);
        event.bytes.assign(data, data + readSize);
        type = readType;
    }
    if (found || (file && data && readSize > size))
        size = readSize; // read, or the length needed
    RecordDemoEvent(event);
    return found;
}

bool QuibAppBase::RegistryReadDWord(const std::string& name, int32_t& value)
{
    uint8_t bytes[4] = {};
    uint32_t type = 0;
    uint32_t size = sizeof bytes;
    if (!RegistryRead(name, type, bytes, size) || type != REG_DWORD || size != 4)
        return false;
    const int32_t stored = int32_t(uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                                   uint32_t(bytes[3]) << 24);
    value = ClampSetting(name, stored);
    return true;
}

bool QuibAppBase::RegistryReadBool(const std::string& name, bool& value)
{
    int32_t stored = 0;
    if (!RegistryReadDWord(name, stored))
        return false;
    value = stored != 0;
    return true;
}

bool QuibAppBase::RegistryWriteDWord(const std::string& name, int32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(uint32_t(value) >> 8), uint8_t(uint32_t(value) >> 16),
                              uint8_t(uint32_t(value) >> 24)};
    return RegistryWrite(name, REG_DWORD, bytes, 4);
}

bool QuibAppBase::RegistryWriteBool(const std::string& name, bool value)
{
    return RegistryWriteDWord(name, value ? 1 : 0);
}

bool QuibAppBase::RegistryDeleteValue(const std::u16string& name)
{
    // A played demo leaves the user's settings as they are.
    if (playing)
        return false;
    SettingsFile* file = Settings();
    return file && file->DeleteValue(Utf16ToWindows1252(name));
}

void QuibAppBase::LoadRegistrySettings()
{
    registryLoaded = true;
    windowedChoice = windowedWanted;
    registryKey = Utf16ToWindows1252(GetStringEntry("RegistryKey", Windows1252ToUtf16(registryKey)));
    if (registryKey.empty())
        return;

    int32_t value = 0;
    if (RegistryReadDWord("MusicVolume", value))
        musicVolume = value / 100.0;
    if (RegistryReadDWord("SfxVolume", value))
        sfxVolume = value / 100.0;
    if (RegistryReadDWord("ScreenMode", value))
        windowedWanted = windowedChoice = value == 0;
    if (RegistryReadDWord("Muted", value))
        muteCount = value;
    if (RegistryReadDWord("PreferredX", value))
        preferredX = value;
    if (RegistryReadDWord("PreferredY", value))
        preferredY = value;
    if (RegistryReadDWord("CustomCursors", value))
        EnableCustomCursors(value != 0);
    if (RegistryReadDWord("WaitForVSync", value))
        waitForVSync = value != 0;
    if (RegistryReadDWord("InProgress", value))
        lastRunEndedCleanly = value == 0;
    if (!screenSaverMode)
        RegistryWriteDWord("InProgress", 1);
}

void QuibAppBase::SaveRegistrySettings()
{
    if (registryKey.empty())
        return;
    // One save of the whole file for all of them.
    SettingsFile* file = Settings();
    std::unique_ptr<SettingsFile::Batch> batch;
    if (file && !playing)
        batch = std::make_unique<SettingsFile::Batch>(*file);
    RegistryWriteDWord("MusicVolume", VolumeToStored(musicVolume));
    RegistryWriteDWord("SfxVolume", VolumeToStored(sfxVolume));
    RegistryWriteDWord("Muted", muteCount - autoMuteCount > 0 ? 1 : 0);
    RegistryWriteDWord("ScreenMode", (fullScreenForced ? windowedChoice : windowedWanted) ? 0 : 1);
    RegistryWriteDWord("PreferredX", preferredX);
    RegistryWriteDWord("PreferredY", preferredY);
    RegistryWriteDWord("CustomCursors", customCursors ? 1 : 0);
    RegistryWriteDWord("InProgress", 0);
    RegistryWriteDWord("WaitForVSync", waitForVSync ? 1 : 0);
}

void QuibAppBase::ReadCommandLine()
{
    commandLineRead = true;
    // The shell has split and unquoted the arguments already.
    for (const CommandLineParam& param : SplitArguments(ProcessArguments()))
        HandleCmdLineParam(param.name, param.value);
}

void QuibAppBase::SplitCommandLine(const std::string& text)
{
    std::string name;
    std::string value;
    bool inValue = false;
    bool quoting = false;
    auto endToken = [&] {
        if (!name.empty())
            HandleCmdLineParam(name, value);
        name.clear();
        value.clear();
        inValue = false;
    };
    for (char c : text) {
        if (c == '"') {
            if (quoting)
                endToken();
            quoting = !quoting;
        } else if (c == ' ' && !quoting) {
            endToken();
        } else if (c == '=') {
            inValue = true; // not kept
        } else {
            (inValue ? value : name) += c;
        }
    }
    endToken();
}

void QuibAppBase::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        playing = true;
        recording = false;
    } else if (name == "-recnum") {
        int keep = std::atoi(value.c_str());
        if (keep < 1)
            keep = 5;
        // Numbered recordings live in the data folder, and are counted
        // there too.
        const std::string stem = InDataFolder(demoFileStem);
        const int highest = RotateDemoFiles(stem, keep, true);
        demoFileName = stem + std::to_string(highest + 1) + ".dmo";
        recording = true;
        playing = false;
    } else if (name == "-playnum") {
        const int back = std::max(0, std::atoi(value.c_str()) - 1);
        const std::string stem = InDataFolder(demoFileStem);
        demoFileName = stem + std::to_string(RotateDemoFiles(stem, 0, false) - back) + ".dmo";
        playing = true;
        recording = false;
    } else if (name == "-record") {
        recording = true;
        playing = false;
    } else if (name == "-demofile") {
        demoFileName = InDataFolder(value);
    } else if (name == "-crash") {
        // For testing what an abnormal end leaves behind.
        OutputDebugString("-crash: ending abnormally\r\n");
        std::abort();
    } else if (name == "-screensaver") {
        screenSaverMode = true;
    } else if (name == "-changedir") {
        programFolder = value;
    } else {
        ShowFatalErrorW(GetStringEntry("INVALID_COMMANDLINE_PARAM", u"Invalid command line parameter: ") +
                        Windows1252ToUtf16(name));
        FatalExit(0);
    }
}

} // namespace Quib
