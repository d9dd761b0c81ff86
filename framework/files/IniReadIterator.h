#pragma once
#include "framework/files/IniDocument.h"

#include <cstddef>
#include <string>

namespace Quib {

class IniCharSource;
class IniStdIStream;

// Reads one entry, a character at a time; fresh for every entry.
class IniTokenizer {
public:
    // The entry begins with a "/" that ended the entry before.
    void StartWithCarriedSlash()
    {
        mPendingSlash = true;
        mSlashCarried = true;
    }

    // Takes c into the entry: true = go on with the next character, false =
    // the entry is complete and c begins the next one.
    template <class CharT> bool Step(CharT c, BasicIniEntry<CharT>& entry, IniReadState<CharT>& state);
    // The source ended: what is still waiting is kept.
    template <class CharT> void Finish(BasicIniEntry<CharT>& entry, IniReadState<CharT>& state);
    // Trims names and values; escaped blanks stay.
    template <class CharT> void Trim(BasicIniEntry<CharT>& entry) const;

private:
    // Range of a string that came from escapes and is never trimmed.
    struct Kept {
        size_t first = std::string::npos;
        size_t end = 0;
    };

    template <class CharT> void Store(CharT c, bool escaped, BasicIniEntry<CharT>& entry, IniReadState<CharT>& state);
    template <class CharT> static void Append(std::basic_string<CharT>& s, CharT c, bool escaped, Kept& kept);
    template <class CharT> static void TrimKept(std::basic_string<CharT>& s, const Kept& kept, bool leading);

    bool mPendingBackslash = false;
    bool mPendingSlash = false;
    bool mSlashCarried = false;
    bool mStar = false;  // in a block comment: the last character was "*"
    bool mPrevLineEnd = false;
    bool mContinuation = false;
    int32_t mContinuationCount = 0;
    bool mInBlock = false;
    bool mBlockClosed = false;
    bool mAfterEquals = false;
    bool mInSectionName = true;
    Kept mNameKept;
    Kept mValueKept;
};

// An iterator that pulls its entries from a source; with the insert flag
// every entry read also goes into the document.
template <class CharT> class BasicIniReadIterator : public BasicIniIterator<CharT> {
public:
    using Base = BasicIniIterator<CharT>;
    using Document = BasicIniDocument<CharT>;
    using Entry = BasicIniEntry<CharT>;
    using Section = BasicIniSection<CharT>;

    BasicIniReadIterator(Document& doc, IniCharSource* source, bool insert);
    BasicIniReadIterator(const BasicIniReadIterator&) = delete;
    BasicIniReadIterator& operator=(const BasicIniReadIterator&) = delete;

    // Scans a file without keeping it in the document.
    static BasicIniReadIterator Start(Document& doc, IniStdIStream& source);
    // Clears the document and reads the source into it.
    static BasicIniReadIterator StartN(Document& doc, IniCharSource& source);

    void Advance();
    BasicIniReadIterator& operator++()
    {
        Advance();
        return *this;
    }
    // The entry read last.
    const Entry& Current() const { return mRead; }

private:
    bool ReadLine(Entry& entry);
    bool InsertRead();
    void PositionOnRead();
    void SetEnd();

    IniCharSource* mSource = nullptr;
    Entry mRead;
    bool mInsert = false;
    // Where keys and comments go: the section named by the last section line.
    Section* mTarget = nullptr;
    int32_t mScannedSections = 0;
    int32_t mScannedEntries = 0;
};

using IniReadIterator = BasicIniReadIterator<char>;
using IniReadIteratorW = BasicIniReadIterator<char16_t>;

extern template class BasicIniReadIterator<char>;
extern template class BasicIniReadIterator<char16_t>;

} // namespace Quib
