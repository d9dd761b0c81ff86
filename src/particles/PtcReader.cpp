// The .ptc text reader (docs/particle-format.md).
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/ImageLib.h"
#include "src/particles/PtcLibrary.h"
#include "src/particles/PtcModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <set>

namespace Quib::Ptc {

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

namespace {

struct Token {
    std::string text;
    int column = 0;
    bool quoted = false;
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// A square grid of power-of-two columns and rows big enough for n frames,
// so that the frames' fractions are exact.
void GridFor(int n, int& cols, int& rows)
{
    cols = 1;
    while (cols * cols < n)
        cols *= 2;
    rows = 1;
    while (cols * rows < n)
        rows *= 2;
}

// The frame's place as fractions; the edges sit a quarter and a half pixel
// inside so that truncating texture size x fraction gives back the pixel.
void PlaceFrame(Frame& f, int x, int y, int w, int h, int texW, int texH)
{
    f.left = (float(x) + 0.25f) / float(texW);
    f.top = (float(y) + 0.25f) / float(texH);
    f.right = (float(x + w) + 0.5f) / float(texW);
    f.bottom = (float(y + h) + 0.5f) / float(texH);
}

void FillFrameData(Frame& f, int w, int h, const uint32_t* pixels, size_t stride)
{
    f.data.assign(PtcTexture::kHeaderSize + size_t(w) * size_t(h) * 4, 0);
    std::memcpy(f.data.data(), "PTCF", 4);
    for (int i = 0; i < 4; ++i) {
        f.data[4 + i] = uint8_t(uint32_t(w) >> (8 * i));
        f.data[8 + i] = uint8_t(uint32_t(h) >> (8 * i));
    }
    uint8_t* out = f.data.data() + PtcTexture::kHeaderSize;
    for (int y = 0; y < h; ++y)
        std::memcpy(out + size_t(y) * size_t(w) * 4, pixels + size_t(y) * stride, size_t(w) * 4);
}

enum class Block { Folder, Emitter, Particles, Texture };

const char* BlockWord(Block b)
{
    switch (b) {
    case Block::Folder: return "folder";
    case Block::Emitter: return "emitter";
    case Block::Particles: return "particles";
    case Block::Texture: return "texture";
    }
    return "";
}

// What a texture block has said so far.
struct TexturePending {
    std::shared_ptr<TextureDef> def;
    std::string shape;
    std::string image;
    int imageLine = 0, imageColumn = 0;
    int width = 0, height = 0;
    int frames = 0;
    int cols = 0, rows = 0;
};

struct OpenBlock {
    Block kind;
    int line;
    std::set<std::string> keys; // settings given, to refuse a second one
};

class Reader {
public:
    Reader(FileData& out, ReadNote& error, std::vector<ReadNote>& notes) : mOut(out), mError(error), mNotes(notes)
    {
        mFolder = &mOut.root;
    }

    bool Run(std::string_view text);

private:
    bool Fail(int column, std::string message)
    {
        mError.line = mLine;
        mError.column = column;
        mError.message = std::move(message);
        return false;
    }
    bool Tokenize(std::string_view line, std::vector<Token>& out);
    bool Line(const std::vector<Token>& t);
    bool Open(const std::vector<Token>& t);
    bool Close(const Token& t);
    bool Setting(const std::vector<Token>& t);
    bool TextureSetting(const std::string& key, const std::vector<Token>& v, int keyColumn);
    bool EmitterSetting(const std::string& key, const std::vector<Token>& v, int keyColumn);
    bool TypeSetting(const std::string& key, const std::vector<Token>& v, int keyColumn);
    bool FinishTexture();
    bool FinishEmitter();
    bool CheckName(const Token& t);

    bool Number(const Token& t, float lo, float hi, float& out);
    bool Integer(const Token& t, int lo, int hi, int& out);
    bool Bool(const Token& t, bool& out);
    bool Colour(const Token& t, ColorKey& out);
    // One or two numbers: a range, or a value for both ends.
    bool Range(const std::vector<Token>& v, int keyColumn, float lo, float hi, float& a, float& b);
    bool Count(const std::vector<Token>& v, int keyColumn, size_t n);

