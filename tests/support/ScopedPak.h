#pragma once
#include "framework/files/PakInterface.h"

namespace Quib::Testing {

// A fresh pak interface published for one test, so the helpers (PakFOpen,
// PakFRead, ...) see only the archives the test adds.
class ScopedPak {
public:
    ScopedPak() : mOld(SetSharedPakInterface(&mPak)) {}
    ~ScopedPak() { SetSharedPakInterface(mOld); }
    ScopedPak(const ScopedPak&) = delete;
    ScopedPak& operator=(const ScopedPak&) = delete;

    PakInterface& operator*() { return mPak; }
    PakInterface* operator->() { return &mPak; }

private:
    PakInterface mPak;
    PakInterface* mOld;
};

// Runs a scope with no pak interface published: the helpers go to disk.
class ScopedNoPak {
public:
    ScopedNoPak() : mOld(SetSharedPakInterface(nullptr)) {}
    ~ScopedNoPak() { SetSharedPakInterface(mOld); }
    ScopedNoPak(const ScopedNoPak&) = delete;
    ScopedNoPak& operator=(const ScopedNoPak&) = delete;

private:
    PakInterface* mOld;
};

} // namespace Quib::Testing
