#include "src/particles/PtcModel.h"

#include "src/particles/PtcLibrary.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/ImageFixtures.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

namespace Quib {
namespace PtcReaderTest {

using namespace Ptc;
using Testing::Ptc;

bool Read(std::string_view text, FileData& out, ReadNote& error)
{
    std::vector<ReadNote> notes;
    return ReadPtcText(text, out, error, notes);
}

const std::string kExample = Ptc(R"(# a comment line
texture spark   # a comment after a block
    shape = star
    size = 16 8
    frames = 5
    pivot = 1.5 -2
end
folder Glints
    emitter Sparkles
        duration = 1.5
        loop = on
        offset = 3 -4
        interpolation = off
        update_time = 20
        particles stars
            texture = SPARK
            additive = yes
            rate = 40
            burst = 3
            max = 100
            area = box 20 10
            life = 0.5 1
            speed = 5
            direction = 45
            spread = 90
            gravity = 0 30
            drag = 0.5
            wander = 2
            size = 12 4
            size_variation = 0.2
            angle = 0 90
            spin = -10 10
            frame = cycle 12
            color = 0 #00FFFFFF 0.5 #80FFE0C0 1 #FF0000
        end
        particles "soft glow"
            area = ring 7
        end
    end
    folder Deeper
        emitter "Two Words"
            particles p
            end
        end
    end
end
emitter Top
    particles p
    end
end
)");

TEST(PtcReader, ReadsTexturesEmittersAndFolders)
{
    FileData f;
    ReadNote error;
    ASSERT_TRUE(Read(kExample, f, error)) << error.line << ":" << error.column << " " << error.message;

    ASSERT_EQ(f.textures.size(), 1u);
    const TextureDef& t = *f.textures[0];
    EXPECT_EQ(t.name, "spark");
    EXPECT_EQ(t.frameWidth, 16);
    EXPECT_EQ(t.frameHeight, 8);
    // Five frames in a grid of power-of-two sides: 4 x 2.
    EXPECT_EQ(t.textureWidth, 64);
    EXPECT_EQ(t.textureHeight, 16);
    EXPECT_EQ(t.pivotX, 1.5f);
    EXPECT_EQ(t.pivotY, -2.0f);
    ASSERT_EQ(t.frames.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        const Frame& fr = t.frames[i];
        // Texture size x fraction, truncated, gives back the pixel place.
        EXPECT_EQ(int(float(t.textureWidth) * fr.left), int(i % 4) * 16) << i;
        EXPECT_EQ(int(float(t.textureHeight) * fr.top), int(i / 4) * 8) << i;
        EXPECT_EQ(int(float(t.textureWidth) * (fr.right - fr.left)), 16) << i;
        EXPECT_EQ(int(float(t.textureHeight) * (fr.bottom - fr.top)), 8) << i;
        ASSERT_EQ(fr.data.size(), size_t(PtcTexture::kHeaderSize) + 16 * 8 * 4);
        EXPECT_EQ(std::memcmp(fr.data.data(), "PTCF", 4), 0);
    }

    ASSERT_EQ(f.root.entries.size(), 2u);
    const Folder& glints = *f.root.entries[0].folder;
    EXPECT_EQ(glints.name, "Glints");
    EXPECT_EQ(glints.parent, &f.root);
    ASSERT_EQ(glints.entries.size(), 2u);
    const EmitterDef& e = *glints.entries[0].emitter;
    EXPECT_EQ(e.name, "Sparkles");
    EXPECT_EQ(e.duration, 1.5f);
    EXPECT_TRUE(e.loop);
    EXPECT_EQ(e.offsetX, 3.0f);
    EXPECT_EQ(e.offsetY, -4.0f);
    EXPECT_FALSE(e.interpolation);
    EXPECT_EQ(e.updateTime, 20.0f);
    EXPECT_EQ(e.maxLife, 1.0f);
    ASSERT_EQ(e.types.size(), 2u);
    const TypeDef& s = e.types[0];
    EXPECT_EQ(s.texture, f.textures[0]); // names compare without regard to case
    EXPECT_TRUE(s.additive);
    EXPECT_EQ(s.rate, 40.0f);
    EXPECT_EQ(s.burst, 3);
    EXPECT_EQ(s.max, 100);
    EXPECT_EQ(s.area, Area::Box);
    EXPECT_EQ(s.areaWidth, 20.0f);
    EXPECT_EQ(s.areaHeight, 10.0f);
    EXPECT_EQ(s.lifeMin, 0.5f);
    EXPECT_EQ(s.lifeMax, 1.0f);
    EXPECT_EQ(s.speedMin, 5.0f);
    EXPECT_EQ(s.speedMax, 5.0f);
    EXPECT_EQ(s.direction, 45.0f);
    EXPECT_EQ(s.spread, 90.0f);
    EXPECT_EQ(s.gravityX, 0.0f);
    EXPECT_EQ(s.gravityY, 30.0f);
    EXPECT_EQ(s.drag, 0.5f);
    EXPECT_EQ(s.wander, 2.0f);
    EXPECT_EQ(s.sizeStart, 12.0f);
    EXPECT_EQ(s.sizeEnd, 4.0f);
    EXPECT_EQ(s.sizeVariation, 0.2f);
    EXPECT_EQ(s.angleMax, 90.0f);
    EXPECT_EQ(s.spinMin, -10.0f);
    EXPECT_EQ(s.frameMode, FrameMode::Cycle);
    EXPECT_EQ(s.fps, 12.0f);
    ASSERT_EQ(s.colors.size(), 3u);
    EXPECT_EQ(s.colors[0].a, 0.0f);
    EXPECT_FLOAT_EQ(s.colors[1].a, 128 / 255.0f);
    EXPECT_FLOAT_EQ(s.colors[1].b, 192 / 255.0f);
    EXPECT_EQ(s.colors[2].a, 1.0f); // #RRGGBB is opaque
    EXPECT_EQ(s.colors[2].r, 1.0f);
    EXPECT_EQ(s.colors[2].g, 0.0f);

    const TypeDef& glow = e.types[1];
    EXPECT_EQ(glow.name, "soft glow");
    EXPECT_EQ(glow.texture, nullptr);
    EXPECT_EQ(glow.area, Area::Ring);
    ASSERT_EQ(glow.colors.size(), 1u); // opaque white by default
    EXPECT_EQ(glow.colors[0].a, 1.0f);

    const Folder& deeper = *glints.entries[1].folder;
    EXPECT_EQ(deeper.parent, &glints);
    EXPECT_EQ(deeper.entries[0].emitter->name, "Two Words");
    EXPECT_EQ(f.root.entries[1].emitter->name, "Top");
}

struct BadCase {
    const char* body; // after the header line
    int line;         // of the body, from 1
    int column;
    const char* message;
};

TEST(PtcReader, RefusesDamagedFilesWithThePlaceOfTheFault)
{
    const std::string texture = "texture t\n shape = dot\nend\n";
    const BadCase cases[] = {
        {"emitter e\n particles p\n  rate = 4\n  speeed = 3\n end\nend\n", 4, 3,
         "\"speeed\" is not a particles setting"},
        {"emitter e\n particles p\n  rate = many\n end\nend\n", 3, 10, "\"many\" is not a number"},
        {"emitter e\n particles p\n  rate = -1\n end\nend\n", 3, 10, "is not a number from 0 to 100000"},
        {"emitter e\n particles p\n  rate = nan\n end\nend\n", 3, 10, "is not a number"},
        {"emitter e\n particles p\n  life = 2 1\n end\nend\n", 3, 10, "shortest life is longer"},
        {"emitter e\n particles p\n  life = 1 2 3\n end\nend\n", 3, 14, "one or two values"},
        {"emitter e\n particles p\n  rate = 1\n  rate = 2\n end\nend\n", 4, 3, "set twice"},
        {"emitter e\n particles p\n  texture = none\n end\nend\n", 3, 13, "no texture named \"none\""},
        {"emitter e\n particles p\n  colour = #12345\n end\nend\n", 3, 12, "is not a colour"},
        {"emitter e\n particles p\n  colour = 0.5 #FFFFFF 0.2 #000000\n end\nend\n", 3, 24, "go forward"},
        {"emitter e\n particles p\n  frame = 64\n end\nend\n", 3, 11, "whole number from 0 to 63"},
        {"emitter e\n particles p\n  area = blob 3\n end\nend\n", 3, 10, "is not an area"},
        {"emitter e\n particles p\n  rate = \n end\nend\n", 3, 8, "has no value"},
        {"emitter e\n particles p\n  rate = 1 = 2\n end\nend\n", 3, 12, "a second \"=\""},
        {"emitter e\n duration = 0\n particles p\n end\nend\n", 2, 13, "from 0.01 to 86400"},
        {"emitter e\nend\n", 2, 1, "has no particles block"},
        {"emitter e\n particles p\n end\n", 4, 1, "the emitter opened at line 5 has no \"end\""},
        {"end\n", 1, 1, "\"end\" without a block"},
        {"rate = 3\n", 1, 1, "settings belong inside"},
        {"particles p\nend\n", 1, 1, "belongs inside an emitter"},
        {"emitter e\n texture u\n end\nend\n", 2, 2, "textures are declared at the top"},
        {"emitter e\n emitter f\n end\nend\n", 2, 2, "cannot stand inside a emitter"},
        {"emitter e\n particles p\n end\nend\nemitter E\n", 5, 9, "a second entry named \"E\""},
        {"emitter \"open\n", 1, 9, "without its closing quote"},
        {"emitter a/b\n", 1, 9, "holds a path separator"},
        {"emitter\n", 1, 1, "takes one name"},
        {"flame x\n", 1, 1, "neither a block nor a setting"},
        {"texture u\n shape = dot\n image = a.png\nend\n", 4, 1, "either a shape or an image"},
        {"texture u\n shape = cube\nend\n", 2, 10, "is not a shape"},
        {"texture u\n size = 300\n shape = dot\nend\n", 2, 9, "whole number from 1 to 256"},
        {"texture u\nend\n", 2, 1, "either a shape or an image"},
        {"emitter e\n particles p\n  rate = 1\0\n end\nend\n", 3, 11, "a zero byte"},
    };
    for (const BadCase& c : cases) {
        // The zero byte case holds a zero inside the literal.
        const std::string body = std::strcmp(c.message, "a zero byte") == 0
                                     ? std::string("emitter e\n particles p\n  rate = 1\0\n end\nend\n", 41)
                                     : std::string(c.body);
        FileData f;
        ReadNote error;
        EXPECT_FALSE(Read(Ptc(texture + body), f, error)) << c.body;
        EXPECT_EQ(error.line, c.line + 4) << c.body; // after the header and the texture
        EXPECT_EQ(error.column, c.column) << c.body;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << c.body << " -> " << error.message;
        EXPECT_TRUE(f.root.entries.empty());
    }
}

TEST(PtcReader, RefusesWhatIsNotAParticleFile)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "must begin with the line \"ptc 1\""},
        {"# only a comment\n", "must begin with the line \"ptc 1\""},
        {"emitter e\n", "must begin with the line \"ptc 1\""},
        {"ptc 2\n", "format version 2 is not known"},
        {"\x89PNG\r\n\x1a\n", "must begin"},
    };
    for (auto [text, message] : cases) {
        FileData f;
        ReadNote error;
        EXPECT_FALSE(Read(text, f, error)) << text;
        EXPECT_NE(error.message.find(message), std::string::npos) << error.message;
    }
}