    FileData& mOut;
    ReadNote& mError;
    std::vector<ReadNote>& mNotes;
    int mLine = 0;
    bool mHeader = false;
    std::vector<OpenBlock> mBlocks;
    Folder* mFolder;
    std::shared_ptr<EmitterDef> mEmitter;
    TypeDef* mType = nullptr;
    TexturePending mTexture;
    int mEntries = 0;
    int64_t mTexturePixels = 0;
};

bool Reader::Tokenize(std::string_view line, std::vector<Token>& out)
{
    out.clear();
    if (const size_t zero = line.find('\0'); zero != std::string_view::npos)
        return Fail(int(zero) + 1, "a zero byte in the text");
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        // A comment: '#' followed by a blank or the end of the line (a
        // colour is '#' followed by its digits).
        if (c == '#' && (i + 1 == line.size() || std::strchr(" \t\r#", line[i + 1])))
            break;
        Token t;
        t.column = int(i) + 1;
        if (c == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos)
                return Fail(t.column, "quoted text without its closing quote");
            t.text = line.substr(i + 1, end - i - 1);
            t.quoted = true;
            i = end + 1;
        } else if (c == '=') {
            t.text = "=";
            ++i;
        } else {
            const size_t start = i;
            while (i < line.size() && !std::strchr(" \t\r=\"", line[i]))
                ++i;
            t.text = line.substr(start, i - start);
        }
        out.push_back(std::move(t));
    }
    return true;
}

bool Reader::Run(std::string_view text)
{
    if (text.size() > kMaxFileBytes)
        return Fail(0, StrFormat("the file is larger than %d bytes", int(kMaxFileBytes)));
    std::vector<Token> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        ++mLine;
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > kMaxLineBytes)
            return Fail(int(kMaxLineBytes), StrFormat("a line longer than %d bytes", int(kMaxLineBytes)));
        if (!Tokenize(line, tokens))
            return false;
        if (!tokens.empty() && !Line(tokens))
            return false;
    }
    ++mLine;
    if (!mHeader)
        return Fail(1, "not a particle file: it must begin with the line \"ptc 1\"");
    if (!mBlocks.empty()) {
        const OpenBlock& b = mBlocks.back();
        return Fail(1, StrFormat("the %s opened at line %d has no \"end\"", BlockWord(b.kind), b.line));
    }
    return true;
}

bool Reader::Line(const std::vector<Token>& t)
{
    if (!mHeader) {
        if (t.size() != 2 || t[0].quoted || t[0].text != "ptc")
            return Fail(t[0].column, "not a particle file: it must begin with the line \"ptc 1\"");
        if (t[1].text != "1")
            return Fail(t[1].column,
                        StrFormat("format version %s is not known (this reader knows 1)", t[1].text.c_str()));
        mHeader = true;
        return true;
    }
    if (t.size() >= 2 && t[1].text == "=" && !t[1].quoted)
        return Setting(t);
    const std::string word = t[0].quoted ? std::string() : Lower(t[0].text);
    if (word == "end") {
        if (t.size() != 1)
            return Fail(t[1].column, "\"end\" stands alone on its line");
        return Close(t[0]);
    }
    if (word == "folder" || word == "emitter" || word == "particles" || word == "texture")
        return Open(t);
    return Fail(t[0].column, StrFormat("\"%s\" is neither a block nor a setting (key = value)", t[0].text.c_str()));
}

bool Reader::CheckName(const Token& t)
{
    if (t.text.empty())
        return Fail(t.column, "an empty name");
    if (t.text.size() > kMaxNameBytes)
        return Fail(t.column, StrFormat("a name longer than %d bytes", int(kMaxNameBytes)));
    if (t.text.find_first_of("\\/") != std::string::npos || t.text == "." || t.text == "..")
        return Fail(t.column, StrFormat("the name \"%s\" holds a path separator", t.text.c_str()));
    return true;
}

