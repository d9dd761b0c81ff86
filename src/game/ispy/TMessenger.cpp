#include "src/game/ispy/TMessenger.h"

#include <algorithm>

namespace Quib {

namespace {

// Never destroyed: parties that live in other statics leave it at exit.
std::map<int32_t, std::vector<TMessenger*>>& Registry()
{
    static auto* registry = new std::map<int32_t, std::vector<TMessenger*>>();
    return *registry;
}

} // namespace

TMessenger& TMessenger::operator=(const TMessenger& other)
{
    // An assigned object keeps its own subscriptions.
    if (this != &other && !registered)
        subscribedIds = other.subscribedIds;
    return *this;
}

TMessenger::~TMessenger()
{
    if (!registered)
        return;
    for (int32_t id : subscribedIds) {
        std::vector<TMessenger*>& list = GetSubscribers(id);
        auto it = std::find(list.begin(), list.end(), this);
        if (it != list.end())
            list.erase(it);
    }
}

void TMessenger::OnMessage(int32_t, TMessenger*, TMessageData*) {}

std::vector<TMessenger*>& TMessenger::GetSubscribers(int32_t id) { return Registry()[id]; }

void TMessenger::Subscribe(TMessenger* subscriber, int32_t id)
{
    if (!subscriber || !subscriber->registered)
        return;
    if (std::find(subscriber->subscribedIds.begin(), subscriber->subscribedIds.end(), id) ==
        subscriber->subscribedIds.end())
        subscriber->subscribedIds.push_back(id);
    std::vector<TMessenger*>& list = GetSubscribers(id);
    if (std::find(list.begin(), list.end(), subscriber) == list.end())
        list.push_back(subscriber);
}

void TMessenger::Send(TMessenger* sender, int32_t id, TMessageData* data)
{
    static TMessageData* const empty = new TMessageData();
    if (!data)
        data = empty;
    std::vector<TMessenger*>& list = GetSubscribers(id);
    // Indexes, not iterators: a handler that ends a subscriber of this id
    // must not leave the walk dangling.
    for (size_t i = 0; i < list.size(); ++i) {
        TMessenger* receiver = list[i];
        receiver->OnMessage(id, sender, data);
    }
}

void TMessenger::SendNoData(TMessenger* sender, int32_t id) { Send(sender, id, nullptr); }

} // namespace Quib
