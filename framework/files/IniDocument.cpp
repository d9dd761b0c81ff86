#include "framework/files/IniDocument.h"

#include <algorithm>

namespace Quib {

namespace {

char16_t FoldAsciiLetter(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

template <class CharT> const std::basic_string<CharT>& EmptyString()
{
    static const std::basic_string<CharT> empty;
    return empty;
}

} // namespace

bool IniNoCaseLessW::operator()(const std::u16string& a, const std::u16string& b) const
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char16_t x = FoldAsciiLetter(a[i]);
        char16_t y = FoldAsciiLetter(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// ---- IniEntry ----

template <class CharT> auto BasicIniEntry<CharT>::GetValue(const BasicIniIterator<CharT>& it) -> String
{
    return it.Value();
}

template <class CharT> int BasicIniEntry<CharT>::GetValueInt(const BasicIniIterator<CharT>& it)
{
    const String& value = it.Value();
    if constexpr (std::is_same_v<CharT, char>) {
        return ParseIntScanf(value);
    } else {
        // "%d" reads blanks, a sign and digits; any other character stops it.
        std::string narrow;
        narrow.reserve(value.size());
        for (char16_t c : value)
            narrow += c < 0x80 ? char(c) : '?';
        return ParseIntScanf(narrow);
    }
}

// ---- IniSection ----

template <class CharT> auto BasicIniSection<CharT>::FindKey(const String& keyName) const -> Entry*
{
    auto it = keys.find(keyName);
    return it == keys.end() ? nullptr : it->second;
}

// ---- IniIterator ----

template <class CharT>
BasicIniIterator<CharT>::BasicIniIterator(Document* doc, int32_t state, int32_t mask, int32_t section, int32_t entry)
    : mDoc(doc), mState(state), mMask(mask), mSection(section), mEntry(entry)
{
    Load();
}

template <class CharT> BasicIniIterator<CharT> BasicIniIterator<CharT>::BeginMasked(Document& doc, int32_t mask)
{
    BasicIniIterator it = doc.Begin(true);
    it.mMask = mask;
    if (it.mState != INI_NONE && !(it.mState & mask))
        it.Advance();
    return it;
}

template <class CharT> void BasicIniIterator<CharT>::Load()
{
    mName = nullptr;
    mValue = nullptr;
    Section* section = mDoc ? mDoc->SectionAt(mSection) : nullptr;
    if (!section || mState == INI_NONE)
        return;
    if (mState == INI_SECTION) {
        mName = &section->name;
        return;
    }
    if (mEntry < 0 || size_t(mEntry) >= section->order.size())
        return;
    Entry& entry = *section->order[size_t(mEntry)];
    mName = &entry.name;
    if (entry.kind == INI_KEY)
        mValue = &entry.value;
}

template <class CharT> void BasicIniIterator<CharT>::Advance()
{
    if (!mDoc) {
        mState = INI_NONE;
        return;
    }
    while (mState != INI_NONE) {
        Section* section = mDoc->SectionAt(mSection);
        bool nextSection = true;
        if (section) {
            if (mState == INI_SECTION) {
                if (!section->order.empty() && (mMask & (INI_KEY | INI_COMMENT))) {
                    mEntry = 0;
                    mState = section->order[0]->kind;
                    nextSection = false;
                }
            } else if (mEntry + 1 >= 0 && size_t(mEntry + 1) < section->order.size()) {
                ++mEntry;
                mState = section->order[size_t(mEntry)]->kind;
                nextSection = false;
            }
        }
        if (nextSection) {
            if (section && mSection + 1 < mDoc->SectionCount() && !(mMask & INI_IN_SECTION)) {
                ++mSection;
                mEntry = 0;
                mState = INI_SECTION;
            } else {
                mState = INI_NONE;
                mSection = 0;
                mEntry = 0;
            }
        }
        if (mState & mMask)
            break;
    }
    Load();
}

template <class CharT> auto BasicIniIterator<CharT>::Name() const -> const String&
{
    return mName ? *mName : EmptyString<CharT>();
}

template <class CharT> auto BasicIniIterator<CharT>::Value() const -> const String&
{
    return mValue ? *mValue : EmptyString<CharT>();
}

template <class CharT> bool BasicIniIterator<CharT>::SetValue(String value)
{
    if (!mValue)
        return false;
    *mValue = std::move(value);
    return true;
}

// ---- IniDocument ----

template <class CharT> void BasicIniDocument<CharT>::Clear()
{
    mByName.clear();
    mOrder.clear();
}

template <class CharT> auto BasicIniDocument<CharT>::Begin(bool atFirst) -> Iterator
{
    if (atFirst && !mOrder.empty())
        return Iterator(this, INI_SECTION, INI_SECTION | INI_KEY | INI_COMMENT, 0, 0);
    return Iterator(this, INI_NONE, INI_SECTION | INI_KEY | INI_COMMENT, 0, 0);
}

template <class CharT> auto BasicIniDocument<CharT>::End() -> const Iterator&
{
    static const Iterator end;
    return end;
}

template <class CharT> auto BasicIniDocument<CharT>::FindSectionRecord(const String& name) const -> Section*
{
    auto it = mByName.find(name);
    return it == mByName.end() ? nullptr : it->second;
}

template <class CharT> auto BasicIniDocument<CharT>::FindSection(const String& name) -> Iterator
{
    Section* section = FindSectionRecord(name);
    if (!section)
        return End();
    return Iterator(this, INI_SECTION, INI_KEY | INI_COMMENT | INI_IN_SECTION, section->index, 0);
}

template <class CharT> auto BasicIniDocument<CharT>::FindKey(const String& section, const String& key) -> Iterator
{
    Section* s = FindSectionRecord(section);
    Entry* entry = s ? s->FindKey(key) : nullptr;
    if (!entry)
        return End();
    return Iterator(this, INI_KEY, INI_SECTION | INI_KEY | INI_COMMENT, s->index, int32_t(entry->position));
}

template <class CharT> bool BasicIniDocument<CharT>::EraseSection(const String& name)
{
    auto found = mByName.find(name);
    if (found == mByName.end())
        return false;
    const size_t index = size_t(found->second->index);
    mByName.erase(found);
    mOrder.erase(mOrder.begin() + std::ptrdiff_t(index));
    RenumberSections(index);
    return true;
}

template <class CharT> void BasicIniDocument<CharT>::RenumberSections(size_t from)
{
    for (size_t i = from; i < mOrder.size(); ++i)
        mOrder[i]->index = int32_t(i);
}

template <class CharT> auto BasicIniDocument<CharT>::InsertSectionAt(const String& name, size_t index) -> Section*
{
    auto section = std::make_unique<Section>();
    section->name = name;
    Section* raw = section.get();
    mOrder.insert(mOrder.begin() + std::ptrdiff_t(index), std::move(section));
    mByName.emplace(name, raw);
    RenumberSections(index);
    return raw;
}

template <class CharT>
auto BasicIniDocument<CharT>::InsertSection(const String& name, const Iterator& position) -> std::pair<Iterator, bool>
{
    if (Section* existing = FindSectionRecord(name))
        return {Iterator(this, INI_SECTION, INI_SECTION | INI_KEY | INI_COMMENT, existing->index, 0), false};
    size_t index = mOrder.size();
    if (name.empty()) {
        index = 0;
    } else if (position.State() != INI_NONE && position.SectionIndex() >= 0 &&
               position.SectionIndex() < SectionCount()) {
        index = size_t(position.SectionIndex());
        // Nothing goes before the unnamed section.
        if (index == 0 && mOrder[0]->name.empty())
            index = 1;
    }
    Section* section = InsertSectionAt(name, index);
    return {Iterator(this, INI_SECTION, INI_SECTION | INI_KEY | INI_COMMENT, section->index, 0), true};
}

template <class CharT> auto BasicIniDocument<CharT>::AddSection(const String& name) -> Iterator
{
    return InsertSection(name, End()).first;
}

template <class CharT>
auto BasicIniDocument<CharT>::InsertEntryAt(Section& section, size_t place, Entry entry) -> std::pair<Entry*, bool>
{
    if (entry.kind == INI_KEY) {
        if (Entry* existing = section.FindKey(entry.name))
            return {existing, false};
    }
    place = std::min(place, section.order.size());
    auto owned = std::make_unique<Entry>(std::move(entry));
    Entry* raw = owned.get();
    section.order.insert(section.order.begin() + std::ptrdiff_t(place), std::move(owned));
    for (size_t i = place; i < section.order.size(); ++i)
        section.order[i]->position = uint32_t(i);
    if (raw->kind == INI_KEY)
        section.keys.emplace(raw->name, raw);
    return {raw, true};
}

template <class CharT>
auto BasicIniDocument<CharT>::InsertEntry(const Entry& entry, const Iterator& position) -> std::pair<Iterator, bool>
{
    if (entry.kind != INI_KEY && entry.kind != INI_COMMENT)
        return {End(), false};
    Section* section = nullptr;
    size_t place = 0;
    const int32_t state = position.State();
    const int32_t k = position.SectionIndex();
    if (state == INI_NONE || k < 0 || k >= SectionCount()) {
        if (mOrder.empty())
            InsertSectionAt(String(), 0);
        section = mOrder.back().get();
        place = section->order.size();
    } else if (state == INI_SECTION) {
        if (k > 0) {
            section = mOrder[size_t(k - 1)].get();
        } else {
            if (!mOrder[0]->name.empty())
                InsertSectionAt(String(), 0);
            section = mOrder[0].get();
        }
        place = section->order.size();
    } else {
        section = mOrder[size_t(k)].get();
        place = size_t(std::max(position.EntryIndex(), 0));
    }
    auto [added, inserted] = InsertEntryAt(*section, place, entry);
    return {Iterator(this, added->kind, INI_SECTION | INI_KEY | INI_COMMENT, section->index, int32_t(added->position)),
            inserted};
}

template <class CharT>
auto BasicIniDocument<CharT>::AddKey(const String& key, const String& value, const Iterator& position)
    -> std::pair<Iterator, bool>
{
    Entry entry;
    entry.kind = INI_KEY;
    entry.name = key;
    entry.value = value;
    return InsertEntry(entry, position);
}

template <class CharT> auto BasicIniDocument<CharT>::GetOrAddKey(const Iterator& section, const String& key) -> Iterator
{
    Iterator next = section;
    next.SetMask(INI_SECTION);
    next.Advance();
    return AddKey(key, String(), next).first;
}

bool IniDocumentW::Contains(std::string_view section, std::string_view key)
{
    return FindKey(StringToWString(section), AnsiToWString(key)) != End();
}

uint16_t IniDocument::ComputeCrc(const std::string& excludedKey, bool ignoreCase) const
{
    uint16_t crc = 0xFFFF;
    for (int32_t s = 0; s < SectionCount(); ++s) {
        for (const auto& entry : SectionAt(s)->order) {
            if (entry->kind != INI_KEY || entry->name == excludedKey ||
                (ignoreCase && EqualsNoCase(entry->name, excludedKey.c_str())))
                continue;
            for (char c : entry->value) {
                // Bytes are widened with their sign: stored sums depend on it.
                crc ^= uint16_t(int16_t(int8_t(uint8_t(c))));
                for (int bit = 0; bit < 8; ++bit)
                    crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
            }
        }
    }
    return crc;
}

template struct BasicIniEntry<char>;
template struct BasicIniEntry<char16_t>;
template struct BasicIniSection<char>;
template struct BasicIniSection<char16_t>;
template class BasicIniIterator<char>;
template class BasicIniIterator<char16_t>;
template class BasicIniDocument<char>;
template class BasicIniDocument<char16_t>;

} // namespace Quib