bool Reader::Open(const std::vector<Token>& t)
{
    const std::string word = Lower(t[0].text);
    if (t.size() != 2)
        return Fail(t[0].column, StrFormat("\"%s\" takes one name", word.c_str()));
    if (!CheckName(t[1]))
        return false;
    const std::string& name = t[1].text;
    const Block inside = mBlocks.empty() ? Block::Folder : mBlocks.back().kind;
    const bool topOrFolder = mBlocks.empty() || inside == Block::Folder;
    const int column = t[0].column;

    if (word == "texture") {
        if (!mBlocks.empty())
            return Fail(column, "textures are declared at the top of the file, outside any block");
        if (int(mOut.textures.size()) >= kMaxTextures)
            return Fail(column, StrFormat("more than %d textures", kMaxTextures));
        for (const auto& tex : mOut.textures)
            if (SameName(tex->name, name))
                return Fail(t[1].column, StrFormat("a second texture named \"%s\"", name.c_str()));
        mTexture = TexturePending();
        mTexture.def = std::make_shared<TextureDef>();
        mTexture.def->name = name;
        mBlocks.push_back({Block::Texture, mLine, {}});
        return true;
    }
    if (word == "particles") {
        if (mBlocks.empty() || inside != Block::Emitter)
            return Fail(column, "a particles block belongs inside an emitter");
        if (int(mEmitter->types.size()) >= kMaxTypes)
            return Fail(column, StrFormat("more than %d particle types in one emitter", kMaxTypes));
        mEmitter->types.emplace_back();
        mType = &mEmitter->types.back();
        mType->name = name;
        mBlocks.push_back({Block::Particles, mLine, {}});
        return true;
    }
    // A folder or an emitter: an entry of the current folder.
    if (!topOrFolder)
        return Fail(column, StrFormat("a %s cannot stand inside a %s", word.c_str(), BlockWord(inside)));
    if (++mEntries > kMaxEntries)
        return Fail(column, StrFormat("more than %d folders and emitters", kMaxEntries));
    for (const Entry& e : mFolder->entries)
        if (SameName(e.Name(), name))
            return Fail(t[1].column, StrFormat("a second entry named \"%s\" in one folder", name.c_str()));
    if (word == "folder") {
        int depth = 0;
        for (const OpenBlock& b : mBlocks)
            depth += b.kind == Block::Folder;
        if (depth >= kMaxFolderDepth)
            return Fail(column, StrFormat("folders nested more than %d deep", kMaxFolderDepth));
        Entry e;
        e.folder = std::make_unique<Folder>();
        e.folder->name = name;
        e.folder->parent = mFolder;
        mFolder->entries.push_back(std::move(e));
        mFolder = mFolder->entries.back().folder.get();
        mBlocks.push_back({Block::Folder, mLine, {}});
        return true;
    }
    mEmitter = std::make_shared<EmitterDef>();
    mEmitter->name = name;
    mBlocks.push_back({Block::Emitter, mLine, {}});
    return true;
}

bool Reader::Close(const Token& t)
{
    if (mBlocks.empty())
        return Fail(t.column, "\"end\" without a block to end");
    const Block kind = mBlocks.back().kind;
    switch (kind) {
    case Block::Folder: mFolder = mFolder->parent; break;
    case Block::Texture:
        if (!FinishTexture())
            return false;
        break;
    case Block::Particles:
        if (mType->colors.empty())
            mType->colors.push_back(ColorKey());
        mType = nullptr;
        break;
    case Block::Emitter:
        if (!FinishEmitter())
            return false;
        break;
    }
    mBlocks.pop_back();
    return true;
}

bool Reader::FinishEmitter()
{
    if (mEmitter->types.empty())
        return Fail(1, StrFormat("the emitter \"%s\" has no particles block", mEmitter->name.c_str()));
    float maxLife = 0;
    for (const TypeDef& type : mEmitter->types)
        maxLife = std::max(maxLife, type.lifeMax);
    mEmitter->maxLife = maxLife;
    Entry e;
    e.emitter = std::move(mEmitter);
    mFolder->entries.push_back(std::move(e));
    return true;
}

