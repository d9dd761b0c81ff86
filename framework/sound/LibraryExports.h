#pragma once
// The entry points of a sound library, found by name, and the one shared,
// reference-counted record that holds them for the whole process.
#include <any>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Quib {

// Name -> std::function of the entry point's signature.
using LibraryExports = std::map<std::string, std::any, std::less<>>;

// Binds the export of that name into the slot; false when it is missing or
// has another signature.
template <class Signature>
bool BindExport(const LibraryExports& exports, std::string_view name, std::function<Signature>& slot)
{
    const auto it = exports.find(name);
    if (it == exports.end())
        return false;
    const auto* entry = std::any_cast<std::function<Signature>>(&it->second);
    if (!entry || !*entry)
        return false;
    slot = *entry;
    return true;
}

template <class Signature>
void AddExport(LibraryExports& exports, const char* name, std::function<Signature> function)
{
    exports[name] = std::move(function);
}

// Builds the record on the first reference and deletes it with the last.
template <class Record>
class SharedLibraryRecord {
public:
    // Takes a reference; the record, or null when it could not be built.
    Record* Acquire(const std::function<std::unique_ptr<Record>()>& build)
    {
        if (mReferences.fetch_add(1) == 0 || !mRecord)
            mRecord = build();
        return mRecord.get();
    }
    void Release()
    {
        if (mReferences.load() > 0 && mReferences.fetch_sub(1) == 1)
            mRecord.reset();
    }
    Record* Get() const { return mRecord.get(); }

    // The exports the next record is built from: the given ones, else the
    // library's own.
    void SetExports(std::optional<LibraryExports> exports) { mExports = std::move(exports); }
    LibraryExports Exports(LibraryExports (*own)()) const { return mExports ? *mExports : own(); }

private:
    std::optional<LibraryExports> mExports;
    std::atomic<int> mReferences{0};
    std::unique_ptr<Record> mRecord;
};

} // namespace Quib
