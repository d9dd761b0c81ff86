// The generated data tree, read back through the game's and the framework's
// own readers: every layered picture, settings file, text, font, sound,
// music track and the resource manifest, and every name the data refers to.
#include "framework/files/IniData.h"
#include "framework/files/IniDocument.h"
#include "framework/files/IniFile.h"
#include "framework/files/PakInterface.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/StringUtils.h"
#include "framework/files/XMLParser.h"
#include "framework/graphics/BMFont.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/SysFont.h"
#include "framework/sound/SoundFileSupport.h"
#include "platform/headless/CapturingSink.h"
#include "platform/AudioDecoder.h"
#include "platform/TextCodecs.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/game/quest/PsdPicture.h"
#include "src/particles/EmitterFile.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;
namespace fs = std::filesystem;

const std::string kData = QUIB_GAME_DATA;

// Files below the data folder whose name is `name` (any case), as relative
// paths with backslashes.
std::vector<std::string> FindFiles(const std::string& name)
{
    std::vector<std::string> out;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kData)) {
        if (entry.is_regular_file() && EqualsNoCase(entry.path().filename().string(), name.c_str())) {
            std::string rel = fs::relative(entry.path(), kData).string();
            std::replace(rel.begin(), rel.end(), '/', '\\');
            out.push_back(rel);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

class GameDataTest : public ::testing::Test {
protected:
    GameDataTest() : cwd(kData) { MakeTestDisplay(app, kDisplayLayouts[0]); }

    QuibAppBase app;
    ScopedWorkingDirectory cwd;
};

TEST_F(GameDataTest, EveryLayeredPictureLoadsWithAllItsImages)
{
    const std::vector<std::string> files = FindFiles("layers.ini");
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        const std::string folder = file.substr(0, file.size() - std::string("layers.ini").size());
        PsdPicture picture(folder, true);
        EXPECT_FALSE(picture.layers.empty()) << folder;
        IniData ini;
        ini.LoadFile(file);
        // The layers are the file's last section ("layers" in the screen
        // layouts, the picture's name in the hidden-object levels).
        std::vector<std::string> sections;
        ini.GetSectionNames(sections);
        ASSERT_FALSE(sections.empty()) << folder;
        for (const PsdPictureLayer* layer : picture.layers) {
            ASSERT_NE(layer->image, nullptr) << folder << layer->name;
            // The generator writes each layer's size as numbers 3 and 4.
            int x = 0, y = 0, width = -1, height = -1;
            std::sscanf(ini.GetString(sections.back(), layer->name).c_str(), "%d %d %d %d", &x, &y, &width, &height);
            EXPECT_EQ(layer->image->width, width) << folder << layer->name;
            EXPECT_EQ(layer->image->height, height) << folder << layer->name;
            EXPECT_LE(layer->x + layer->image->width, 1024 + 64) << folder << layer->name;
            EXPECT_LE(layer->y + layer->image->height, 768 + 64) << folder << layer->name;
        }
    }
}

// The checks that report damaged files say nothing of the generated ones:
// layouts and their pictures, fonts, music pages and the text table.
TEST_F(GameDataTest, WholeFilesDrawNoDamageReport)
{
    TempDir logDir;
    ProcessLog::GetInstance()->Open(logDir / "log.html");
    CapturingSink sink;
    for (const std::string& file : FindFiles("layers.ini"))
        PsdPicture picture(file.substr(0, file.size() - std::string("layers.ini").size()), true);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kData)) {
        const std::string extension = StringToLower(entry.path().extension().string());
        const std::string path = entry.path().string();
        if (extension == ".jpg") {
            EXPECT_TRUE(ImageLib::ReadJpeg(path)) << path;
        } else if (extension == ".fnt") {
            EXPECT_TRUE(BMFont(path).IsLoaded()) << path;
        } else if (extension == ".ogg") {
            PakFile* file = PakFOpen(path);
            ASSERT_TRUE(file) << path;
            EXPECT_EQ(OggStreamDamage(file), "") << path;
            PakFClose(file);
        }
    }
    Lang texts;
    texts("Interface", "Skip");
    for (const std::string& line : sink.debugLines) {
        for (const char* report : {"cut short", "damaged data", "end inside", "ends inside"})
            EXPECT_EQ(line.find(report), std::string::npos) << line;
    }
}