bool Reader::FinishTexture()
{
    TexturePending& p = mTexture;
    TextureDef& def = *p.def;
    if (p.shape.empty() == p.image.empty())
        return Fail(1, StrFormat("the texture \"%s\" needs either a shape or an image", def.name.c_str()));
    if (!p.shape.empty()) {
        const int w = p.width ? p.width : 32, h = p.height ? p.height : w;
        const int n = p.frames ? p.frames : 1;
        if (p.cols)
            return Fail(1, "\"grid\" is for image textures");
        int cols, rows;
        GridFor(n, cols, rows);
        mTexturePixels += int64_t(w) * h * cols * rows;
        if (mTexturePixels > kMaxTexturePixels)
            return Fail(1, "the textures of the file are too large");
        def.frameWidth = w;
        def.frameHeight = h;
        def.textureWidth = cols * w;
        def.textureHeight = rows * h;
        def.frames.resize(size_t(n));
        std::vector<uint32_t> pixels(size_t(w) * size_t(h));
        for (int i = 0; i < n; ++i) {
            MakeShapeFrame(p.shape, w, h, i, n, pixels.data());
            FillFrameData(def.frames[size_t(i)], w, h, pixels.data(), size_t(w));
            PlaceFrame(def.frames[size_t(i)], (i % cols) * w, (i / cols) * h, w, h, def.textureWidth,
                       def.textureHeight);
        }
    } else {
        if (p.width)
            return Fail(1, "\"size\" is for shape textures; an image has its own size");
        const int cols = p.cols ? p.cols : 1, rows = p.rows ? p.rows : 1;
        if (p.frames > cols * rows)
            return Fail(1, StrFormat("%d frames do not fit a grid of %d by %d", p.frames, cols, rows));
        const int n = p.frames ? p.frames : cols * rows;
        std::unique_ptr<ImageLib::Image> picture = ImageLib::LoadImageFile(p.image, false);
        if (!picture || picture->width / cols < 1 || picture->height / rows < 1) {
            // The type draws nothing; the rest of the file is good.
            mNotes.push_back({p.imageLine, p.imageColumn,
                              picture ? StrFormat("the picture %s is too small for its grid", p.image.c_str())
                                      : StrFormat("the picture %s cannot be read", p.image.c_str())});
        } else {
            const int w = picture->width / cols, h = picture->height / rows;
            mTexturePixels += int64_t(picture->width) * picture->height;
            if (mTexturePixels > kMaxTexturePixels)
                return Fail(p.imageLine, "the textures of the file are too large");
            def.frameWidth = w;
            def.frameHeight = h;
            def.textureWidth = cols * w;
            def.textureHeight = rows * h;
            def.frames.resize(size_t(n));
            for (int i = 0; i < n; ++i) {
                const int x = (i % cols) * w, y = (i / cols) * h;
                FillFrameData(def.frames[size_t(i)], w, h,
                              picture->pixels + size_t(y) * size_t(picture->width) + size_t(x),
                              size_t(picture->width));
                PlaceFrame(def.frames[size_t(i)], x, y, w, h, def.textureWidth, def.textureHeight);
            }
        }
    }
    mOut.textures.push_back(std::move(p.def));
    return true;
}

bool Reader::Number(const Token& t, float lo, float hi, float& out)
{
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    if (first != last && *first == '+')
        ++first;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (t.quoted || ec != std::errc() || ptr != last || !std::isfinite(v) || v < lo || v > hi)
        return Fail(t.column,
                    StrFormat("\"%s\" is not a number from %g to %g", t.text.c_str(), double(lo), double(hi)));
    out = float(v);
    return true;
}

