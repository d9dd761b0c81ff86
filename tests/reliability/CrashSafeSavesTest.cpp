// The saves survive being killed: a child process saves the profiles,
// settings.ini, the settings file and data/common.ini through the game's
// own code, generation after generation, and is killed with SIGKILL at a
// random moment, hundreds of times. After every kill each file is, byte for
// byte, the version of the last generation the child finished or of the one
// it was writing; never damaged, never missing.
//   QUIB_KILL_SECONDS bounds the run; QUIB_KILL_SEED picks the moments.
#include "tests/reliability/ReliabilitySupport.h"

#include "framework/files/PakInterface.h"
#include "platform/SettingsFile.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>

namespace Quib::Reliability {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

const std::u16string kSaveProfileNames[] = {u"Anna", u"Bert", u"\u010Cech"};

// A value that differs from generation to generation, in content and in
// length, long enough that a save takes a while.
std::string SaveBlob(uint32_t generation, uint32_t salt)
{
    uint32_t state = generation * 2654435761u + salt * 40503u + 1;
    const size_t length = 20000 + (generation * 7919u + salt * 104729u) % 180000u;
    std::string blob(length, ' ');
    for (char& c : blob) {
        state = state * 214013u + 2531011u;
        c = char('a' + (state >> 16) % 26);
    }
    return blob;
}

// The files one generation writes, relative to its folder.
const char* const kSavedFiles[] = {"user/profiles/profile0.prf", "user/profiles/profile1.prf",
                                   "user/profiles/profile2.prf", "user/settings.ini",
                                   "config/Quib/Pelleranthe.settings", "data/common.ini"};

// Saves everything once, as the game saves it, for a generation: each
// file's bytes depend on the generation only.
void SaveGeneration(const std::string& root, uint32_t generation)
{
    {
        Profiles profiles(Utf8ToUtf16(root + "/user"), Utf8ToUtf16(root + "/user/profiles"), "res\\none.ini");
        for (uint32_t i = 0; i < std::size(kSaveProfileNames); ++i) {
            const std::u16string& name = kSaveProfileNames[i];
            if (!profiles.HasProfile(name))
                profiles.AddProfile(name);
            profiles.SelectProfile(name);
            profiles.LoadCurrent();
            profiles.SetString("Main", "Generation", std::to_string(generation));
            profiles.SetString("Progress", "Blob", SaveBlob(generation, i));
            profiles.SaveCurrent();
        }
        profiles.SelectProfile(kSaveProfileNames[generation % std::size(kSaveProfileNames)]);
    } // the profiles are written again, and settings.ini names the current one

    SettingsFile settings(SettingsFile::PathForKey("Quib\\Pelleranthe"));
    {
        SettingsFile::Batch batch(settings);
        settings.WriteDWord("Generation", int32_t(generation));
        const std::string blob = SaveBlob(generation, 7);
        settings.Write("Test3D\\Blob", REG_BINARY, blob.data(), blob.size() / 4);
        settings.WriteString("LastPlayer", generation % 2 ? "Anna" : "Bert");
    }

    PakInterface& pak = *GetSharedPakInterface();
    pak.mPathAliases.clear();
    for (uint32_t i = 0; i < 400 + generation % 300; ++i)
        pak.mPathAliases["data\\images\\copy" + std::to_string(i) + ".png"] =
            "DATA\\IMAGES\\ORIGINAL" + std::to_string((i * 31 + generation) % 997) + ".PNG";
    WriteCommonIni(root + "/data/common.ini");
}

// Runs SaveGeneration with the settings folder of that root.
void SaveGenerationIn(const std::string& root, uint32_t generation)
{
    ScopedEnv config("XDG_CONFIG_HOME", (root + "/config").c_str());
    SaveGeneration(root, generation);
}

using FileSet = std::map<std::string, std::string>; // file -> bytes, "" for missing

FileSet ReadSaved(const std::string& root)
{
    FileSet files;
    for (const char* name : kSavedFiles) {
        const std::string path = root + "/" + name;
        files[name] = fs::exists(path) ? TempDir::ReadFile(path) : std::string();
    }
    return files;
}

TEST(CrashSafeSaves, EverySavedFileIsTheOldOrTheNewVersionAfterASigkill)
{
    const long seconds = EnvNumber("QUIB_KILL_SECONDS", 20);
    std::mt19937 random(uint32_t(EnvNumber("QUIB_KILL_SEED", 33)));
    SingletoneBase::DestroyAll();
    TailSink sink;
    ScopedPak pak;
    TempDir live, reference;
    fs::create_directories(live / "data");
    fs::create_directories(reference / "data");

    // The reference: the same generations saved without interruption.
    std::map<uint32_t, FileSet> versions;
    uint32_t referenceAt = 0;
    auto version = [&](uint32_t generation) -> const FileSet& {
        while (referenceAt < generation + 1) {
            SaveGenerationIn(reference.Path(), referenceAt);
            versions[referenceAt] = ReadSaved(reference.Path());
            versions.erase(referenceAt >= 4 ? referenceAt - 4 : uint32_t(-1));
            ++referenceAt;
        }
        return versions.at(generation);
    };

    // The first generation is written whole; its time sets the range of
    // the kill moments.
    const auto t0 = std::chrono::steady_clock::now();
    SaveGenerationIn(live.Path(), 0);
    const auto generationTime = std::chrono::steady_clock::now() - t0;
    const long generationUs =
        std::clamp<long>(long(std::chrono::duration_cast<std::chrono::microseconds>(generationTime).count()), 200, 20000);
    ASSERT_EQ(ReadSaved(live.Path()), version(0));
    for (const auto& [name, bytes] : version(0))
        ASSERT_FALSE(bytes.empty()) << name;

    uint32_t done = 0; // the last generation the child reported finished
    // The child reports each generation with the time it took, so the kill
    // moments follow the real speed of a loaded machine. The run goes on past
    // its time, within four times it, until enough kills landed everywhere.
    struct Report {
        uint32_t generation;
        uint32_t us;
    };
    constexpr uint32_t kStarted = ~0u;
    long rangeUs = generationUs * 3;
    long kills = 0, splitGenerations = 0, newVersions = 0, unfinished = 0;
    const long enoughKills = UnderSanitizer() ? 30 : 80;
    const auto began = std::chrono::steady_clock::now();
    auto goOn = [&] {
        const auto spent = std::chrono::steady_clock::now() - began;
        if (spent < std::chrono::seconds(seconds))
            return true;
        const bool enough = kills >= enoughKills && unfinished > 0 && splitGenerations > 0;
        return !enough && spent < std::chrono::seconds(seconds * 4);
    };
    while (goOn()) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const uint32_t from = done + 1;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            ScopedEnv config("XDG_CONFIG_HOME", (live / "config").c_str());
            const Report started{kStarted, 0};
            if (write(fds[1], &started, sizeof started) != sizeof started)
                _exit(1);
            for (uint32_t g = from; g < from + 10000; ++g) {
                const auto t = std::chrono::steady_clock::now();
                SaveGeneration(live.Path(), g);
                const auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t);
                const Report report{g, uint32_t(us.count())};
                if (write(fds[1], &report, sizeof report) != sizeof report)
                    break;
            }
            _exit(0);
        }
        close(fds[1]);
        // The clock starts once the child runs, not when it was forked.
        Report report{};
        ASSERT_EQ(read(fds[0], &report, sizeof report), ssize_t(sizeof report));
        ASSERT_EQ(report.generation, kStarted);
        const long delay = std::uniform_int_distribution<long>(0, rangeUs)(random);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended before the kill";
        ++kills;
        const uint32_t doneBefore = done;
        while (read(fds[0], &report, sizeof report) == sizeof report) {
            done = report.generation;
            rangeUs = std::clamp<long>(long(report.us) * 3, 600, 2'000'000);
        }
        close(fds[0]);
        if (done == doneBefore) // killed inside its first generation, which took longer than the range
            rangeUs = std::min(rangeUs * 2, 2'000'000L);

        // Each file is the last finished generation's or the next one's.
        const FileSet now = ReadSaved(live.Path());
        const FileSet& before = version(done);
        const FileSet& after = version(done + 1);
        int atNew = 0;
        for (const char* name : kSavedFiles) {
            const std::string& bytes = now.at(name);
            ASSERT_FALSE(bytes.empty()) << name << " is missing after kill " << kills;
            const bool isOld = bytes == before.at(name), isNew = bytes == after.at(name);
            ASSERT_TRUE(isOld || isNew) << name << " is damaged after kill " << kills << " (generation " << done
                                        << ", " << bytes.size() << " bytes)";
            atNew += isNew && !isOld;
        }
        newVersions += atNew;
        splitGenerations += atNew > 0 && atNew < int(std::size(kSavedFiles));
        // A save the kill cut short leaves its temporary file beside the target.
        for (const auto& entry : fs::recursive_directory_iterator(live.Path()))
            if (entry.path().filename().string().find(".tmp-") != std::string::npos) {
                ++unfinished;
                fs::remove(entry.path());
            }
    }

    // Read back by their own readers, the last files are whole.
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<IniDocument> doc;
        EXPECT_EQ(Profiles::ReadProfileFile(live / ("user/profiles/profile" + std::to_string(i) + ".prf"), doc),
                  Profiles::ReadResult::Ok);
    }
    SettingsFile settings(live / "config/Quib/Pelleranthe.settings");
    EXPECT_FALSE(settings.WasDamaged());

    std::cout << "crash-safe saves: " << kills << " kills survived over " << done << " generations ("
              << generationUs << " us the first, kills within " << rangeUs << " us), " << unfinished << " saves cut short, " << splitGenerations
              << " kills between the files of one generation, " << newVersions << " files found at the new version\n";
    EXPECT_GE(kills, enoughKills);
    EXPECT_GT(unfinished, 0) << "no kill landed inside a save";
    EXPECT_GT(splitGenerations, 0);
    SingletoneBase::DestroyAll();
}

} // namespace
} // namespace Quib::Reliability
