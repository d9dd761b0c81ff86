#pragma once
#include "framework/files/IniDocument.h"
#include "framework/files/Singletone.h"

#include <string>
#include <string_view>

namespace Quib {

// Every text the player reads: res\lang.ini (16-bit ini text), looked up by
// section and key. A text that is missing is logged once and reads as
// "???"; the first missing text also names the file, and a file that ends
// inside a line is reported as likely cut short. The data's file is never
// written. Main thread only.
class Lang : public Singletone<Lang> {
public:
    // What a missing text reads as.
    static constexpr std::u16string_view kMissingText = u"???";
    // Where a developer run records the texts it missed, in the folder given
    // to SetMissingTextsFolder.
    static constexpr std::string_view kMissingTextsFile = "lang_missing.ini";

    // The table, reading res\lang.ini on first use.
    static Lang& Instance();

    // Reads the texts from a file (through the pak layer).
    explicit Lang(std::string path = "res\\lang.ini");
    ~Lang() override;

    // The text of a key; empty for an empty key; "???" when the section or
    // the key is missing (logged the first time it is asked).
    std::u16string operator()(std::string_view section, std::string_view key);
    // Forgets every text and reads the file again.
    void Reload();

    // Records a missing text as "???" in the table, so that it is reported once.
    void SetMissingText(std::string_view section, std::string_view key);

    // With a folder (a developer run), every missing text is also added to
    // lang_missing.ini there (16-bit, like res\lang.ini), which keeps the
    // texts recorded by earlier runs. Empty: not recorded.
    void SetMissingTextsFolder(std::u16string_view folder);

    const IniDocumentW& Document() const { return mTexts; }

private:
    void Load();
    // Reports a file that ends inside a line (likely cut short).
    void CheckEnd();
    void RecordMissing(const std::u16string& section, const std::u16string& key);

    std::string mPath;
    IniDocumentW mTexts;
    std::string mMissingPath; // empty: missing texts are not recorded
    IniDocumentW mMissing;
    bool mMissingReported = false; // the file named with the first missing text
    bool mEndCheckPending = false;
};

} // namespace Quib
