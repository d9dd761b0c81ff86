#include "framework/files/MessageSender.h"

#include <algorithm>

namespace Quib {

namespace {

template <class T>
bool EraseFirst(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace

MessageSender::~MessageSender()
{
    std::vector<MessageReceiver*> receivers;
    receivers.swap(mReceivers);
    for (MessageReceiver* receiver : receivers) {
        receiver->OnSenderRemoved(this);
        EraseFirst(receiver->mSenders, static_cast<MessageSender*>(this));
    }
}

void MessageSender::AddReceiver(MessageReceiver* receiver)
{
    if (!receiver)
        return;
    receiver->mSenders.push_back(this);
    mReceivers.push_back(receiver);
}

void MessageSender::DetachReceiver(bool deferred, MessageReceiver* receiver)
{
    if (receiver) {
        if (EraseFirst(mReceivers, receiver)) {
            EraseFirst(receiver->mSenders, this);
            OnReceiverDetached(receiver, deferred);
        }
        return;
    }
    std::vector<MessageReceiver*> receivers;
    receivers.swap(mReceivers);
    for (MessageReceiver* r : receivers) {
        // The receiver forgets this sender too, so it never reaches back to
        // it once the sender is gone.
        EraseFirst(r->mSenders, this);
        OnReceiverDetached(r, deferred);
    }
}

MessageReceiver::~MessageReceiver()
{
    std::vector<MessageSender*> senders;
    senders.swap(mSenders);
    for (MessageSender* sender : senders)
        sender->DetachReceiver(false, this);
}

void MessageReceiver::OnSenderRemoved(MessageSender*) {}

void MessageReceiver::DetachFrom(bool deferred, MessageSender* sender)
{
    if (sender) {
        if (std::find(mSenders.begin(), mSenders.end(), sender) == mSenders.end())
            return;
        sender->DetachReceiver(deferred, this);
        return;
    }
    std::vector<MessageSender*> senders;
    senders.swap(mSenders);
    for (MessageSender* s : senders)
        s->DetachReceiver(deferred, this);
}

} // namespace Quib