TEST_F(GameDataTest, MainMenuHasEveryLayerTheMenuLooksUp)
{
    PsdPicture menu("data\\gui\\main_menu\\", true);
    std::vector<std::string> names = {"_back", "_back2", "buttons/player_name"};
    for (const char* button : {"play", "here", "Options", "Credits", "exit"})
        for (const char* state : {"_in", "_ac", "_dn"})
            names.push_back(std::string("buttons/") + button + state);
    for (const std::string& name : names) {
        PsdPictureLayer* layer = menu.FindLayer(name);
        ASSERT_NE(layer, nullptr) << name;
        EXPECT_NE(layer->image, nullptr) << name;
    }
    PsdPictureLayer* back = menu.FindLayer("_back");
    EXPECT_EQ(back->image->width, 1024);
    EXPECT_EQ(back->image->height, 768);
    EXPECT_EQ(back->z, menu.layers.front()->z) << "the back is the lowest layer";
    size_t flashing = 0;
    for (const PsdPictureLayer* layer : menu.layers)
        flashing += layer->name.rfind("fx/", 0) == 0;
    EXPECT_GE(flashing, 3u);
    // Hovered and pressed pictures of a button differ from its normal one.
    for (const char* button : {"play", "exit", "here"}) {
        Image* in = menu.FindLayer(std::string("buttons/") + button + "_in")->image;
        for (const char* state : {"_ac", "_dn"}) {
            auto* other = static_cast<DDImage*>(menu.FindLayer(std::string("buttons/") + button + state)->image);
            auto* normal = static_cast<DDImage*>(in);
            bool differs = other->width != normal->width || other->height != normal->height;
            for (int y = 0; !differs && y < normal->height; y += 3)
                for (int x = 0; !differs && x < normal->width; x += 3)
                    differs = other->GetPixel(x, y) != normal->GetPixel(x, y);
            EXPECT_TRUE(differs) << button << state;
        }
    }
}

TEST_F(GameDataTest, GameSettingsHaveWorkingValues)
{
    IniData ini;
    ini.LoadFile("res\\game.ini");
    IniDataSection* game = ini.SelectSection("game");
    for (const char* key : {"profiledir",
                            "autocreatepak",
                            "createdeveloperprofile",
                            "progressparts",
                            "ambientmul",
                            "generatehintids",
                            "skiphog",
                            "hinttime",
                            "minigameskiptime",
                            "screenfade",
                            "moviefadeintime",
                            "moviefadeouttime",
                            "timeperchar",
                            "timeperstringadd",
                            "reloadsoundsbeforemovie",
                            "movietextrect",
                            "itemsinhog",
                            "placeallspheres",
                            "hintnorandomrecord",
                            "notepad",
                            "notepadposition",
                            "notepadlines",
                            "notepadcolwidth",
                            "notepaditemsincol",
                            "hintcolor",
                            "hintnotepad",
                            "gameitemsleftpos",
                            "startscene"}) {
        std::vector<std::string> keys;
        ini.GetKeyNames("game", keys);
        EXPECT_NE(std::find(keys.begin(), keys.end(), key), keys.end()) << key;
    }
    EXPECT_GT(IniData::NextFloat(game, "ambientmul", 0), 0.0f);
    EXPECT_EQ(IniData::NextInt(game, "createdeveloperprofile", 0), 1);
    EXPECT_GT(IniData::NextInt(game, "progressparts", 0), 0);
    EXPECT_GT(IniData::NextFloat(game, "hinttime", 0), 0.0f);
    const Rect notepad = IniData::ReadRect(game, "notepadposition", Rect(-1, -1, -1, -1));
    EXPECT_GT(notepad.width, 0);
    EXPECT_GT(notepad.height, 0);
    const Rect subtitles = IniData::ReadRect(game, "movietextrect", Rect(-1, -1, -1, -1));
    EXPECT_GT(subtitles.width, 0);
    EXPECT_GT(IniData::NextInt(game, "notepadlines", 0, 0), 0);
    EXPECT_GT(IniData::NextInt(game, "notepaditemsincol", 0), 0);
    EXPECT_FALSE(ini.GetString("game", "startscene").empty());
    const std::set<std::string> transitions = {"none",    "fade",     "slide",     "page",
                                               "fade_in", "to_movie", "from_movie"};
    std::vector<std::string> effects;
    ini.GetKeyNames("screeneffect", effects);
    EXPECT_NE(std::find(effects.begin(), effects.end(), "default"), effects.end());
    for (const std::string& key : effects)
        EXPECT_EQ(transitions.count(ini.GetString("screeneffect", key)), 1u) << key;
}

