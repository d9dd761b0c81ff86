#include "framework/files/XMLParser.h"

#include "framework/files/PakInterface.h"
#include "framework/files/StringUtils.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace Quib {

namespace {

constexpr size_t kReadChunk = 4096;

bool IsXmlSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

bool EndsWith(const std::u16string& text, std::u16string_view tail)
{
    return text.size() >= tail.size() && std::u16string_view(text).substr(text.size() - tail.size()) == tail;
}

struct NamedEntity {
    std::u16string_view name;
    char16_t character;
};

constexpr NamedEntity kEntities[] = {
    {u"lt", u'<'},   {u"amp", u'&'},   {u"gt", u'>'},  {u"quot", u'"'},
    {u"apos", u'\''}, {u"nbsp", u' '}, {u"cr", u'\n'},
};

} // namespace

void XMLElement::Clear()
{
    mType = TYPE_NONE;
    mSection.clear();
    mValue.clear();
    mInstruction.clear();
    mAttributes.clear();
    mAttributeOrder.clear();
}

std::u16string XMLDecodeEntities(const std::u16string& text)
{
    if (text.find(u'&') == std::u16string::npos)
        return text;
    std::u16string out;
    out.reserve(text.size());
    std::u16string_view view(text);
    for (size_t i = 0; i < view.size(); ++i) {
        char16_t c = view[i];
        if (c == u'&') {
            std::u16string_view rest = view.substr(i + 1);
            bool replaced = false;
            for (const NamedEntity& entity : kEntities) {
                if (rest.size() > entity.name.size() && rest.substr(0, entity.name.size()) == entity.name &&
                    rest[entity.name.size()] == u';') {
                    out.push_back(entity.character);
                    i += entity.name.size() + 1;
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
        }
        out.push_back(c);
    }
    return out;
}

XMLParser::XMLParser() = default;

XMLParser::~XMLParser() { CloseFile(); }

void XMLParser::CloseFile()
{
    if (mFile)
        PakFClose(mFile);
    mFile = nullptr;
}

bool XMLParser::OpenFile(const std::string& fileName)
{
    CloseFile();
    mBuffer.clear();
    mBufferPos = 0;
    mFileEnded = false;
    mPending.clear();
    mPendingMalformed = false;
    mPushBack.clear();

    mFile = PakFOpenText(fileName);
    if (!mFile) {
        mLineNum = 0;
        mErrorText = u"Unable to open file " + StringToWString(fileName);
        mHasFailed = true;
        return false;
    }

    if (!mForcedEncoding) {
        // The byte-order mark is probed with a plain read and a rewind, so
        // nothing of the text is altered on the way.
        uint8_t head[3] = {};
        size_t got = PakFRead(head, 1, sizeof head, mFile);
        PakFSeek(mFile, 0, SEEK_SET);
        mReader = Reader::Byte;
        if (got >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)))
            mReader = Reader::Utf16;
        if (got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF)
            mReader = Reader::Utf8;
    }

    mFileName = fileName;
    mSection.clear();
    mErrorText.clear();
    mLineNum = 1;
    mHasFailed = false;
    mFirstChar = true;
    mByteSwap = false;
    return true;
}

bool XMLParser::Fail(const std::u16string& text)
{
    mHasFailed = true;
    mErrorText = text;
    return false;
}

XMLParser::ReadResult XMLParser::ReadByte(uint8_t& byte)
{
    if (mBufferPos >= mBuffer.size()) {
        if (mFileEnded || !mFile)
            return ReadResult::End;
        mBuffer.resize(kReadChunk);
        size_t got = PakFRead(mBuffer.data(), 1, kReadChunk, mFile);
        mBuffer.resize(got);
        mBufferPos = 0;
        if (got == 0) {
            mFileEnded = true;
            return ReadResult::End;
        }
    }
    byte = mBuffer[mBufferPos++];
    return ReadResult::Char;
}

XMLParser::ReadResult XMLParser::ReadUtf8(char16_t& c)
{
    for (;;) {
        uint8_t lead;
        if (ReadByte(lead) == ReadResult::End)
            return ReadResult::End;
        if (lead < 0x80) {
            c = lead;
            return ReadResult::Char;
        }
        int extra;
        uint32_t value;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            value = lead & 0x07;
        } else if ((lead & 0xFC) == 0xF8) {
            extra = 4;
            value = lead & 0x03;
        } else {
            return ReadResult::Malformed; // a lone continuation byte, or 0xFC..0xFF
        }
        if (lead == 0xC0 || lead == 0xC1)
            return ReadResult::Malformed;
        for (int i = 0; i < extra; ++i) {
            uint8_t next;
            if (ReadByte(next) == ReadResult::End || (next & 0xC0) != 0x80)
                return ReadResult::Malformed;
            if (i == 0 && ((lead == 0xE0 && next < 0xA0) || (lead == 0xF0 && next < 0x90) ||
                           (lead == 0xF8 && next < 0x88)))
                return ReadResult::Malformed; // overlong
            value = (value << 6) | (next & 0x3F);
        }
        if ((value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF || value > 0x10FFFF)
            return ReadResult::Malformed;
        if (value == 0xFEFF && mFirstChar) {
            mFirstChar = false;
            continue;
        }
        if (value > 0xFFFF) {
            value -= 0x10000;
            c = char16_t(0xD800 + (value >> 10));
            mPending.push_back(char16_t(0xDC00 + (value & 0x3FF)));
            return ReadResult::Char;
        }
        c = char16_t(value);
        return ReadResult::Char;
    }
}

