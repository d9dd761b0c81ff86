// The constants reload reads any bytes as the source file of marked
// constants on its first lines and patches those it finds.
#include "FuzzSupport.h"
#include "platform/MessageSink.h"

#include <cstring>

// Last: it defines the macro M.
#include "framework/files/ModVal.h"

namespace {

using namespace Quib;

// Boxes answer at once and leave no trace.
class QuietSink : public MessageSink {
public:
    void DebugOutput(std::string_view) override {}
    int ShowMessageBox(std::string_view, std::string_view, unsigned style) override { return DefaultAnswer(style); }
};

constexpr int kLines = 6;
constexpr int kPerLine = 3;

// Blocks as M(value) lays them down, for constants on the first lines of
// the source (the memory file), three to a line; registered and in use.
struct Blocks {
    Fuzz::MemoryFile source{"quib-fuzz-modval"};
    std::vector<std::vector<uint8_t>> blocks;
    Blocks()
    {
        for (int line = 1; line <= kLines; ++line) {
            for (int order = 0; order < kPerLine; ++order) {
                const std::string location = source.Path() + std::to_string(line) + "," + std::to_string(order);
                std::vector<uint8_t>& block = blocks.emplace_back(MODVAL_MARKER_OFFSET + MODVAL_MARKER_SIZE);
                block[0] = 1;
                std::memcpy(block.data() + MODVAL_MARKER_OFFSET, "QUIBMODVAL", MODVAL_MARKER_SIZE);
                block.insert(block.end(), location.begin(), location.end());
                block.push_back(0);
                if (!ModVal::RegisterBlocks(block.data(), block.size()))
                    Fuzz::Fail("block not registered");
                ModVal::InitBlock(block.data());
            }
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QuietSink sink;
    SetMessageSink(&sink);
    static Blocks blocks;
    blocks.source.Write(Fuzz::Text(data, size));
    ModVal::Reload();
    for (int line = 1; line <= kLines; ++line)
        for (int index = 0; index < kPerLine; ++index)
            if (!ModVal::RegisteredBlock(blocks.source.Path(), line, index))
                Fuzz::Fail("a constant was lost");
    SetMessageSink(nullptr);
    return 0;
}
