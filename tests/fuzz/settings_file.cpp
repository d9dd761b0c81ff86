// Reads any bytes as a settings file, through the file itself. A file that
// reads must write back to a text that reads to the same values, every
// value must be found again by its name, and the text reader must agree
// with the file reader on what is damaged.
#include "FuzzSupport.h"
#include "platform/SettingsFile.h"
#include "platform/headless/CapturingSink.h"

#include <string>

using namespace Quib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Fuzz::MemoryFile memory("quib-fuzz-settings");
    static CapturingSink quiet; // damaged files are logged; nobody needs to see it
    quiet.debugLines.clear();
    const std::string bytes(Fuzz::Text(data, size));
    std::string path = memory.Write(bytes);
    path.resize(path.size() - 2); // the file itself, not the "/." form

    SettingsFile file(path);
    SettingsContents parsed;
    std::string error;
    const bool readable = SettingsFile::Parse(bytes, parsed, error);
    if (readable == file.WasDamaged())
        Fuzz::Fail("the file and text readers disagree");
    if (!readable)
        return 0;
    const SettingsContents contents = file.Contents();
    if (contents != parsed)
        Fuzz::Fail("the file read differently from its text");

    const std::string text = SettingsFile::Format(contents);
    SettingsContents again;
    if (!SettingsFile::Parse(text, again, error))
        Fuzz::Fail("a written file does not read");
    if (again != contents)
        Fuzz::Fail("a written file reads to other values");
    if (SettingsFile::Format(again) != text)
        Fuzz::Fail("writing is not stable");

    for (const auto& section : contents.sections) {
        for (const auto& entry : section.entries) {
            const std::string name = section.name.empty() ? entry.name : section.name + "\\" + entry.name;
            SettingsValue value;
            if (!file.Read(name, value))
                Fuzz::Fail("a value is not found by its name");
            if (value != entry.value)
                Fuzz::Fail("a value is found with other contents");
            if (value.type == REG_SZ && (value.data.empty() || value.data.back() != 0))
                Fuzz::Fail("a string without its terminator");
        }
    }
    return 0;
}
