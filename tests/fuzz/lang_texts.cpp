// Any bytes as res\lang.ini (and as the developer's record of missing
// texts): every text with a narrow name is found as it is in the file, a
// missing one reads "???" and is recorded, and the data file is never
// written.
#include "FuzzSupport.h"
#include "framework/files/IniFile.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/Lang.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace Quib;

// The names of a text as the game asks for them, when they have narrow forms.
bool Narrow(const std::u16string& wide, std::string& out)
{
    out.clear();
    for (char16_t c : wide) {
        if (c > 0xFF)
            return false;
        out += char(c);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::ScratchFolder user;
    const std::string bytes(Fuzz::Text(data, size));
    user.Clear();
    user.Write(std::string(Lang::kMissingTextsFile), bytes);
    ClearDirectoryCache();
    Fuzz::FuzzPak pak({{"res\\lang.ini", bytes, {}}});

    Lang lang;
    struct Text {
        std::string section, key;
        std::u16string value;
    };
    std::vector<Text> texts;
    IniDocumentW doc;
    LoadIniFileW(doc, "res\\lang.ini");
    for (auto it = IniIteratorW::BeginMasked(doc, INI_KEY); it != IniDocumentW::End(); it.Advance()) {
        Text text;
        if (Narrow(doc.SectionAt(it.SectionIndex())->name, text.section) && Narrow(it.Name(), text.key) &&
            !text.key.empty()) {
            text.value = it.Value();
            texts.push_back(std::move(text));
        }
    }
    for (const Text& text : texts)
        if (lang(text.section, text.key) != text.value)
            Fuzz::Fail("a text read differently from the file");

    lang.SetMissingTextsFolder(Utf8ToUtf16(user.Path()));
    const char* section = "Fuzz\x01";
    const char* key = "missing\x02";
    const bool inFile = doc.FindKey(u"Fuzz\x01", u"missing\x02") != IniDocumentW::End();
    if (!inFile && (lang(section, key) != Lang::kMissingText || lang(section, key) != Lang::kMissingText))
        Fuzz::Fail("a missing text did not read as ???");
    IniDocumentW record;
    LoadIniFileW(record, user.Path() + "/" + std::string(Lang::kMissingTextsFile));
    if (!inFile && record.FindKey(u"Fuzz\x01", u"missing\x02") == IniDocumentW::End())
        Fuzz::Fail("a missing text was not recorded");

    lang.Reload();
    for (const Text& text : texts)
        if (lang(text.section, text.key) != text.value)
            Fuzz::Fail("a text read differently after a reload");
    return 0;
}