XMLParser::ReadResult XMLParser::ReadUnit(char16_t& c)
{
    uint8_t low, high;
    if (ReadByte(low) == ReadResult::End)
        return ReadResult::End;
    if (ReadByte(high) == ReadResult::End)
        return ReadResult::Malformed; // half a unit: the file was cut short
    c = char16_t(low | (high << 8));
    if (mByteSwap)
        c = char16_t((c >> 8) | (c << 8));
    return ReadResult::Char;
}

XMLParser::ReadResult XMLParser::ReadUtf16(char16_t& c)
{
    ReadResult result = ReadUnit(c);
    if (result != ReadResult::Char)
        return result;
    if (mFirstChar) {
        mFirstChar = false;
        if (c == 0xFEFF || c == 0xFFFE) {
            mByteSwap = c == 0xFFFE;
            result = ReadUnit(c);
            if (result != ReadResult::Char)
                return result;
        }
    }
    if (c >= 0xDC00 && c <= 0xDFFF)
        return ReadResult::Malformed; // a low surrogate without its high half
    if (c >= 0xD800 && c <= 0xDBFF) {
        char16_t low;
        if (ReadUnit(low) != ReadResult::Char || low < 0xDC00 || low > 0xDFFF)
            return ReadResult::Malformed;
        mPending.push_back(low);
    }
    return ReadResult::Char;
}

XMLParser::ReadResult XMLParser::ReadRawChar(char16_t& c)
{
    if (mPending.empty() && mPendingMalformed)
        return ReadResult::Malformed;
    if (!mPending.empty()) {
        c = mPending.back();
        mPending.pop_back();
        return ReadResult::Char;
    }
    switch (mReader) {
    case Reader::Byte: {
        uint8_t byte;
        if (ReadByte(byte) == ReadResult::End)
            return ReadResult::End;
        c = byte;
        return ReadResult::Char;
    }
    case Reader::Utf8:
        return ReadUtf8(c);
    case Reader::Utf16:
        return ReadUtf16(c);
    }
    return ReadResult::End;
}

// Carriage return and line feed read as one line feed, so a document reads
// the same from an archive member and from a disk file in either line style.
XMLParser::ReadResult XMLParser::ReadChar(char16_t& c)
{
    ReadResult result = ReadRawChar(c);
    if (result != ReadResult::Char || c != u'\r')
        return result;
    char16_t next;
    ReadResult after = ReadRawChar(next);
    if (after == ReadResult::Char) {
        if (next == u'\n')
            c = next;
        else
            mPending.push_back(next);
    } else if (after == ReadResult::Malformed) {
        // Hand out the carriage return now; the bad sequence is reported
        // by the next read.
        mPendingMalformed = true;
    }
    return ReadResult::Char;
}