TEST_F(GameDataTest, PathAliasesNameFilesThatExist)
{
    const std::string text = TempDir::ReadFile(kData + "/data/common.ini");
    ASSERT_NE(text.find("[common]"), std::string::npos);
    IniData ini;
    ini.LoadFile("data/common.ini");
    std::vector<std::string> keys;
    ini.GetKeyNames("common", keys);
    for (const std::string& key : keys) {
        PakFile* file = PakFOpen(ini.GetString("common", key));
        EXPECT_NE(file, nullptr) << key;
        if (file)
            PakFClose(file);
    }
}

TEST_F(GameDataTest, TextsAreSixteenBitWithEveryKeyTheScreensAsk)
{
    const std::string bytes = TempDir::ReadFile(kData + "/res/lang.ini");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    IniDocumentW lang;
    ASSERT_TRUE(LoadIniFileW(lang, "res\\lang.ini"));
    EXPECT_EQ(lang.LineEnd(), u"\r\n");
    const std::vector<std::pair<const char*, const char*>> asked = {
        {"Interface", "Skip"},
        {"Interface", "Pause"},
        {"Interface", "Menu"},
        {"Interface", "FieldSkip"},
        {"Interface", "FieldClose"},
        {"Interface", "MovieSkip"},
        {"Interface", "MovieFast"},
        {"Interface", "ExitConfirm"},
        {"Interface", "ProfileHead"},
        {"Interface", "ProfileText"},
        {"Interface", "ProfileCreate"},
        {"Interface", "EmptyProfileText"},
        {"Interface", "OptionsSfx"},
        {"Interface", "OptionsMusic"},
        {"Interface", "OptionsAmbient"},
        {"Interface", "OptionsCustomCursors"},
        {"Interface", "NotepadTitle"},
        {"Interface", "GameItemsLeft"},
        {"Interface", "HintToolTip"},
        {"Credits", "Head1"},
        {"Credits", "Text1"},
        {"Credits", "Head2"},
        {"Credits", "Text2"},
        {"Credits", "Click"},
        {"Credits", "Continue"},
    };
    for (const auto& [section, key] : asked) {
        EXPECT_TRUE(lang.Contains(section, key)) << section << "/" << key;
        const std::u16string value = lang.FindKey(StringToWString(section), StringToWString(key)).Value();
        EXPECT_FALSE(value.empty()) << section << "/" << key;
        EXPECT_NE(value, u"???") << section << "/" << key;
    }
}

