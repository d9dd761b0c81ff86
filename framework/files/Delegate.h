#pragma once
#include <new>
#include <type_traits>

namespace Quib {

// An object and one of its member functions (no arguments), called back
// later; empty when both are null.
class Delegate {
public:
    Delegate() = default;
    template <class T>
    Delegate(T* object, std::type_identity_t<void (T::*)()> method) : mObject(object)
    {
        if (method) {
            static_assert(sizeof(method) <= sizeof(mMethod));
            new (mMethod) Method<T>{method};
            mCall = [](void* o, const void* m) { (static_cast<T*>(o)->*static_cast<const Method<T>*>(m)->pointer)(); };
        }
    }

    bool IsEmpty() const { return mObject == nullptr && mCall == nullptr; }
    bool ToSafeBool() const { return !IsEmpty(); }
    explicit operator bool() const { return ToSafeBool(); }

    // Calls the function on the object; nothing when either is missing.
    void operator()() const
    {
        if (mObject && mCall)
            mCall(mObject, mMethod);
    }
    void Invoke() const { (*this)(); }

private:
    template <class T>
    struct Method {
        void (T::*pointer)();
    };
    struct Any {};
    void* mObject = nullptr;
    alignas(void (Any::*)()) unsigned char mMethod[sizeof(void (Any::*)()) * 2] = {};
    void (*mCall)(void*, const void*) = nullptr;
};

} // namespace Quib
