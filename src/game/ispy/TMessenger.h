#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quib {

class TLevel;
class TPaintElement;
class TPicture;

// The message ids of a hidden-object level.
enum HogMessage : int32_t {
    MSG_FRAME_TICK = 0,
    MSG_LINE_FADED = 35,
    MSG_LINE_FADE_OUT = 36,
    MSG_HINT_REQUESTED = 37,
    MSG_HINT_GIVEN = 38,
    MSG_HINT_TARGET = 39,
    MSG_LEVEL_PICTURE_READY = 41,
    MSG_SCORE_CHANGED = 42,
    MSG_ELEMENT_TAKEN = 43,
    MSG_TOGGLE_BLOCK = 44,
    MSG_LEVEL_BLOCKED = 45,
    MSG_LEVEL_UNBLOCKED = 46,
    MSG_LEVEL_COMPLETE = 47,
    MSG_PICTURE_COMPLETE = 48,
    MSG_PICTURE_READY = 49,
    MSG_SPHERE_TAKEN = 50,
    MSG_MISS = 52,
    MSG_MISS_BURST = 53,
    MSG_SPHERES_PLACED = 57,
    MSG_FIRST_MISS_BURST = 64,
    MSG_NOTEPAD_HINT_START = 72,
    MSG_LEVEL_HINT_GIVEN = 76,
};

// The payload of a message; the sender owns it for the length of the send.
struct TMessageData {
    TMessageData() = default;
    explicit TMessageData(float value) : floatValue(value) {}
    explicit TMessageData(int32_t value) : intValue(value) {}
    explicit TMessageData(TPicture* value) : picture(value) {}
    explicit TMessageData(TPaintElement* value) : element(value) {}
    explicit TMessageData(TLevel* value) : level(value) {}

    int32_t words[6] = {};
    float floatValue = 0.0f;
    int32_t intValue = 0;
    TPicture* picture = nullptr;
    TPaintElement* element = nullptr;
    TLevel* level = nullptr;
    bool flag = false;
    std::string text;
};

// One party of the level's message bus: subscribes to ids, and every send of
// an id reaches its subscribers at once, in subscription order. A copy
// carries the ids but is not subscribed; destruction unsubscribes.
class TMessenger {
public:
    TMessenger() = default;
    TMessenger(const TMessenger& other) : subscribedIds(other.subscribedIds), registered(false) {}
    TMessenger& operator=(const TMessenger& other);
    virtual ~TMessenger();

    virtual void OnMessage(int32_t id, TMessenger* sender, TMessageData* data);

    static void Subscribe(TMessenger* subscriber, int32_t id);
    static void Send(TMessenger* sender, int32_t id, TMessageData* data);
    static void SendNoData(TMessenger* sender, int32_t id);
    // The id's subscribers, the entry made empty when missing.
    static std::vector<TMessenger*>& GetSubscribers(int32_t id);

    std::vector<int32_t> subscribedIds;

private:
    // False for copies: they never entered the registry.
    bool registered = true;
};

} // namespace Quib
