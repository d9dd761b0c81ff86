#pragma once
#include "framework/files/StringUtils.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace Quib {

// Kinds of the items of an ini document; bits, so that they combine into
// iterator masks.
enum IniEntryKind : int32_t {
    INI_NONE = 0,
    INI_SECTION = 1,
    INI_KEY = 2,
    INI_COMMENT = 4,
};
// Mask bit of an iterator: stay within the current section.
constexpr int32_t INI_IN_SECTION = 8;

// Comment flags.
constexpr int32_t INI_COMMENT_LINE_START = 1;  // began a line of its own
constexpr int32_t INI_COMMENT_TEXT_AFTER = 2;  // block comment followed by text on its line

// The blanks that the reader trims from names and values; the writer
// escapes them where they would be trimmed.
template <class CharT> constexpr bool IniIsBlank(CharT c)
{
    return c == CharT(' ') || c == CharT('\t');
}

template <class CharT> class BasicIniDocument;
template <class CharT> class BasicIniIterator;
template <class CharT> class BasicIniReadIterator;

// Orders 16-bit names folding only the letters A to Z, as LessNoCase does
// for 8-bit names.
struct IniNoCaseLessW {
    bool operator()(const std::u16string& a, const std::u16string& b) const;
};
template <class CharT>
using IniNoCaseLess = std::conditional_t<std::is_same_v<CharT, char>, LessNoCase, IniNoCaseLessW>;

template <class CharT> struct BasicIniEntry {
    using String = std::basic_string<CharT>;

    int32_t kind = INI_NONE;
    // Section or key name; for a comment its whole text with its opening characters.
    String name;
    String value;
    int32_t flags = 0;
    uint32_t position = 0;  // index in the section's order

    static String GetValue(const BasicIniIterator<CharT>& it);
    static int GetValueInt(const BasicIniIterator<CharT>& it);
};

template <class CharT> struct BasicIniSection {
    using String = std::basic_string<CharT>;
    using Entry = BasicIniEntry<CharT>;

    String name;
    // The entries in file order; entry i has position i.
    std::vector<std::unique_ptr<Entry>> order;
    // Keys by name, without regard to case (at most one per name).
    std::map<String, Entry*, IniNoCaseLess<CharT>> keys;
    int32_t index = 0;

    Entry* FindKey(const String& keyName) const;
};

// Walks a document: stops at the items whose kind is in the mask.
template <class CharT> class BasicIniIterator {
public:
    using String = std::basic_string<CharT>;
    using Document = BasicIniDocument<CharT>;
    using Section = BasicIniSection<CharT>;
    using Entry = BasicIniEntry<CharT>;

    BasicIniIterator() = default;
    BasicIniIterator(Document* doc, int32_t state, int32_t mask, int32_t section, int32_t entry);

    // At the first item of the document in the mask (the first key for mask 2).
    static BasicIniIterator BeginMasked(Document& doc, int32_t mask);

    void Advance();
    BasicIniIterator& operator++() { Advance(); return *this; }
    // Equal when state, section index and entry index are equal.
    bool operator==(const BasicIniIterator& o) const
    {
        return mState == o.mState && mSection == o.mSection && mEntry == o.mEntry;
    }
    bool operator!=(const BasicIniIterator& o) const { return !(*this == o); }
    void Assign(const BasicIniIterator& o) { *this = o; }
    // Sets the name and value references from the state and indices.
    void Load();

    int32_t State() const { return mState; }
    int32_t Mask() const { return mMask; }
    void SetMask(int32_t mask) { mMask = mask; }
    int32_t SectionIndex() const { return mSection; }
    int32_t EntryIndex() const { return mEntry; }
    Document* GetDocument() const { return mDoc; }

    // Section name at a section, entry name otherwise; empty at the end.
    const String& Name() const;
    // The value of a key; empty elsewhere.
    const String& Value() const;
    // Replaces the value of the key the iterator stands on (false elsewhere).
    bool SetValue(String value);

protected:
    Document* mDoc = nullptr;
    int32_t mState = INI_NONE;
    String* mName = nullptr;
    String* mValue = nullptr;
    int32_t mMask = INI_SECTION | INI_KEY | INI_COMMENT;
    int32_t mSection = 0;
    int32_t mEntry = 0;
};

// What a read in progress keeps between entries, and the document's line end.
template <class CharT> struct IniReadState {
    CharT current = 0;
    bool pending = false;       // current ended the last entry and begins the next
    bool carriedSlash = false;  // a "/" that ended the last entry opens a comment
    bool atLineStart = true;
    int32_t lineEndState = 0;   // 0 none seen, 1 one character seen, 2 settled
    CharT lineEnd[2] = {CharT('\r'), CharT('\n')};
    int32_t lineEndLength = 2;

    // Back to the start of a file; the line end stays until one is seen.
    void Reset()
    {
        pending = false;
        carriedSlash = false;
        atLineStart = true;
        lineEndState = 0;
    }
};

