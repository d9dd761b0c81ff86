#pragma once
#include <vector>

namespace Quib {

class MessageReceiver;

// One side of a two-way link: each side knows the other, and either side's
// destructor undoes the link.
class MessageSender {
public:
    MessageSender() = default;
    MessageSender(const MessageSender&) = delete;
    MessageSender& operator=(const MessageSender&) = delete;
    // Tells every receiver (OnSenderRemoved) and drops the links.
    virtual ~MessageSender();

    // Links both ways (no check for duplicates).
    void AddReceiver(MessageReceiver* receiver);
    // With a receiver: unlinks it (both ways) and calls OnReceiverDetached.
    // Without one: does so for every receiver, in order.
    void DetachReceiver(bool deferred, MessageReceiver* receiver = nullptr);
    // Called for each receiver that goes; `deferred` when the receiver may
    // be detaching while this sender walks its own lists.
    virtual bool OnReceiverDetached(MessageReceiver* receiver, bool deferred) = 0;

    const std::vector<MessageReceiver*>& Receivers() const { return mReceivers; }

private:
    friend class MessageReceiver;
    std::vector<MessageReceiver*> mReceivers;
};

class MessageReceiver {
public:
    MessageReceiver() = default;
    MessageReceiver(const MessageReceiver&) = delete;
    MessageReceiver& operator=(const MessageReceiver&) = delete;
    // Detaches (not deferred) from every sender.
    virtual ~MessageReceiver();
    // A linked sender is being destroyed.
    virtual void OnSenderRemoved(MessageSender* sender);

    // With a sender: detaches from it. Without one: from every sender. A
    // receiver that detaches while a sender notifies it passes deferred.
    void DetachFrom(bool deferred, MessageSender* sender = nullptr);

    const std::vector<MessageSender*>& Senders() const { return mSenders; }

private:
    friend class MessageSender;
    std::vector<MessageSender*> mSenders;
};

} // namespace Quib
