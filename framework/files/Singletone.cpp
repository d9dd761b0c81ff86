#include "framework/files/Singletone.h"

#include <algorithm>
#include <cstdlib>
#include <deque>

namespace Quib {

namespace {

struct SingletonList {
    std::recursive_mutex mutex;
    std::deque<SingletoneBase*> items;
    bool exitHookSet = false;
};

SingletonList& List()
{
    // Never destroyed, so singletons deleted late still find it.
    static SingletonList* list = new SingletonList;
    return *list;
}

} // namespace

SingletoneBase::SingletoneBase()
{
    SingletonList& list = List();
    std::lock_guard lock(list.mutex);
    list.items.push_front(this);
    if (!list.exitHookSet) {
        list.exitHookSet = true;
        std::atexit(&SingletoneBase::DestroyAll);
    }
}

SingletoneBase::~SingletoneBase()
{
    SingletonList& list = List();
    std::lock_guard lock(list.mutex);
    auto it = std::find(list.items.begin(), list.items.end(), this);
    if (it != list.items.end())
        list.items.erase(it);
}

void SingletoneBase::DestroyAll()
{
    SingletonList& list = List();
    for (;;) {
        SingletoneBase* first;
        {
            std::lock_guard lock(list.mutex);
            if (list.items.empty())
                return;
            first = list.items.front();
            list.items.pop_front();
        }
        delete first;
    }
}

} // namespace Quib
