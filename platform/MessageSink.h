#pragma once
#include <string>
#include <string_view>

namespace Quib {

// Message-box style bits and answers, with their Windows values.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };
// The style's button set and icon.
constexpr unsigned kMessageBoxButtonsMask = 0xF;
constexpr unsigned kMessageBoxIconMask = 0xF0;

// Where message boxes and debugger output go.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void DebugOutput(std::string_view text) = 0;
    // Shows a box and returns the answer (IDOK, IDYES, ...). The text is
    // narrow Windows-1252.
    virtual int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) = 0;
    // The same for 16-bit text; sinks that cannot show it narrow it
    // (characters without a Windows-1252 byte become '?').
    virtual int ShowMessageBoxW(std::u16string_view text, std::u16string_view caption, unsigned style);
};

// Without a window: both go to stderr; a box answers as if its first button
// were pressed, so nothing ever waits for a user.
class StderrSink : public MessageSink {
public:
    void DebugOutput(std::string_view text) override;
    int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style) override;
};

MessageSink& GetMessageSink();
// Installs a sink (not owned); null goes back to stderr.
void SetMessageSink(MessageSink* sink);

// Shorthands for the two calls the code makes everywhere.
void OutputDebugString(std::string_view text);
int ShowMessageBox(std::string_view text, std::string_view caption, unsigned style = MB_OK);
int ShowMessageBoxW(std::u16string_view text, std::u16string_view caption, unsigned style = MB_OK);

// The first-button answer for a style: IDYES for yes/no boxes, else IDOK.
int DefaultAnswer(unsigned style);

} // namespace Quib
