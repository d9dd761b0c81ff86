#include "framework/graphics/BMFont.h"
#include "framework/files/StringUtils.h"

namespace Quib {

namespace {

// More pages than any font has: a larger count marks a damaged file.
constexpr int32_t kMaxPages = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\0'; }

class Pairs {
public:
    explicit Pairs(const std::map<std::string, std::string>& pairs) : mPairs(pairs) {}

    const std::string& Text(const char* key) const
    {
        static const std::string kEmpty;
        auto it = mPairs.find(key);
        return it == mPairs.end() ? kEmpty : it->second;
    }
    int32_t Int(const char* key) const { return StringToIntAtoi(Text(key)); }
    bool Bool(const char* key) const { return StringToBool(Text(key)); }

private:
    const std::map<std::string, std::string>& mPairs;
};

} // namespace

std::string BMFontData::GetPageFile(int32_t i) const
{
    if (i < 0 || size_t(i) >= pages.size())
        return {};
    return pages[size_t(i)];
}

std::string BMFont::SplitKeyValues(const char* line, std::map<std::string, std::string>& pairs)
{
    enum { Start, Kind, Between, Key, Value, Quoted } state = Start;
    std::string kind, key, value;
    for (const char* p = line;; ++p) {
        char c = *p;
        switch (state) {
        case Start:
            if (!IsBlank(c)) {
                kind += c;
                state = Kind;
            }
            break;
        case Kind:
            if (IsBlank(c))
                state = Between;
            else
                kind += c;
            break;
        case Between:
            if (!IsBlank(c)) {
                key.clear();
                value.clear();
                if (c == '=') {
                    state = Value;
                } else {
                    key += c;
                    state = Key;
                }
            }
            break;
        case Key:
            if (c == '=')
                state = Value;
            else if (c != '\0')
                key += c;
            break;
        case Value:
            if (IsBlank(c)) {
                pairs.emplace(key, value);
                state = Between;
            } else if (c == '"') {
                state = Quoted;
            } else {
                value += c;
            }
            break;
        case Quoted:
            if (c == '"') {
                pairs.emplace(key, value);
                state = Between;
            } else if (c != '\0') {
                value += c;
            }
            break;
        }
        if (c == '\0')
            return kind;
    }
}

namespace {

// Lines of a kind read against the count its header line declares.
struct Declared {
    int64_t declared = -1; // no header line
    int64_t read = 0;
    void Tell(const char* what, std::string& out) const
    {
        if (declared <= read)
            return;
        if (!out.empty())
            out += ", ";
        out += std::to_string(declared) + " " + what + " declared, " + std::to_string(read) + " read";
    }
};

} // namespace

bool BMFont::ParseDescriptor(BMFontData* data, PakFile* file, std::string* shortfall)
{
    std::string line;
    Declared chars, kernings;
    auto finish = [&](bool result) {
        if (shortfall) {
            shortfall->clear();
            chars.Tell("characters", *shortfall);
            kernings.Tell("kerning pairs", *shortfall);
        }
        return result;
    };
    for (;;) {
        if (!PakReadLine(file, line) || line.empty())
            return finish(true);
        std::map<std::string, std::string> map;
        std::string kind = SplitKeyValues(line.c_str(), map);
        Pairs pairs(map);
        if (kind == "info") {
            data->face = pairs.Text("face");
            data->size = pairs.Int("size");
            data->bold = pairs.Bool("bold");
            data->italic = pairs.Bool("italic");
            data->charset = pairs.Text("charset");
            data->unicode = pairs.Bool("unicode");
            data->stretchH = pairs.Int("stretchH");
            data->smooth = pairs.Bool("smooth");
            data->aa = pairs.Int("aa");
            ParseIntQuad(pairs.Text("padding"), data->padding[0], data->padding[1], data->padding[2],
                         data->padding[3]);
            ParseIntPair(pairs.Text("spacing"), data->spacing[0], data->spacing[1]);
        } else if (kind == "common") {
            data->lineHeight = pairs.Int("lineHeight");
            data->base = pairs.Int("base");
            data->scaleW = pairs.Int("scaleW");
            data->scaleH = pairs.Int("scaleH");
            data->packed = pairs.Int("packed");
            int32_t count = pairs.Int("pages");
            if (count > kMaxPages)
                return finish(false);
            data->pages.resize(size_t(count < 0 ? 0 : count));
        } else if (kind == "page") {
            // A page the common line did not announce has no place.
            int32_t id = pairs.Int("id");
            if (id >= 0 && size_t(id) < data->pages.size())
                data->pages[size_t(id)] = pairs.Text("file");
        } else if (kind == "chars") {
            chars.declared = pairs.Int("count");
        } else if (kind == "kernings") {
            kernings.declared = pairs.Int("count");
        } else if (kind == "char") {
            ++chars.read;
            BMFontGlyph& glyph = data->glyphs[pairs.Int("id")];
            glyph.x = pairs.Int("x");
            glyph.y = pairs.Int("y");
            glyph.width = pairs.Int("width");
            glyph.height = pairs.Int("height");
            glyph.xoffset = pairs.Int("xoffset");
            glyph.yoffset = pairs.Int("yoffset");
            glyph.xadvance = pairs.Int("xadvance");
            glyph.page = pairs.Int("page");
            glyph.chnl = pairs.Int("chnl");
        } else if (kind == "kerning") {
            ++kernings.read;
            // Kerning for a character without a glyph has no place.
            auto glyph = data->glyphs.find(pairs.Int("second"));
            if (glyph != data->glyphs.end())
                glyph->second.kerning.emplace(pairs.Int("first"), pairs.Int("amount"));
        } else {
            return finish(false);
        }
    }
}

} // namespace Quib