TEST_F(GameDataTest, GameShellReadsItsSettingsThroughItsAccessors)
{
    LoadGameSettings();
    EXPECT_GT(GetGameIniInt("ProgressParts", "Game", -1, 0), 0);
    EXPECT_EQ(GetGameIniInt("CreateDeveloperProfile", "Game", -1, 0), 1);
    EXPECT_GT(GetGameIniFloat("AmbientMul", "Game", 0.0f), 0.0f);
    EXPECT_GT(GetGameIniFloat("HintTime", "Game", 0.0f), 0.0f);
    EXPECT_GT(GetGameIniFloat("ScreenFade", "Game", 0.0f), 0.0f);
    EXPECT_GT(GetGameIniFloat("TimePerChar", "Game", 0.0f), 0.0f);
    EXPECT_GT(GetGameIniInt("ItemsInHog", "Game", -1, 0), 0);
    EXPECT_GT(GetGameIniRect("MovieTextRect", "Game", Rect()).width, 0);
    EXPECT_GT(GetGameIniRect("NotepadPosition", "Game", Rect()).height, 0);
    EXPECT_NE(GetGameIniValue("Notepad", "Game", 0), 0);
    EXPECT_EQ(GetGameIniInt("", "", -1, -1), 0);
    EXPECT_EQ(GetGameIniInt("", "", -1, -1), 0);
    EXPECT_NE(GetGameIniInt("NotepadLines", "Game", 2, -1), -1);
    EXPECT_NE(GetGameIniValue("HintColor", "Game", 0), 0);
    GetGameIniPoint("HintNotepad", "Game", Point(-1, -1));
    EXPECT_NE(GetGameIniValue("", "", 0), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(GetGameIniFloat("", "", -1.0f), 0.0f) << i;
    EXPECT_NE(GetGameIniPoint("GameItemsLeftPos", "Game", Point(-1, -1)), Point(-1, -1));
    EXPECT_EQ(GetGameIniString("FullScreen", "Options"), "0");
    EXPECT_EQ(GetGameIniString("default", "ScreenEffect"), "fade");
    LoadGameSettings("res\\none.ini");

    ScopedPak pak;
    LoadCommonIni();
    IniData common;
    common.LoadFile("data/common.ini");
    std::vector<std::string> aliases;
    common.GetKeyNames("common", aliases);
    EXPECT_EQ(pak->mPathAliases.size(), aliases.size());
}

TEST_F(GameDataTest, GameShellReadsItsTextsAndTheProfilesSettingsCopy)
{
    Lang lang;
    EXPECT_EQ(lang("Interface", "Skip"), u"Click anywhere to skip");
    EXPECT_EQ(lang("Interface", "GameItemsLeft"), u"Left to find: %d");

    TempDir user;
    const std::u16string folder = Utf8ToUtf16(user.Path());
    Profiles profiles(folder, folder + u"\\profiles\\");
    EXPECT_EQ(profiles.GetString("Game", "StartScene"), "harbour");
    EXPECT_EQ(profiles.GetString("Options", "FullScreen"), "0");
}

// Decodes the whole file; the number of frames and the loudest sample.
struct Decoded {
    int64_t frames = 0;
    int rate = 0;
    int peak = 0;
};

Decoded Decode(const std::string& path, AudioFileKind kind)
{
    Decoded out;
    const std::string bytes = PakReadWholeFile(path);
    if (bytes.empty())
        return out;
    auto data = std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end());
    std::unique_ptr<AudioDecoder> decoder = OpenAudioDecoder(kind, data);
    if (!decoder)
        return out;
    out.rate = decoder->SampleRate();
    std::vector<int16_t> buffer(4096 * 2);
    while (size_t n = decoder->Read(buffer.data(), 4096)) {
        out.frames += int64_t(n);
        for (size_t i = 0; i < n * size_t(decoder->Channels()); ++i)
            out.peak = std::max(out.peak, std::abs(int(buffer[i])));
    }
    return out;
}