class IniCharSource;
class ScopedPakFile;

template <class CharT> class BasicIniDocument {
public:
    using String = std::basic_string<CharT>;
    using Entry = BasicIniEntry<CharT>;
    using Section = BasicIniSection<CharT>;
    using Iterator = BasicIniIterator<CharT>;

    BasicIniDocument() = default;
    BasicIniDocument(const BasicIniDocument&) = delete;
    BasicIniDocument& operator=(const BasicIniDocument&) = delete;

    void Clear();

    Iterator Begin(bool atFirst = true);
    static const Iterator& End();

    // At the section (mask 14: advancing walks its entries, then ends).
    Iterator FindSection(const String& name);
    // Adds nothing, whatever other code calls it (FindOrAddKey; in the
    // 16-bit form FindSectionW).
    Iterator FindKey(const String& section, const String& key);
    // Also called Insert (FindKeyW in the 16-bit form).
    std::pair<Iterator, bool> InsertSection(const String& name, const Iterator& position);
    // The section, appended when missing; also called InsertKey
    // (FindKeyOrEndW in the 16-bit form).
    Iterator AddSection(const String& name);
    std::pair<Iterator, bool> InsertEntry(const Entry& entry, const Iterator& position);
    std::pair<Iterator, bool> AddKey(const String& key, const String& value, const Iterator& position);
    // The key in the iterator's section, appended to it with an empty value
    // when missing; also called GetEntry (GetValueW in the 16-bit form).
    Iterator GetOrAddKey(const Iterator& section, const String& key);

    // Replaces the contents with what the source holds; none only clears.
    void Load(IniCharSource* source);

    int32_t SectionCount() const { return int32_t(mOrder.size()); }
    Section* SectionAt(int32_t index) const
    {
        return index >= 0 && index < SectionCount() ? mOrder[size_t(index)].get() : nullptr;
    }
    Section* FindSectionRecord(const String& name) const;
    // Removes the section (found without regard to case) with all its
    // entries; false when there is none.
    bool EraseSection(const String& name);
    String LineEnd() const { return String(mRead.lineEnd, size_t(mRead.lineEndLength)); }

    IniReadState<CharT>& ReadState() { return mRead; }

private:
    template <class> friend class BasicIniReadIterator;

    Section* InsertSectionAt(const String& name, size_t index);
    std::pair<Entry*, bool> InsertEntryAt(Section& section, size_t place, Entry entry);
    void RenumberSections(size_t from);

    std::vector<std::unique_ptr<Section>> mOrder;
    std::map<String, Section*, IniNoCaseLess<CharT>> mByName;
    IniReadState<CharT> mRead;
};

// The 8-bit document: profiles, the sound table, the settings copy.
class IniDocument : public BasicIniDocument<char> {
public:
    // Writes the document as text; false when a write failed.
    bool Write(ScopedPakFile& file) const;
    // Checksum of the key values in document order, skipping the keys of
    // exactly the excluded name, or of that name in any letter case when
    // asked (profiles store it under "CRC").
    uint16_t ComputeCrc(const std::string& excludedKey, bool ignoreCase = false) const;
};

// The 16-bit document: the text table and settings.ini.
class IniDocumentW : public BasicIniDocument<char16_t> {
public:
    // Names given as 8-bit text: the section byte for byte, the key through
    // the Windows-1252 code page.
    bool Contains(std::string_view section, std::string_view key);
    // Writes the byte-order mark and the document; false when a write failed.
    bool WriteW(ScopedPakFile& file) const;
};

using IniEntry = BasicIniEntry<char>;
using IniEntryW = BasicIniEntry<char16_t>;
using IniSection = BasicIniSection<char>;
using IniSectionW = BasicIniSection<char16_t>;
using IniIterator = BasicIniIterator<char>;
using IniIteratorW = BasicIniIterator<char16_t>;

inline void DeleteIniDocumentObject(IniDocument* doc) { delete doc; }
inline void DeleteIniDocumentObject(IniDocumentW* doc) { delete doc; }

extern template struct BasicIniEntry<char>;
extern template struct BasicIniEntry<char16_t>;
extern template struct BasicIniSection<char>;
extern template struct BasicIniSection<char16_t>;
extern template class BasicIniIterator<char>;
extern template class BasicIniIterator<char16_t>;
extern template class BasicIniDocument<char>;
extern template class BasicIniDocument<char16_t>;

} // namespace Quib