TEST(PtcReader, LimitsKeepAHostileFileSmall)
{
    FileData f;
    ReadNote error;
    EXPECT_FALSE(Read(Ptc(std::string(kMaxLineBytes + 1, ' ')), f, error));
    EXPECT_NE(error.message.find("a line longer than"), std::string::npos);

    std::string deep;
    for (int i = 0; i <= kMaxFolderDepth; ++i)
        deep += "folder f\n";
    EXPECT_FALSE(Read(Ptc(deep), f, error));
    EXPECT_NE(error.message.find("nested more than"), std::string::npos);

    std::string big;
    for (int i = 0; i < 140; ++i)
        big += "texture t" + std::to_string(i) + "\n shape = glow\n size = 256\n frames = 64\nend\n";
    EXPECT_FALSE(Read(Ptc(big), f, error));
    EXPECT_NE(error.message.find("too large"), std::string::npos);
}

// An image texture: frames cut from the picture's grid; a missing picture
// leaves the type without frames and the file readable.
TEST(PtcReader, ImageTexturesAreCutIntoFrames)
{
    Testing::ParticleFolder folder;
    Testing::PngSpec png;
    png.width = 6;
    png.height = 4;
    png.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const uint8_t px[4] = {uint8_t(x * 10), uint8_t(y * 10), 7, 255};
            png.rows.insert(png.rows.end(), px, px + 4);
        }
    folder.Dir().WriteFile("res/grid.png", Testing::EncodePng(png));
    FileData f;
    ReadNote error;
    std::vector<ReadNote> notes;
    const std::string text = Ptc("texture g\n image = res\\GRID.png\n grid = 3 2\n frames = 5\nend\n"
                                 "texture missing\n image = res\\none.png\nend\n");
    ASSERT_TRUE(ReadPtcText(text, f, error, notes)) << error.message;
    ASSERT_EQ(f.textures.size(), 2u);
    const TextureDef& g = *f.textures[0];
    EXPECT_EQ(g.frameWidth, 2);
    EXPECT_EQ(g.frameHeight, 2);
    EXPECT_EQ(g.textureWidth, 6);
    ASSERT_EQ(g.frames.size(), 5u);
    // Frame 4: column 1, row 1: its first pixel is the picture's (2, 2).
    const Frame& four = g.frames[4];
    EXPECT_EQ(int(6.0f * four.left), 2);
    EXPECT_EQ(int(4.0f * four.top), 2);
    uint32_t first;
    std::memcpy(&first, four.data.data() + PtcTexture::kHeaderSize, 4);
    EXPECT_EQ(first, 0xFF141407u);
    EXPECT_TRUE(f.textures[1]->frames.empty());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].line, 8);
    EXPECT_EQ(notes[0].column, 10);
    EXPECT_NE(notes[0].message.find("res\\none.png cannot be read"), std::string::npos);
}