bool Reader::Integer(const Token& t, int lo, int hi, int& out)
{
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    int v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (t.quoted || ec != std::errc() || ptr != last || v < lo || v > hi)
        return Fail(t.column, StrFormat("\"%s\" is not a whole number from %d to %d", t.text.c_str(), lo, hi));
    out = v;
    return true;
}

bool Reader::Bool(const Token& t, bool& out)
{
    const std::string w = Lower(t.text);
    if (w == "on" || w == "yes" || w == "true" || w == "1")
        out = true;
    else if (w == "off" || w == "no" || w == "false" || w == "0")
        out = false;
    else
        return Fail(t.column, StrFormat("\"%s\" is not on or off", t.text.c_str()));
    return true;
}

bool Reader::Colour(const Token& t, ColorKey& out)
{
    const std::string& s = t.text;
    uint32_t v = 0;
    const bool hex = s.size() >= 2 && s[0] == '#' &&
                     std::from_chars(s.data() + 1, s.data() + s.size(), v, 16).ptr == s.data() + s.size();
    if (!hex || (s.size() != 7 && s.size() != 9))
        return Fail(t.column, StrFormat("\"%s\" is not a colour #RRGGBB or #AARRGGBB", s.c_str()));
    if (s.size() == 7)
        v |= 0xFF000000u;
    out.a = float(v >> 24) / 255.0f;
    out.r = float((v >> 16) & 255) / 255.0f;
    out.g = float((v >> 8) & 255) / 255.0f;
    out.b = float(v & 255) / 255.0f;
    return true;
}

bool Reader::Count(const std::vector<Token>& v, int keyColumn, size_t n)
{
    if (v.size() != n)
        return Fail(v.empty() ? keyColumn : v.front().column,
                    n == 1 ? std::string("one value expected") : StrFormat("%d values expected", int(n)));
    return true;
}

bool Reader::Range(const std::vector<Token>& v, int keyColumn, float lo, float hi, float& a, float& b)
{
    if (v.empty() || v.size() > 2)
        return Fail(v.empty() ? keyColumn : v[2].column, "one or two values expected");
    if (!Number(v[0], lo, hi, a))
        return false;
    b = a;
    return v.size() == 1 || Number(v[1], lo, hi, b);
}

bool Reader::Setting(const std::vector<Token>& t)
{
    if (mBlocks.empty() || mBlocks.back().kind == Block::Folder)
        return Fail(t[0].column, "settings belong inside a texture, emitter or particles block");
    const std::string key = Lower(t[0].text);
    const std::vector<Token> values(t.begin() + 2, t.end());
    if (values.empty())
        return Fail(t[1].column, StrFormat("\"%s\" has no value", key.c_str()));
    for (const Token& v : values)
        if (v.text == "=" && !v.quoted)
            return Fail(v.column, "a second \"=\"");
    const std::string canonical = key == "color" ? "colour" : key;
    if (!mBlocks.back().keys.insert(canonical).second)
        return Fail(t[0].column, StrFormat("\"%s\" is set twice in one block", key.c_str()));
    switch (mBlocks.back().kind) {
    case Block::Texture: return TextureSetting(key, values, t[0].column);
    case Block::Emitter: return EmitterSetting(key, values, t[0].column);
    case Block::Particles: return TypeSetting(key, values, t[0].column);
    case Block::Folder: break;
    }
    return false;
}

