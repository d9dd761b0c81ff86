#pragma once
#include "framework/files/Buffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {

// Demo files: a header, then a bit stream of events, each stamped with the
// update frame it happened at.
//
// File layout (little-endian, every field written through a Buffer):
//   magic                4  DEMO_MAGIC
//   format version       4  unsigned; 1, 2 or 3 are read, 3 is written
//   random seed          4
//   version length       2  n, unsigned
//   product version      n  no terminator
//   marker table length  4  m (versions 2 and 3)
//   marker table         m  32-bit count, then per marker a string (16-bit
//                           length, bytes) and a 32-bit update number
//   update count         4  the update count when the file was written
//   event bit count      4  b (version 3): where the recording ended
//   event stream         the rest; in version 3 exactly (b + 7) / 8 bytes
//
// Versions 1 and 2 store no bit count: the stream ends with the file, and
// the zero bits that pad its last byte are no event (an event that would
// start there and run past the end is dropped).
//
// Event header: 4 bits update delta since the previous event, 1 bit class
// (1 mouse, 0 general), then the code: 1 bit in the mouse class, 5 bits in
// the general class. Longer gaps are bridged by fillers (delta 15, general
// code 31). Event data, by class and code:
//   mouse 0    relative move: 6 bits signed dx, 6 bits signed dy
//   mouse 1    button: 1 bit down, 3 bits signed click code
//   general 0  absolute position: 16 bits signed x and y (version 3;
//              12 bits unsigned each before)
//   general 1  activation: 1 bit active
//   general 2  minimised: a byte, 0 or 1
//   general 3, 4  key down, key up: 8 bits virtual key
//   general 5  character: 1 bit wide flag, then 16 bits (8 without it)
//   general 6, 7, 8, 9  close, mouse entered, mouse left, loading
//              finished: no data
//   general 11 registry read: 1 bit found; when found 32-bit type, 32-bit
//              size and that many bytes
//   general 12 registry write: 1 bit success
//   general 18 recorded value: 32-bit byte count, then the bytes. A boolean
//              is one byte, 0 or 1; a string is its 16-bit length followed
//              by its bytes (count = 2 + length).
//   general 21 mouse wheel: 8 bits signed notches
//   general 23 screen mode: a byte windowed flag, a byte refresh rate
//   general 31 filler: no data
// Any other code (10, 13 to 17, 19, 20, 22, 24 to 30) is never written; a
// file holding one is refused, since its data could not be skipped.
//
// The events of a file start with what start-up records, in its order: the
// settings reads and the "InProgress" write, the "Is3D" read when the
// window is made, then the screen mode of the first display set-up. They
// are all due at update 0.

constexpr uint32_t DEMO_MAGIC = 0x42BEEF78;
constexpr uint32_t DEMO_VERSION = 3;
// Files above this size are refused rather than read into memory.
constexpr size_t DEMO_MAX_FILE_BYTES = size_t(64) << 20;

enum DemoEventCode : int {
    // Mouse class.
    DEMO_MOUSE_MOVE = 0,
    DEMO_MOUSE_BUTTON = 1,
    // General class.
    DEMO_MOUSE_POSITION = 0,
    DEMO_ACTIVATE = 1,
    DEMO_MINIMISED = 2,
    DEMO_KEY_DOWN = 3,
    DEMO_KEY_UP = 4,
    DEMO_CHAR = 5,
    DEMO_CLOSE = 6,
    DEMO_MOUSE_ENTER = 7,
    DEMO_MOUSE_LEAVE = 8,
    DEMO_LOADING_DONE = 9,
    DEMO_REGISTRY_READ = 11,
    DEMO_REGISTRY_WRITE = 12,
    DEMO_VALUE = 18,
    DEMO_MOUSE_WHEEL = 21,
    DEMO_SCREEN_MODE = 23,
    DEMO_FILLER = 31,
};

// Longest update gap one header holds.
constexpr int DEMO_MAX_DELTA = 15;
// A mouse message this far from the last recorded position, or farther,
// in either direction is stored as an absolute position.
constexpr int DEMO_RELATIVE_LIMIT = 32;

