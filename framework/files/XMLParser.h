#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quib {

struct PakFile;

// One piece of an XML document as the pull parser hands it out.
class XMLElement {
public:
    enum Type {
        TYPE_NONE = 0,
        TYPE_START = 1,
        TYPE_END = 2,
        TYPE_TEXT = 3,
        TYPE_INSTRUCTION = 4,
        TYPE_COMMENT = 5,
    };

    int mType = TYPE_NONE;
    // Open start tags around the element, joined with '/'.
    std::u16string mSection;
    // Tag name, instruction target or text; entities decoded.
    std::u16string mValue;
    // Text after the target of an instruction, or of a comment; raw.
    std::u16string mInstruction;
    // A repeated name keeps its last value.
    std::map<std::u16string, std::u16string> mAttributes;
    // Attribute names in the order written (repeats listed again).
    std::vector<std::u16string> mAttributeOrder;

    void Clear();
};

// Forgiving pull parser over a file read through the pak layer.
class XMLParser {
public:
    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    bool OpenFile(const std::string& fileName);
    // True with the next element; false at the end of the file (mHasFailed
    // clear) or at the first error (mHasFailed set, error text kept).
    bool NextElement(XMLElement* element);

    std::string GetFileName() const { return mFileName; }
    std::u16string GetErrorText() const { return mErrorText; }

    int mLineNum = 0;
    bool mHasFailed = false;
    bool mAllowComments = false;
    // Keeps the installed reader on open instead of probing the file.
    bool mForcedEncoding = false;

private:
    enum class Reader { Byte, Utf8, Utf16 };
    enum class ReadResult { Char, End, Malformed };

    bool Fail(const std::u16string& text);
    ReadResult ReadByte(uint8_t& byte);
    ReadResult ReadUnit(char16_t& c);
    ReadResult ReadUtf8(char16_t& c);
    ReadResult ReadUtf16(char16_t& c);
    ReadResult ReadRawChar(char16_t& c);
    ReadResult ReadChar(char16_t& c);
    void CloseFile();

    std::string mFileName;
    std::u16string mErrorText;
    PakFile* mFile = nullptr;
    std::vector<char16_t> mPushBack; // last pushed is read first
    std::u16string mSection;
    Reader mReader = Reader::Utf8;
    bool mFirstChar = false;
    bool mByteSwap = false;

    // Bytes read ahead from the file.
    std::vector<uint8_t> mBuffer;
    size_t mBufferPos = 0;
    bool mFileEnded = false;
    // Units decoded ahead: the low half of a surrogate pair, or the
    // character read to see whether a carriage return starts a CR LF pair.
    std::vector<char16_t> mPending;
    bool mPendingMalformed = false;
};

// Replaces the named entities the parser knows; anything else stays as written.
std::u16string XMLDecodeEntities(const std::u16string& text);

} // namespace Quib