bool XMLParser::NextElement(XMLElement* element)
{
    if (!mFile || mHasFailed || !element)
        return false;

    for (;;) {
        XMLElement& e = *element;
        e.Clear();
        e.mSection = mSection;

        bool inQuote = false;
        bool quoteClosed = false;
        bool blankSeen = false;
        bool inAttributes = false;
        bool afterEquals = false;
        std::u16string attrName, attrValue;

        auto commitAttribute = [&] {
            std::u16string name = XMLDecodeEntities(attrName);
            if (attrName != u"/") {
                e.mAttributes[name] = XMLDecodeEntities(attrValue);
                e.mAttributeOrder.push_back(name);
            }
            attrName.clear();
            attrValue.clear();
            inAttributes = false;
        };

        auto store = [&](char16_t c) {
            if (e.mType == XMLElement::TYPE_NONE)
                e.mType = XMLElement::TYPE_TEXT;
            if (e.mType == XMLElement::TYPE_START) {
                if (blankSeen) {
                    bool equalsComing = c == u'=' && !inQuote && !afterEquals;
                    bool valueComing = afterEquals && attrValue.empty() && !quoteClosed;
                    if (!inAttributes) {
                        inAttributes = true;
                        afterEquals = false;
                    } else if (!equalsComing && !valueComing) {
                        commitAttribute();
                        inAttributes = true;
                        afterEquals = false;
                    }
                    blankSeen = false;
                }
                if (inAttributes) {
                    if (c == u'=' && !inQuote) {
                        afterEquals = true;
                        quoteClosed = false;
                    } else if (afterEquals) {
                        attrValue.push_back(c);
                    } else {
                        attrName.push_back(c);
                    }
                } else {
                    e.mValue.push_back(c);
                }
            } else if (e.mType == XMLElement::TYPE_TEXT) {
                if (blankSeen) {
                    e.mValue.push_back(u' ');
                    blankSeen = false;
                }
                e.mValue.push_back(c);
            } else {
                e.mValue.push_back(c);
            }
        };

        bool finished = false;
        while (!finished) {
            char16_t c;
            if (!mPushBack.empty()) {
                c = mPushBack.back();
                mPushBack.pop_back();
            } else {
                ReadResult result = ReadChar(c);
                if (result == ReadResult::End) {
                    if (e.mType == XMLElement::TYPE_NONE)
                        return false;
                    return Fail(u"Unexpected End of File");
                }
                if (result == ReadResult::Malformed)
                    return Fail(e.mType == XMLElement::TYPE_NONE ? u"Illegal Character" : u"Unexpected End of File");
                if (c == u'\n')
                    ++mLineNum;
            }

            if (e.mType == XMLElement::TYPE_COMMENT) {
                e.mInstruction.push_back(c);
                if (c == u'>' && EndsWith(e.mInstruction, u"-->")) {
                    e.mInstruction.resize(e.mInstruction.size() - 3);
                    finished = true;
                }
                continue;
            }
            if (e.mType == XMLElement::TYPE_INSTRUCTION) {
                std::u16string& target =
                    (!e.mInstruction.empty() || IsXmlSpace(c)) ? e.mInstruction : e.mValue;
                target.push_back(c);
                if (c == u'>' && EndsWith(target, u"?>")) {
                    target.resize(target.size() - 2);
                    finished = true;
                }
                continue;
            }

            if (c == u'"') {
                inQuote = !inQuote;
                if (!inQuote)
                    quoteClosed = true;
                if (e.mType == XMLElement::TYPE_NONE || e.mType == XMLElement::TYPE_TEXT)
                    store(c);
                continue;
            }
            if (inQuote) {
                store(c);
                continue;
            }

            switch (c) {
            case u'<':
                if (e.mType == XMLElement::TYPE_TEXT) {
                    mPushBack.push_back(c);
                    finished = true;
                } else if (e.mType == XMLElement::TYPE_NONE) {
                    e.mType = XMLElement::TYPE_START;
                } else {
                    return Fail(u"Unexpected '<'");
                }
                continue;
            case u'>':
                if (e.mType == XMLElement::TYPE_START) {
                    bool selfClosing = false;
                    if (inAttributes && attrName == u"/") {
                        selfClosing = true;
                        attrName.clear();
                        inAttributes = false;
                    } else if (inAttributes) {
                        if (!attrValue.empty() && attrValue.back() == u'/') {
                            attrValue.pop_back();
                            selfClosing = true;
                        }
                        commitAttribute();
                    } else if (!e.mValue.empty() && e.mValue.back() == u'/') {
                        e.mValue.pop_back();
                        selfClosing = true;
                    }
                    if (selfClosing) {
                        mPushBack.push_back(u'>');
                        for (auto it = e.mValue.rbegin(); it != e.mValue.rend(); ++it)
                            mPushBack.push_back(*it);
                        mPushBack.push_back(u'/');
                        mPushBack.push_back(u'<');
                    }
                    if (!mSection.empty())
                        mSection.push_back(u'/');
                    mSection += e.mValue;
                    finished = true;
                } else if (e.mType == XMLElement::TYPE_END) {
                    if (mSection.empty())
                        return Fail(u"Unexpected End");
                    size_t slash = mSection.rfind(u'/');
                    std::u16string last = slash == std::u16string::npos ? mSection : mSection.substr(slash + 1);
                    if (e.mValue != last)
                        return Fail(u"End '" + e.mValue + u"' Doesn't Match Start '" + last + u"'");
                    mSection.resize(slash == std::u16string::npos ? 0 : slash);
                    finished = true;
                } else {
                    return Fail(u"Unexpected '>'");
                }
                continue;
            case u'/':
                if (e.mType == XMLElement::TYPE_START && e.mValue.empty()) {
                    e.mType = XMLElement::TYPE_END;
                    continue;
                }
                break;
            case u'?':
                if (e.mType == XMLElement::TYPE_START && e.mValue.empty()) {
                    e.mType = XMLElement::TYPE_INSTRUCTION;
                    continue;
                }
                break;
            default:
                if (IsXmlSpace(c)) {
                    if (!e.mValue.empty())
                        blankSeen = true;
                    if (e.mType == XMLElement::TYPE_START && e.mValue == u"!--")
                        e.mType = XMLElement::TYPE_COMMENT;
                    continue;
                }
                if (c < 32)
                    return Fail(u"Illegal Character");
                break;
            }
            store(c);
        }

        if (inAttributes)
            commitAttribute();
        e.mValue = XMLDecodeEntities(e.mValue);
        if (e.mType == XMLElement::TYPE_COMMENT && !mAllowComments)
            continue;
        return true;
    }
}

} // namespace Quib
