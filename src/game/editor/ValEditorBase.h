#pragma once
#include <functional>
#include <utility>

namespace Quib {

// A value editor over a base property: edits a bound value in place, or
// reports each change through its delegate; polls the bound value every
// update so that changes made elsewhere show at once.
template <class T, class Base>
class ValEditorBase : public Base {
public:
    using ChangeDelegate = std::function<void(T)>;

    ValEditorBase(T* bound, T initial, ChangeDelegate delegate)
        : onChange(std::move(delegate)), boundValue(bound), cachedValue(bound ? *bound : initial)
    {
    }

    void Update() override
    {
        Base::Update();
        if (boundValue && *boundValue != cachedValue) {
            cachedValue = *boundValue;
            ShowValue();
        }
    }

    virtual void SetValue(T value)
    {
        cachedValue = value;
        if (!boundValue) {
            if (onChange)
                onChange(value);
        } else if (*boundValue != value) {
            *boundValue = value;
        }
    }

    T CachedValue() const { return cachedValue; }
    // Cached value := value, shown without telling anyone.
    void ShowCachedValue(T value)
    {
        cachedValue = value;
        ShowValue();
    }

protected:
    virtual void ShowValue() = 0;

    ChangeDelegate onChange;
    T* boundValue = nullptr;
    T cachedValue{};
};

} // namespace Quib