TEST(PtcReader, ShapesAreSoftWhitePictures)
{
    for (const char* shape : {"glow", "dot", "star", "ring", "puff", "leaf"}) {
        ASSERT_TRUE(IsShapeName(shape));
        std::vector<uint32_t> px(32 * 32);
        MakeShapeFrame(shape, 32, 32, 1, 4, px.data());
        int opaque = 0, clear = 0;
        for (uint32_t p : px) {
            opaque += (p >> 24) > 128;
            clear += (p >> 24) == 0;
        }
        EXPECT_GT(opaque, 0) << shape;
        EXPECT_GT(clear, 0) << shape;        // soft edges into nothing
        EXPECT_EQ(px[0] >> 24, 0u) << shape; // a clear corner
    }
    EXPECT_FALSE(IsShapeName("cube"));
}

} // namespace PtcReaderTest
} // namespace Quib

namespace Quib {
namespace PtcReaderTest {

std::string SourceFile(const std::string& relative)
{
    return Testing::TempDir::ReadFile(std::string(QUIB_TEST_DATA) + "/../../" + relative);
}

const Ptc::EmitterDef* FindEmitter(const Ptc::Folder& folder, std::string_view name)
{
    for (const Ptc::Entry& e : folder.entries) {
        if (e.emitter && e.emitter->name == name)
            return e.emitter.get();
        if (e.folder)
            if (const Ptc::EmitterDef* found = FindEmitter(*e.folder, name))
                return found;
    }
    return nullptr;
}

// The game's emitters and the example of the format's description read as
// they stand.
TEST(PtcReader, TheGameEmittersAndTheDocumentedExampleRead)
{
    const std::string game = SourceFile("data-src/particles/effects.ptc");
    ASSERT_FALSE(game.empty());
    FileData f;
    ReadNote error;
    ASSERT_TRUE(Read(game, f, error)) << error.line << ":" << error.column << " " << error.message;
    for (const char* name : {"Sparkles", "Smoke", "Dust", "Fireflies", "Leaves"})
        EXPECT_NE(FindEmitter(f.root, name), nullptr) << name;

    const std::string doc = SourceFile("docs/particle-format.md");
    const size_t at = doc.find("## Example");
    ASSERT_NE(at, std::string::npos);
    const size_t begin = doc.find("```\n", at) + 4;
    const size_t end = doc.find("```", begin);
    ASSERT_TRUE(Read(doc.substr(begin, end - begin), f, error))
        << error.line << ":" << error.column << " " << error.message;
    EXPECT_NE(FindEmitter(f.root, "Fireflies"), nullptr);
}

} // namespace PtcReaderTest
} // namespace Quib