bool Reader::TextureSetting(const std::string& key, const std::vector<Token>& v, int keyColumn)
{
    TexturePending& p = mTexture;
    if (key == "shape") {
        if (!Count(v, keyColumn, 1))
            return false;
        if (!IsShapeName(Lower(v[0].text)))
            return Fail(v[0].column,
                        StrFormat("\"%s\" is not a shape (glow, dot, star, ring, puff, leaf)", v[0].text.c_str()));
        p.shape = Lower(v[0].text);
        return true;
    }
    if (key == "image") {
        if (!Count(v, keyColumn, 1))
            return false;
        if (v[0].text.empty() || v[0].text.size() > 259)
            return Fail(v[0].column, "a picture path of 1 to 259 bytes expected");
        p.image = v[0].text;
        p.imageLine = mLine;
        p.imageColumn = v[0].column;
        return true;
    }
    if (key == "size") {
        if (v.empty() || v.size() > 2)
            return Fail(v.empty() ? keyColumn : v[2].column, "one or two values expected");
        if (!Integer(v[0], 1, kMaxShapeSize, p.width))
            return false;
        p.height = p.width;
        return v.size() == 1 || Integer(v[1], 1, kMaxShapeSize, p.height);
    }
    if (key == "frames")
        return Count(v, keyColumn, 1) && Integer(v[0], 1, kMaxFrames, p.frames);
    if (key == "grid") {
        if (!Count(v, keyColumn, 2) || !Integer(v[0], 1, kMaxFrames, p.cols) ||
            !Integer(v[1], 1, kMaxFrames, p.rows))
            return false;
        if (p.cols * p.rows > kMaxFrames)
            return Fail(v[0].column, StrFormat("a grid of more than %d frames", kMaxFrames));
        return true;
    }
    if (key == "pivot")
        return Count(v, keyColumn, 2) && Number(v[0], -4096, 4096, p.def->pivotX) &&
               Number(v[1], -4096, 4096, p.def->pivotY);
    return Fail(keyColumn, StrFormat("\"%s\" is not a texture setting", key.c_str()));
}

bool Reader::EmitterSetting(const std::string& key, const std::vector<Token>& v, int keyColumn)
{
    EmitterDef& e = *mEmitter;
    if (key == "duration")
        return Count(v, keyColumn, 1) && Number(v[0], 0.01f, 86400, e.duration);
    if (key == "loop")
        return Count(v, keyColumn, 1) && Bool(v[0], e.loop);
    if (key == "offset")
        return Count(v, keyColumn, 2) && Number(v[0], -1e5f, 1e5f, e.offsetX) &&
               Number(v[1], -1e5f, 1e5f, e.offsetY);
    if (key == "interpolation")
        return Count(v, keyColumn, 1) && Bool(v[0], e.interpolation);
    if (key == "update_time")
        return Count(v, keyColumn, 1) && Number(v[0], 1, 1000, e.updateTime);
    return Fail(keyColumn, StrFormat("\"%s\" is not an emitter setting", key.c_str()));
}