struct DemoMarker {
    std::string name;
    int32_t updateNumber = 0;
};

// One event with its data; which fields count depends on the code.
struct DemoEvent {
    bool mouseClass = false;
    int code = 0;
    int x = 0; // relative move: dx; absolute position: x
    int y = 0;
    // button down, active, minimised, wide character, found, success,
    // windowed
    bool flag = false;
    // click code, virtual key, character, wheel notches, refresh rate,
    // registry value type
    int value = 0;
    std::vector<uint8_t> bytes; // registry read, recorded value

    bool operator==(const DemoEvent&) const = default;
};

// Whether a code of a class may appear in a file.
bool IsKnownDemoEvent(bool mouseClass, int code);

enum class DemoReadResult : uint8_t {
    Ok,
    End,       // nothing left
    Truncated, // the event runs past the end of the stream
    Unknown,   // a code no file holds
};

// The event stream of a demo and the cursor state of recording or
// playing it.
class DemoEventStream {
public:
    void Clear();

    // Writing. Each event goes in at updateCount, with fillers first for
    // gaps above 15.
    void WriteHeader(int32_t updateCount, bool mouseClass, int code);
    // The header and the data of an event.
    void WriteEvent(int32_t updateCount, const DemoEvent& event);
    // A mouse position: relative when it is less than 32 away from the
    // last one in both directions, else absolute; it becomes the last
    // position.
    void WriteMousePosition(int32_t updateCount, int x, int y);

    // Playback. Reads the next header when needed; true when an event is
    // pending and due at updateCount. False at the end of the stream.
    bool Prepare(int32_t updateCount);
    // The pending event's class and code (after Prepare returned true).
    bool PendingClass() const { return pendingClass; }
    int PendingCode() const { return pendingCode; }
    // Reads the pending event's data and marks its header consumed. A
    // replayed mouse event moves the last position. False (with the event
    // consumed and the stream at its end) when the data is not all there.
    bool TakePending(DemoEvent& event);

    // Reads a stream from its start as the reader will, without applying
    // anything: every code must be known and every event complete.
    // endBit receives where the last complete event ends; for versions
    // before 3 a trailing part of the last byte that is all zero ends the
    // stream there. False with a reason for a damaged stream.
    static bool Check(const Buffer& events, uint32_t version, int32_t& endBit, std::string& error);

    // Fields read and written in one call: a header, and the data of a
    // class and code; both leave the buffer where they stopped.
    static DemoReadResult ReadHeader(Buffer& buffer, int& delta, bool& mouseClass, int& code);
    static DemoReadResult ReadData(Buffer& buffer, uint32_t version, bool mouseClass, int code, DemoEvent& event);
    static void WriteData(Buffer& buffer, const DemoEvent& event);

    uint32_t version = DEMO_VERSION; // layout of the stream being read
    Buffer buffer;
    int32_t lastEventUpdate = 0; // update of the last written or the pending event
    bool needHeader = true;
    bool pendingClass = false;
    int pendingCode = 0;
    int eventCount = -1; // events written or read, fillers included
    int32_t headerPosition = 0;
    int lastMouseX = 0;
    int lastMouseY = 0;
};

// A whole demo file.
struct DemoFileData {
    uint32_t version = DEMO_VERSION;
    uint32_t seed = 0;
    std::string productVersion;
    std::vector<DemoMarker> markers;
    int32_t updateCount = 0;
    Buffer events; // read position 0; bit length where the recording ended
};

// The bytes of a file in the current format. Product versions and marker
// names longer than 65535 bytes keep their first 65535.
std::string FormatDemoFile(const DemoFileData& demo);

// Reads a file's bytes; false with the text to show for a file that is
// not a demo file, is damaged or has a version this program does not
// read. The event stream is checked whole (DemoEventStream::Check).
bool ParseDemoFile(std::string_view bytes, DemoFileData& demo, std::string& error);

} // namespace Quib
