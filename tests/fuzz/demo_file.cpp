// Reads any bytes as a demo file. A file that is accepted must replay to
// its end with every event whole, and its events written again in the
// current format must read back the same.
#include "FuzzSupport.h"
#include "framework/app/DemoFile.h"

#include <string>
#include <vector>

using namespace Quib;

namespace {

struct Timed {
    int32_t update;
    DemoEvent event;
    bool operator==(const Timed&) const = default;
};

std::vector<Timed> Replay(const Buffer& events, uint32_t version)
{
    DemoEventStream stream;
    stream.version = version;
    stream.buffer = events;
    std::vector<Timed> out;
    for (;;) {
        stream.Prepare(stream.lastEventUpdate);
        if (stream.needHeader)
            break;
        DemoEvent event;
        if (!stream.TakePending(event))
            Fuzz::Fail("an accepted file holds an event that does not read");
        if (!event.mouseClass && event.code == DEMO_FILLER)
            continue;
        if (!event.mouseClass && event.code == DEMO_CHAR)
            event.flag = true; // characters are always written wide
        out.push_back({stream.lastEventUpdate, std::move(event)});
    }
    if (!stream.buffer.AtEnd())
        Fuzz::Fail("playback stopped before the end of the events");
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DemoFileData demo;
    std::string error;
    if (!ParseDemoFile(Fuzz::Text(data, size), demo, error)) {
        if (error.empty())
            Fuzz::Fail("a refused file without a reason");
        return 0;
    }
    const std::vector<Timed> events = Replay(demo.events, demo.version);

    DemoEventStream writer;
    for (const Timed& t : events)
        writer.WriteEvent(t.update, t.event);
    DemoFileData again = demo;
    again.version = DEMO_VERSION;
    again.events = writer.buffer;
    if (again.events.GetBitLength() == 0)
        return 0; // a file needs events; only padding was left
    DemoFileData reread;
    if (!ParseDemoFile(FormatDemoFile(again), reread, error))
        Fuzz::Fail("a rewritten file is refused");
    if (reread.seed != demo.seed || reread.productVersion != demo.productVersion ||
        reread.updateCount != demo.updateCount || reread.markers.size() != demo.markers.size())
        Fuzz::Fail("a rewritten file has another header");
    for (size_t i = 0; i < demo.markers.size(); ++i)
        if (reread.markers[i].name != demo.markers[i].name ||
            reread.markers[i].updateNumber != demo.markers[i].updateNumber)
            Fuzz::Fail("a rewritten file has other markers");
    if (Replay(reread.events, reread.version) != events)
        Fuzz::Fail("a rewritten file replays differently");
    return 0;
}