TEST_F(GameDataTest, SoundTableNamesSoundsThatDecode)
{
    IniData ini;
    ini.LoadFile("res\\sounds.ini");
    std::vector<std::string> names;
    ini.GetKeyNames("sounds", names);
    // The interface sounds the game plays by name.
    for (const char* name :
         {"buttonpress", "buttonenter", "pause", "keypick", "keyplaceright", "keyplace", "spymove"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    for (const std::string& name : names) {
        std::vector<std::string> files;
        ini.GetValues(files, name, "sounds");
        ASSERT_FALSE(files.empty()) << name;
        for (const std::string& file : files) {
            const Decoded sound = Decode("data\\sound\\" + file + ".wav", AudioFileKind::Wav);
            EXPECT_GT(sound.frames, sound.rate / 20) << file;
            EXPECT_GT(sound.peak, 3000) << file << " is nearly silent";
            EXPECT_LT(sound.frames, int64_t(sound.rate) * 10) << file;
        }
    }
    // Ambient sets play names of the table.
    for (const std::string& file : FindFiles("harbour.ini")) {
        IniData set;
        set.LoadFile(file);
        std::vector<std::string> sections;
        set.GetSectionNames(sections);
        EXPECT_FALSE(sections.empty());
        for (const std::string& section : sections)
            EXPECT_NE(std::find(names.begin(), names.end(), section), names.end()) << section;
    }
}

TEST_F(GameDataTest, MusicTracksDecodeAndPlaylistsNameThem)
{
    IniData ini;
    ini.LoadFile("res\\sounds.ini");
    std::vector<std::string> tracks;
    ini.GetValues(tracks, "musiclist", "music");
    ASSERT_GE(tracks.size(), 2u);
    // The two tracks start-up preloads.
    EXPECT_NE(std::find(tracks.begin(), tracks.end(), "track01boevik.ogg"), tracks.end());
    EXPECT_NE(std::find(tracks.begin(), tracks.end(), "track02ispy.ogg"), tracks.end());
    for (const std::string& track : tracks) {
        const Decoded music = Decode("data\\music\\" + track, AudioFileKind::Ogg);
        EXPECT_GT(music.frames, int64_t(music.rate) * 10) << track;
        EXPECT_GT(music.peak, 8000) << track;
    }
    std::vector<std::string> playlists;
    ini.GetKeyNames("music", playlists);
    EXPECT_NE(std::find(playlists.begin(), playlists.end(), "menu"), playlists.end());
    for (const std::string& name : playlists) {
        if (name == "musiclist")
            continue;
        std::vector<std::string> items;
        ini.GetValues(items, name, "music");
        int numbers = 0;
        for (const std::string& item : items) {
            if (item == "rand" || item == "play_first_once")
                continue;
            ++numbers;
            const int track = std::atoi(item.c_str());
            EXPECT_TRUE(track >= 0 && track < int(tracks.size())) << name << ": " << item;
        }
        EXPECT_GT(numbers, 0) << name;
    }
}

TEST_F(GameDataTest, BitmapFontsLoadWithTheirPages)
{
    const std::vector<std::string> files = FindFiles("default.fnt");
    ASSERT_EQ(files.size(), 1u);
    for (const fs::directory_entry& entry : fs::directory_iterator(kData + "/data/fonts")) {
        if (entry.path().extension() != ".fnt")
            continue;
        const std::string path = "data\\fonts\\" + entry.path().filename().string();
        BMFont bmfont(path);
        ASSERT_TRUE(bmfont.IsLoaded()) << path;
        ASSERT_FALSE(bmfont.pages.empty()) << path;
        for (size_t i = 0; i < bmfont.pages.size(); ++i)
            EXPECT_NE(bmfont.Page(i), nullptr) << path << " page " << i;
        const BMFontData& data = bmfont.Data();
        EXPECT_GT(data.lineHeight, data.base) << path;
        for (char16_t c : std::u16string(u"Aa\u00e9\u00df\u20ac\u2019.?0"))
            EXPECT_EQ(data.glyphs.count(int32_t(c)), 1u) << path << " " << int(c);
        EXPECT_GT(bmfont.GetCharAdvance('W', 0), bmfont.GetCharAdvance('i', 0)) << path;
    }
}

std::string Narrow(const std::u16string& text)
{
    return WStringToString(text);
}

TEST_F(GameDataTest, ManifestDefinesEveryBoundResourceAndEachLoads)
{
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile("data\\properties\\resources.xml"));
    XMLElement element;
    std::string group;
    std::set<std::string> groups;
    std::map<std::string, std::map<std::u16string, std::u16string>> fonts, images;
    bool root = false;
    while (parser.NextElement(&element)) {
        if (element.mType != XMLElement::TYPE_START)
            continue;
        const std::string name = Narrow(element.mValue);
        if (name == "ResourceManifest") {
            root = true;
        } else if (name == "Resources") {
            group = Narrow(element.mAttributes[u"id"]);
            groups.insert(group);
        } else if (name == "Font" || name == "Image") {
            EXPECT_EQ(group, "Common") << Narrow(element.mAttributes[u"id"]);
            auto& map = name == "Font" ? fonts : images;
            EXPECT_TRUE(map.emplace(Narrow(element.mAttributes[u"id"]), element.mAttributes).second);
        } else {
            ADD_FAILURE() << "unexpected element " << name;
        }
    }
    EXPECT_FALSE(parser.mHasFailed) << Narrow(parser.GetErrorText());
    EXPECT_TRUE(root);
    EXPECT_EQ(groups, (std::set<std::string>{"Common", "Game"}));

    for (const char* id :
         {"FONT_BUTTON", "FONT_CORBEL", "FONT_DEFAULT", "FONT_HEAD", "FONT_TEXT", "FONT_TEXT_BOLD"}) {
        ASSERT_EQ(fonts.count(id), 1u) << id;
        const std::string path = Narrow(fonts[id][u"path"]);
        std::unique_ptr<Font> font;
        if (path.rfind("!sys:", 0) == 0) {
            const int size = std::atoi(Narrow(fonts[id][u"size"]).c_str());
            EXPECT_GT(size, 0) << id;
            font = std::make_unique<SysFont>(path.substr(5), size, fonts[id].count(u"bold") > 0, false, false);
        } else {
            font = std::make_unique<BMFont>(path);
        }
        EXPECT_TRUE(font->IsLoaded()) << id << " " << path;
        EXPECT_GT(font->Height(), 8) << id;
    }
    EXPECT_EQ(fonts.size(), 6u);

    for (const char* id : {"IMAGE_BUTTON_CROSS",
                           "IMAGE_BUTTON_SKIP",
                           "IMAGE_BUTTON_SKIP_OVER",
                           "IMAGE_CURSOR_AIM",
                           "IMAGE_CURSOR_AIM_HIT",
                           "IMAGE_CURSOR_AIM_MISS",
                           "IMAGE_CURSOR_ARROW",
                           "IMAGE_CURSOR_ARROW_RED",
                           "IMAGE_CURSOR_DOOR",
                           "IMAGE_CURSOR_HAND",
                           "IMAGE_CURSOR_HAND2",
                           "IMAGE_CURSOR_ITEM",
                           "IMAGE_CURSOR_MAGNIFIER",
                           "IMAGE_DARK_BACK",
                           "IMAGE_FIELD_BORDER",
                           "IMAGE_HINT",
                           "IMAGE_HINT_CIRCLE",
                           "IMAGE_HINT_RECH",
                           "IMAGE_LINE",
                           "IMAGE_LOOP",
                           "IMAGE_PARTS"}) {
        ASSERT_EQ(images.count(id), 1u) << id;
        std::unique_ptr<ImageLib::Image> picture = ImageLib::LoadImageFile(Narrow(images[id][u"path"]), true);
        ASSERT_NE(picture, nullptr) << id;
        const int rows = images[id].count(u"rows") ? std::atoi(Narrow(images[id][u"rows"]).c_str()) : 1;
        const int cols = images[id].count(u"cols") ? std::atoi(Narrow(images[id][u"cols"]).c_str()) : 1;
        EXPECT_EQ(picture->width % cols, 0) << id;
        EXPECT_EQ(picture->height % rows, 0) << id;
    }
    EXPECT_EQ(images.size(), 21u);
    // The backdrop covers the board; drawn at half strength it darkens it.
    std::unique_ptr<ImageLib::Image> dark = ImageLib::LoadImageFile(Narrow(images["IMAGE_DARK_BACK"][u"path"]),
                                                                    true);
    EXPECT_EQ(dark->width, 1024);
    EXPECT_EQ(dark->height, 768);
}

TEST_F(GameDataTest, LogoListNamesFullScreenPictures)
{
    IniData ini;
    ini.LoadFile("logo\\logo.ini");
    std::vector<std::string> logos;
    ini.GetValues(logos, "logolist", "game");
    ASSERT_GE(logos.size(), 1u);
    for (const std::string& logo : logos) {
        std::unique_ptr<DDImage> image(app.CreateImage(logo, true));
        ASSERT_NE(image, nullptr) << logo;
        EXPECT_EQ(image->width, 1024) << logo;
        EXPECT_EQ(image->height, 768) << logo;
    }
}

TEST_F(GameDataTest, ParticleLibrariesOpenWithTheirEmitters)
{
    size_t files = 0;
    if (fs::is_directory(kData + "/res")) {
        for (const fs::directory_entry& entry : fs::directory_iterator(kData + "/res"))
            files += entry.path().extension() == ".ptc";
    }
    LoadParticleFiles();
    EXPECT_EQ(EmitterFiles().size(), files);
    for (const std::unique_ptr<EmitterFile>& file : EmitterFiles()) {
        int emitters = 0;
        for (const std::unique_ptr<EmitterGroup>& group : file->groups)
            emitters += group->Count();
        EXPECT_GT(emitters, 0) << file->Name();
    }
    UnloadParticleFiles();
}

} // namespace
} // namespace Quib
