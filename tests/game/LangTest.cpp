// The text table over res\lang.ini: texts found exactly, missing ones logged
// once and shown as "???", the data's file never written.
#include "framework/files/IniDocument.h"
#include "framework/files/IniFile.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/Lang.h"
#include "tests/files/IniTestUtil.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib {
namespace {

using namespace Testing;

std::string WideFile(const std::u16string& text)
{
    return "\xFF\xFE" + Utf16Bytes(text);
}

class LangTest : public ::testing::Test {
protected:
    LangTest() : cwd(dir.Path())
    {
        WriteTexts(
            u"[Interface]\r\nSkip=Skip \u2192 \u4e2d\u6587 \u00e9\r\nPause=Paused\r\n[Scenes]\r\nhold=The hold\r\n");
    }
    void WriteTexts(const std::u16string& text)
    {
        dir.WriteFile("res/lang.ini", WideFile(text));
        ClearDirectoryCache();
    }
    std::string DataFile() const { return TempDir::ReadFile(dir / "res/lang.ini"); }

    LogCapture log;
    TempDir dir;
    ScopedWorkingDirectory cwd;
};

TEST_F(LangTest, FindsTextsExactly)
{
    Lang lang;
    EXPECT_EQ(lang("Interface", "Skip"), u"Skip \u2192 \u4e2d\u6587 \u00e9");
    EXPECT_EQ(lang("INTERFACE", "pause"), u"Paused");
    EXPECT_EQ(lang("Scenes", "hold"), u"The hold");
    EXPECT_EQ(lang("Interface", ""), u"");
    EXPECT_FALSE(log.Contains("Lang string not found"));
    EXPECT_FALSE(log.Contains("cut short"));
}

TEST_F(LangTest, MissingTextIsReportedOnceAndTheDataStaysAsItWas)
{
    const std::string before = DataFile();
    Lang lang;
    EXPECT_EQ(lang("Interface", "Nope"), u"???");
    EXPECT_EQ(lang("Interface", "Nope"), u"???");
    EXPECT_EQ(lang("Nowhere", "Skip"), u"???");
    EXPECT_EQ(log.Count("Lang string not found: [\"Interface\"][\"Nope\"]"), 1);
    EXPECT_EQ(log.Count("Lang string not found: [\"Nowhere\"][\"Skip\"]"), 1);
    EXPECT_EQ(lang.Document().SectionCount(), 3);
    EXPECT_EQ(DataFile(), before);
    // Nothing is written beside it either.
    EXPECT_EQ(FindOnDisk(dir / "res/*").size(), 3u); // ".", "..", lang.ini
}

TEST_F(LangTest, FirstMissingTextNamesTheFile)
{
    Lang lang;
    lang("Interface", "Nope");
    lang("Interface", "Other");
    EXPECT_EQ(log.Count("Texts \"res\\lang.ini\" lack the text [\"Interface\"][\"Nope\"]"), 1);
    EXPECT_EQ(log.Count("Texts \"res\\lang.ini\" lack"), 1);
    // A reloaded table names it again.
    lang.Reload();
    lang("Interface", "Third");
    EXPECT_EQ(log.Count("Texts \"res\\lang.ini\" lack"), 2);
}

TEST_F(LangTest, TableCutShortIsReportedAndWhatWasReadIsKept)
{
    const std::string whole = DataFile();
    struct Case {
        const char* what;
        std::string bytes;
        bool cut;
    } cases[] = {
        {"whole", whole, false},
        {"inside the last line", whole.substr(0, whole.size() - 8), true},
        {"inside a 16-bit character", whole.substr(0, whole.size() - 3), true},
        {"between CR and LF", whole.substr(0, whole.size() - 2), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture caseLog;
        dir.WriteFile("res/lang.ini", c.bytes);
        ClearDirectoryCache();
        Lang lang;
        EXPECT_NE(lang("Interface", "Skip"), u"???");
        lang("Interface", "Pause");
        EXPECT_EQ(caseLog.Count("Texts \"res\\lang.ini\" end inside a line"), c.cut ? 1 : 0);
    }
}

TEST_F(LangTest, MissingFileGivesPlaceholdersAndWritesNothing)
{
    Lang lang("res\\none.ini");
    EXPECT_TRUE(log.Contains("Can't load texts"));
    EXPECT_EQ(lang("Interface", "Skip"), u"???");
    EXPECT_FALSE(FileExists(dir / "res/none.ini"));
}

TEST_F(LangTest, ReloadReadsTheEditedFile)
{
    Lang lang;
    EXPECT_EQ(lang("Interface", "New"), u"???");
    WriteTexts(u"[Interface]\r\nSkip=Weiter\r\nNew=Neu");
    lang.Reload();
    EXPECT_EQ(lang("Interface", "Skip"), u"Weiter");
    EXPECT_EQ(lang("Interface", "New"), u"Neu");
    EXPECT_EQ(lang("Interface", "Pause"), u"???");
}

TEST_F(LangTest, DeveloperRunRecordsMissingTextsInTheUserFolder)
{
    TempDir user;
    const std::u16string folder = Utf8ToUtf16(user.Path());
    {
        Lang lang;
        lang.SetMissingTextsFolder(folder);
        lang("Interface", "Nope");
        lang("Interface", "Nope");
        lang("Tutor", "first");
        lang("Interface", "Skip");
    }
    {
        // A later run keeps what the earlier ones recorded.
        Lang lang;
        lang.SetMissingTextsFolder(folder);
        lang("Tutor", "second");
    }
    IniDocumentW missing;
    ASSERT_TRUE(LoadIniFileW(missing, user / "lang_missing.ini"));
    EXPECT_EQ(missing.FindKey(u"Interface", u"Nope").Value(), u"???");
    EXPECT_EQ(missing.FindKey(u"Tutor", u"first").Value(), u"???");
    EXPECT_EQ(missing.FindKey(u"Tutor", u"second").Value(), u"???");
    EXPECT_EQ(missing.FindKey(u"Interface", u"Skip"), IniDocumentW::End());
    EXPECT_EQ(missing.FindKey(u"Interface", u"Nope").Value(), u"???");
}

TEST_F(LangTest, WithoutAFolderNothingIsRecorded)
{
    TempDir user;
    Lang lang;
    lang.SetMissingTextsFolder(Utf8ToUtf16(user.Path()));
    lang.SetMissingTextsFolder(u"");
    lang("Interface", "Nope");
    EXPECT_FALSE(FileExists(user / "lang_missing.ini"));
}

TEST_F(LangTest, InstanceIsMadeOnceAndReadsTheDataFile)
{
    Lang& first = Lang::Instance();
    EXPECT_EQ(&first, &Lang::Instance());
    EXPECT_EQ(first("Interface", "Pause"), u"Paused");
    delete &first; // the next test in this process gets a fresh one
}

} // namespace
} // namespace Quib
