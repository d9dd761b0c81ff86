// The level's message bus, the text keys, the return record and the safe
// count formatting.
#include "src/game/ispy/HexKey.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/ispy/ISpy.h"
#include "src/game/ispy/TMessenger.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quib::IspyTesting {

namespace {

// Message ids no part of the game uses.
constexpr int32_t kIdA = 9001;
constexpr int32_t kIdB = 9002;

class Listener : public TMessenger {
public:
    Listener(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void OnMessage(int32_t id, TMessenger* sender, TMessageData* data) override
    {
        log.push_back(name + ":" + std::to_string(id) + ":" + std::to_string(data ? data->intValue : -1) +
                      (sender == this ? ":self" : ""));
    }
    std::vector<std::string>& log;
    std::string name;
};

} // namespace

TEST(HogMessenger, DeliversInSubscriptionOrderOncePerSubscriber)
{
    std::vector<std::string> log;
    Listener first(log, "first"), second(log, "second");
    TMessenger::Subscribe(&second, kIdA);
    TMessenger::Subscribe(&first, kIdA);
    TMessenger::Subscribe(&second, kIdA);
    TMessageData data(int32_t(7));
    TMessenger::Send(&first, kIdA, &data);
    EXPECT_EQ(log, (std::vector<std::string>{"second:9001:7", "first:9001:7:self"}));
    EXPECT_EQ(second.subscribedIds, std::vector<int32_t>{kIdA});
}

TEST(HogMessenger, SendWithoutSubscribersMakesAnEmptyEntry)
{
    const int32_t unused = 9077;
    TMessenger sender;
    TMessenger::SendNoData(&sender, unused);
    EXPECT_TRUE(TMessenger::GetSubscribers(unused).empty());
}

TEST(HogMessenger, DestroyedAndCopiedParties)
{
    std::vector<std::string> log;
    Listener stays(log, "stays");
    auto goes = std::make_unique<Listener>(log, "goes");
    TMessenger::Subscribe(goes.get(), kIdB);
    TMessenger::Subscribe(&stays, kIdB);
    {
        // A copy carries the ids but is not subscribed; its end unsubscribes nothing.
        Listener copy(*goes);
        EXPECT_EQ(copy.subscribedIds, std::vector<int32_t>{kIdB});
        TMessenger::SendNoData(nullptr, kIdB);
    }
    TMessenger::SendNoData(nullptr, kIdB);
    goes.reset();
    TMessenger::SendNoData(nullptr, kIdB);
    EXPECT_EQ(log, (std::vector<std::string>{"goes:9002:0", "stays:9002:0", "goes:9002:0", "stays:9002:0",
                                             "stays:9002:0"}));
}

TEST(HogKeys, HexKeysRoundTripAndDropStrayDigits)
{
    EXPECT_EQ(EncodeHexKey(u"A\u00e9\u4e2d"), "004100e94e2d");
    EXPECT_EQ(DecodeHexKey("004100e94E2D"), u"A\u00e9\u4e2d");
    EXPECT_EQ(DecodeHexKey("0041004"), u"A");
    EXPECT_EQ(DecodeHexKey("00zz"), std::u16string(1, char16_t(0)));
    EXPECT_EQ(HexDigitValue('F'), 15);
    EXPECT_EQ(HexDigitValue('g'), 0);
}

TEST(HogReturnRecord, ContinueTextWithABadCountIsRefused)
{
    // The continue path reads the record from the profile, which a player
    // can edit: a count that is not what follows is no record.
    for (const char* text : {"s,w,,0,l,2000000000,a", "s,w,,0,l,-5", "s,w,,0,l,x,a", "s,w"}) {
        SBackFromHOGData data;
        data.foundItems = {"kept"};
        EXPECT_FALSE(data.Deserialize(text)) << text;
        EXPECT_EQ(data.foundItems, std::vector<std::string>{"kept"}) << text;
    }
    EXPECT_EQ(ContinueHogLevel("market", "s,w,,0,l,99999999999,a"), nullptr);
}

TEST(HogBoardText, TranslatedCountTextIsNeverAFormat)
{
    EXPECT_EQ(FormatCount(u"Left to find: %d", 4), u"Left to find: 4");
    EXPECT_EQ(FormatCount(u"%s %n %d%% %", 12), u"%s %n 12% %");
    EXPECT_EQ(FormatCount(u"", 3), u"");
}

} // namespace Quib::IspyTesting