bool Reader::TypeSetting(const std::string& key, const std::vector<Token>& v, int keyColumn)
{
    TypeDef& t = *mType;
    constexpr float kBig = 1e6f;
    if (key == "texture") {
        if (!Count(v, keyColumn, 1))
            return false;
        for (const auto& tex : mOut.textures)
            if (SameName(tex->name, v[0].text)) {
                t.texture = tex;
                return true;
            }
        return Fail(v[0].column, StrFormat("no texture named \"%s\" above this line", v[0].text.c_str()));
    }
    if (key == "additive")
        return Count(v, keyColumn, 1) && Bool(v[0], t.additive);
    if (key == "rate")
        return Count(v, keyColumn, 1) && Number(v[0], 0, 100000, t.rate);
    if (key == "burst")
        return Count(v, keyColumn, 1) && Integer(v[0], 0, kMaxParticles, t.burst);
    if (key == "max")
        return Count(v, keyColumn, 1) && Integer(v[0], 1, kMaxParticles, t.max);
    if (key == "area") {
        const std::string kind = Lower(v[0].text);
        if (kind == "point") {
            t.area = Area::Point;
            return Count(v, keyColumn, 1);
        }
        if (kind == "box") {
            t.area = Area::Box;
            return Count(v, keyColumn, 3) && Number(v[1], 0, 1e5f, t.areaWidth) &&
                   Number(v[2], 0, 1e5f, t.areaHeight);
        }
        if (kind == "line") {
            t.area = Area::Box;
            return Count(v, keyColumn, 2) && Number(v[1], 0, 1e5f, t.areaWidth);
        }
        if (kind == "circle" || kind == "ring") {
            t.area = kind == "circle" ? Area::Circle : Area::Ring;
            return Count(v, keyColumn, 2) && Number(v[1], 0, 1e5f, t.areaWidth);
        }
        return Fail(v[0].column,
                    StrFormat("\"%s\" is not an area (point, line, box, circle, ring)", v[0].text.c_str()));
    }
    if (key == "life") {
        if (!Range(v, keyColumn, 0, 3600, t.lifeMin, t.lifeMax))
            return false;
        return t.lifeMin <= t.lifeMax || Fail(v[0].column, "the shortest life is longer than the longest");
    }
    if (key == "speed")
        return Range(v, keyColumn, -1e5f, 1e5f, t.speedMin, t.speedMax);
    if (key == "direction")
        return Count(v, keyColumn, 1) && Number(v[0], -kBig, kBig, t.direction);
    if (key == "spread")
        return Count(v, keyColumn, 1) && Number(v[0], 0, 3600, t.spread);
    if (key == "gravity") {
        if (v.size() == 1) {
            t.gravityX = 0;
            return Number(v[0], -kBig, kBig, t.gravityY);
        }
        return Count(v, keyColumn, 2) && Number(v[0], -kBig, kBig, t.gravityX) &&
               Number(v[1], -kBig, kBig, t.gravityY);
    }
    if (key == "drag")
        return Count(v, keyColumn, 1) && Number(v[0], 0, 1000, t.drag);
    if (key == "wander")
        return Count(v, keyColumn, 1) && Number(v[0], 0, kBig, t.wander);
    if (key == "size")
        return Range(v, keyColumn, 0, 4096, t.sizeStart, t.sizeEnd);
    if (key == "size_variation")
        return Count(v, keyColumn, 1) && Number(v[0], 0, 1, t.sizeVariation);
    if (key == "angle")
        return Range(v, keyColumn, -kBig, kBig, t.angleMin, t.angleMax);
    if (key == "spin")
        return Range(v, keyColumn, -kBig, kBig, t.spinMin, t.spinMax);
    if (key == "frame") {
        const std::string mode = Lower(v[0].text);
        if (mode == "random") {
            t.frameMode = FrameMode::Random;
            return Count(v, keyColumn, 1);
        }
        if (mode == "life") {
            t.frameMode = FrameMode::Life;
            return Count(v, keyColumn, 1);
        }
        if (mode == "cycle") {
            t.frameMode = FrameMode::Cycle;
            return Count(v, keyColumn, 2) && Number(v[1], 0, 1000, t.fps);
        }
        t.frameMode = FrameMode::Fixed;
        return Count(v, keyColumn, 1) && Integer(v[0], 0, kMaxFrames - 1, t.frame);
    }
    if (key == "colour" || key == "color") {
        t.colors.clear();
        if (v.size() == 1) {
            ColorKey k;
            if (!Colour(v[0], k))
                return false;
            t.colors.push_back(k);
            return true;
        }
        if (v.size() % 2 != 0)
            return Fail(v.back().column, "pairs of a life fraction and a colour expected");
        if (int(v.size() / 2) > kMaxColorKeys)
            return Fail(v[2 * kMaxColorKeys].column, StrFormat("more than %d colour keys", kMaxColorKeys));
        for (size_t i = 0; i < v.size(); i += 2) {
            ColorKey k;
            if (!Number(v[i], 0, 1, k.at) || !Colour(v[i + 1], k))
                return false;
            if (!t.colors.empty() && k.at < t.colors.back().at)
                return Fail(v[i].column, "colour keys go forward in life");
            t.colors.push_back(k);
        }
        return true;
    }
    return Fail(keyColumn, StrFormat("\"%s\" is not a particles setting", key.c_str()));
}

} // namespace

bool ReadPtcText(std::string_view text, FileData& out, ReadNote& error, std::vector<ReadNote>& notes)
{
    out = FileData();
    Reader reader(out, error, notes);
    if (reader.Run(text))
        return true;
    out = FileData();
    return false;
}

} // namespace Quib::Ptc
