#include "framework/files/IniReadIterator.h"

#include "framework/files/IniCharSource.h"
#include "framework/files/IniStdIFile.h"

namespace Quib {

namespace {

template <class CharT> void DetectLineEnd(CharT c, IniReadState<CharT>& state)
{
    if (state.lineEndState == 0) {
        state.lineEnd[0] = c;
        state.lineEndLength = 1;
        state.lineEndState = 1;
    } else if (state.lineEndState == 1) {
        if ((c == CharT('\n') && state.lineEnd[0] == CharT('\r')) ||
            (c == CharT('\r') && state.lineEnd[0] == CharT('\n'))) {
            state.lineEnd[1] = c;
            state.lineEndLength = 2;
        }
        state.lineEndState = 2;
    }
}

} // namespace

// ---- IniTokenizer ----

template <class CharT> void IniTokenizer::Append(std::basic_string<CharT>& s, CharT c, bool escaped, Kept& kept)
{
    if (escaped) {
        kept.first = std::min(kept.first, s.size());
        kept.end = s.size() + 1;
    }
    s += c;
}

template <class CharT>
void IniTokenizer::Store(CharT c, bool escaped, BasicIniEntry<CharT>& entry, IniReadState<CharT>& state)
{
    switch (entry.kind) {
    case INI_NONE:
        if (c == CharT('[')) {
            entry.kind = INI_SECTION;
            state.atLineStart = true;
            return;
        }
        if (IniIsBlank(c) && !escaped)
            return;
        entry.kind = INI_KEY;
        state.atLineStart = true;
        if (c == CharT('='))
            mAfterEquals = true;
        else
            Append(entry.name, c, escaped, mNameKept);
        return;
    case INI_SECTION:
        if (!mInSectionName)
            return;
        if (c == CharT(']'))
            mInSectionName = false;
        else
            Append(entry.name, c, escaped, mNameKept);
        return;
    case INI_KEY:
        if (mAfterEquals)
            Append(entry.value, c, escaped, mValueKept);
        else if (c == CharT('='))
            mAfterEquals = true;
        else
            Append(entry.name, c, escaped, mNameKept);
        return;
    default:
        entry.name += c;
        return;
    }
}

template <class CharT> bool IniTokenizer::Step(CharT c, BasicIniEntry<CharT>& entry, IniReadState<CharT>& state)
{
    if (c == CharT('\r') || c == CharT('\n')) {
        DetectLineEnd(c, state);
        if (mPendingBackslash) {
            mPendingBackslash = false;
            mContinuation = true;
            mContinuationCount = 0;
        }
        if (mContinuation) {
            if (++mContinuationCount <= state.lineEndLength)
                return true;
            mContinuation = false;
        }
        if (mPendingSlash && !mInBlock) {
            mPendingSlash = false;
            Store(CharT('/'), false, entry, state);
        }
        mPrevLineEnd = true;
        if (mInBlock) {
            entry.name += c;
            mStar = false;
        } else {
            // Whatever comes next begins a line.
            state.atLineStart = true;
        }
        return true;
    }
    mContinuation = false;

    if (mPrevLineEnd) {
        if (entry.kind != INI_NONE && !mInBlock)
            return false;
        mPrevLineEnd = false;
    }

    if (mInBlock) {
        entry.name += c;
        if (c == CharT('/') && mStar) {
            mInBlock = false;
            mBlockClosed = true;
        }
        mStar = c == CharT('*');
        return true;
    }

    if (entry.kind == INI_COMMENT) {
        if (mBlockClosed) {
            if (IniIsBlank(c))
                return true;
            entry.flags |= INI_COMMENT_TEXT_AFTER;
            return false;
        }
        // A line comment keeps its slashes and backslashes; they only wait
        // for a line end to continue the comment.
        if (mPendingBackslash) {
            mPendingBackslash = false;
            entry.name += CharT('\\');
        } else if (mPendingSlash) {
            mPendingSlash = false;
            entry.name += CharT('/');
        }
        if (c == CharT('\\'))
            mPendingBackslash = true;
        else if (c == CharT('/'))
            mPendingSlash = true;
        else
            entry.name += c;
        return true;
    }

    if (mPendingBackslash) {
        mPendingBackslash = false;
        if (c == CharT('n'))
            c = CharT('\n');
        else if (c == CharT('r'))
            c = CharT('\r');
        Store(c, true, entry, state);
        return true;
    }

    if (mPendingSlash) {
        mPendingSlash = false;
        if (c == CharT('/') || c == CharT('*')) {
            if (entry.kind != INI_NONE) {
                state.carriedSlash = true;
                state.atLineStart = false;
                return false;
            }
            entry.kind = INI_COMMENT;
            entry.flags = state.atLineStart ? INI_COMMENT_LINE_START : 0;
            if (!mSlashCarried)
                state.atLineStart = true;
            entry.name.assign(1, CharT('/'));
            entry.name += c;
            if (c == CharT('*')) {
                mInBlock = true;
                mStar = true;
            }
            return true;
        }
        Store(CharT('/'), false, entry, state);
    }

    if (c == CharT('#') || c == CharT(';')) {
        if (entry.kind != INI_NONE) {
            state.atLineStart = false;
            return false;
        }
        entry.kind = INI_COMMENT;
        entry.flags = state.atLineStart ? INI_COMMENT_LINE_START : 0;
        state.atLineStart = true;
        entry.name.assign(1, c);
        return true;
    }
    if (c == CharT('\\')) {
        mPendingBackslash = true;
        return true;
    }
    if (c == CharT('/')) {
        mPendingSlash = true;
        return true;
    }
    Store(c, false, entry, state);
    return true;
}

template <class CharT> void IniTokenizer::Finish(BasicIniEntry<CharT>& entry, IniReadState<CharT>& state)
{
    if (mPendingSlash && !mInBlock)
        Store(CharT('/'), false, entry, state);
    if (mPendingBackslash)
        Store(CharT('\\'), false, entry, state);
    mPendingSlash = mPendingBackslash = false;
}

template <class CharT> void IniTokenizer::TrimKept(std::basic_string<CharT>& s, const Kept& kept, bool leading)
{
    size_t end = s.size();
    while (end > kept.end && IniIsBlank(s[end - 1]))
        --end;
    size_t begin = 0;
    if (leading)
        while (begin < end && begin < kept.first && IniIsBlank(s[begin]))
            ++begin;
    if (begin != 0 || end != s.size())
        s = s.substr(begin, end - begin);
}

template <class CharT> void IniTokenizer::Trim(BasicIniEntry<CharT>& entry) const
{
    if (entry.kind == INI_KEY) {
        TrimKept(entry.name, mNameKept, false);
        TrimKept(entry.value, mValueKept, true);
    } else if (entry.kind == INI_SECTION) {
        TrimKept(entry.name, mNameKept, true);
    }
}

// ---- IniReadIterator ----

template <class CharT>
BasicIniReadIterator<CharT>::BasicIniReadIterator(Document& doc, IniCharSource* source, bool insert)
    : mSource(source), mInsert(insert)
{
    if (!source) {
        Base::operator=(doc.Begin(true));
        return;
    }
    this->mDoc = &doc;
    SetEnd();
    source->Start(sizeof(CharT) == 2);
    Advance();
}

template <class CharT>
BasicIniReadIterator<CharT> BasicIniReadIterator<CharT>::Start(Document& doc, IniStdIStream& source)
{
    doc.ReadState().Reset();
    return BasicIniReadIterator(doc, &source, false);
}

template <class CharT>
BasicIniReadIterator<CharT> BasicIniReadIterator<CharT>::StartN(Document& doc, IniCharSource& source)
{
    doc.ReadState().Reset();
    doc.Clear();
    return BasicIniReadIterator(doc, &source, true);
}

template <class CharT> void BasicIniReadIterator<CharT>::SetEnd()
{
    this->mState = INI_NONE;
    this->mSection = 0;
    this->mEntry = 0;
    this->mName = nullptr;
    this->mValue = nullptr;
}

template <class CharT> bool BasicIniReadIterator<CharT>::ReadLine(Entry& entry)
{
    entry = Entry();
    IniReadState<CharT>& state = this->mDoc->ReadState();
    if (!state.pending) {
        uint16_t c;
        if (!mSource->Next(c))
            return false;
        state.current = CharT(c);
    }
    state.pending = false;
    IniTokenizer tokenizer;
    if (state.carriedSlash) {
        state.carriedSlash = false;
        tokenizer.StartWithCarriedSlash();
    }
    for (;;) {
        if (!tokenizer.Step(state.current, entry, state)) {
            state.pending = true;
            break;
        }
        uint16_t c;
        if (!mSource->Next(c)) {
            tokenizer.Finish(entry, state);
            break;
        }
        state.current = CharT(c);
    }
    tokenizer.Trim(entry);
    return entry.kind != INI_NONE;
}

template <class CharT> void BasicIniReadIterator<CharT>::PositionOnRead()
{
    this->mState = mRead.kind;
    if (mRead.kind == INI_SECTION) {
        this->mSection = mScannedSections++;
        this->mEntry = 0;
        mScannedEntries = 0;
        this->mValue = nullptr;
    } else {
        this->mEntry = mScannedEntries++;
        this->mValue = mRead.kind == INI_KEY ? &mRead.value : nullptr;
    }
    this->mName = &mRead.name;
}

template <class CharT> bool BasicIniReadIterator<CharT>::InsertRead()
{
    Document& doc = *this->mDoc;
    if (mRead.kind == INI_SECTION) {
        if (Section* existing = doc.FindSectionRecord(mRead.name)) {
            // A repeated section line: what follows goes into that section.
            mTarget = existing;
            return false;
        }
        // The unnamed section goes first, any other after the last.
        size_t index = mRead.name.empty() ? 0 : size_t(doc.SectionCount());
        mTarget = doc.InsertSectionAt(mRead.name, index);
        this->mState = INI_SECTION;
        this->mSection = mTarget->index;
        this->mEntry = 0;
        this->Load();
        return true;
    }
    if (doc.SectionCount() == 0 || !mTarget)
        mTarget = doc.SectionCount() == 0 ? doc.InsertSectionAt({}, 0) : doc.SectionAt(doc.SectionCount() - 1);
    Section& section = *mTarget;
    if (mRead.kind == INI_KEY && section.FindKey(mRead.name))
        return false;  // the first key of a name wins
    auto [added, inserted] = doc.InsertEntryAt(section, section.order.size(), std::move(mRead));
    (void)inserted;
    this->mState = added->kind;
    this->mSection = section.index;
    this->mEntry = int32_t(added->position);
    this->Load();
    return true;
}

template <class CharT> void BasicIniReadIterator<CharT>::Advance()
{
    for (;;) {
        if (!mSource || !ReadLine(mRead)) {
            SetEnd();
            return;
        }
        if (mRead.kind == INI_SECTION && (this->mMask & INI_IN_SECTION)) {
            if (mInsert) {
                const int32_t mask = this->mMask;
                this->mMask = 0;
                do
                    InsertRead();
                while (ReadLine(mRead));
                this->mMask = mask;
            }
            SetEnd();
            return;
        }
        if (mInsert) {
            if (!InsertRead())
                continue;
        } else {
            PositionOnRead();
        }
        if (this->mState & this->mMask)
            return;
    }
}

// ---- IniDocument::Load ----

template <class CharT> void BasicIniDocument<CharT>::Load(IniCharSource* source)
{
    if (!source) {
        Clear();
        return;
    }
    auto it = BasicIniReadIterator<CharT>::StartN(*this, *source);
    while (it != End())
        it.Advance();
}

template void BasicIniDocument<char>::Load(IniCharSource*);
template void BasicIniDocument<char16_t>::Load(IniCharSource*);
template class BasicIniReadIterator<char>;
template class BasicIniReadIterator<char16_t>;

} // namespace Quib
