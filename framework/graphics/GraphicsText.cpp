// Graphics: text in the current font, with colour codes and word wrap.

#include "framework/files/StringUtils.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/LineSteppers.h"

#include <algorithm>
#include <string>

namespace Quib {

namespace {

uint32_t PackColor(const Color& c)
{
    return (uint32_t(c.alpha & 255) << 24) | (uint32_t(c.red & 255) << 16) | (uint32_t(c.green & 255) << 8) |
           uint32_t(c.blue & 255);
}

} // namespace

void Graphics::DrawText(std::u16string_view text, int x, int y)
{
    if (!font)
        return;
    font->RenderText(*this, x, y, text, color, clipRect, 1.0f, 1.0f, 0.0f, FONT_ALIGN_LEFT, FONT_VALIGN_BASELINE);
}

int Graphics::TextWidth(std::u16string_view text)
{
    return font ? font->WidthOfText(text, 1.0f, 1.0f, 0.0f) : 0;
}

int Graphics::DrawTextInWidth(std::u16string_view text, int x, int y, int width, int justification, bool draw,
                              int first, int count, int32_t oldColor)
{
    if (!font)
        return 0;
    if (oldColor == -1)
        oldColor = int32_t(PackColor(color));
    const int length = int(text.size());
    first = std::clamp(first, 0, length);
    const int end = count < 0 || count > length - first ? length : first + count;

    if (draw && (justification == 0 || justification == 1)) {
        const int measured = DrawTextInWidth(text, x, y, width, -1, false, first, count, oldColor);
        x += justification == 0 ? (width - measured) / 2 : width - measured;
    }

    // The pending segment is a view of the text; it is copied only once a
    // doubled caret makes it differ from the text.
    size_t segmentStart = size_t(first);
    std::u16string joined;
    bool isJoined = false;
    int offset = 0;
    auto flush = [&](int at) {
        const std::u16string_view segment =
            isJoined ? std::u16string_view(joined) : text.substr(segmentStart, size_t(at) - segmentStart);
        if (draw && !segment.empty())
            DrawText(segment, x + offset, y);
        offset += font->WidthOfText(segment, 1.0f, 1.0f, 0.0f);
        isJoined = false;
        joined.clear();
    };
    int i = first;
    while (i < end) {
        const char16_t c = text[size_t(i)];
        if (c != u'^' || !colorCodes) {
            if (isJoined)
                joined += c;
            ++i;
            continue;
        }
        if (i + 1 < end && text[size_t(i) + 1] == u'^') {
            if (isJoined)
                joined += u'^';
            else
                joined.assign(text.substr(segmentStart, size_t(i) + 1 - segmentStart));
            isJoined = true;
            i += 2;
            continue;
        }
        if (end - i < 8)
            break; // a code cut short ends the text
        flush(i);
        if (draw) {
            const std::u16string_view code = text.substr(size_t(i) + 1, 6);
            if (code == u"oldclr") {
                color = Color(uint32_t(oldColor));
            } else if (code[0] == u'o') {
                color = Color(0u);
            } else {
                color.red = int(HexDigitValue(code[0]) * 16 + HexDigitValue(code[1]));
                color.green = int(HexDigitValue(code[2]) * 16 + HexDigitValue(code[3]));
                color.blue = int(HexDigitValue(code[4]) * 16 + HexDigitValue(code[5]));
            }
        }
        i += 8;
        segmentStart = size_t(i);
    }
    flush(i);
    return offset;
}

int Graphics::DrawWrappedText(std::u16string_view text, const Rect& r, int lineSpacing, int justification,
                              int* widestOut)
{
    if (!font) {
        if (widestOut)
            *widestOut = 0;
        return 0;
    }
    const Color remembered = color;
    uint32_t packed = PackColor(color);
    if ((packed >> 24) == 255)
        packed &= 0x00FFFFFF; // opaque white would read as -1, the current colour
    const int32_t old = int32_t(packed);

    const int W = r.width;
    int y = font->Ascent() - font->ExtraLineGap();
    const int L = lineSpacing == -1 ? font->LineAdvance() : lineSpacing;
    const int length = int(text.size());

    // Lines whose baseline is outside the clip are measured, not drawn.
    auto drawLine = [&](int from, int to, bool visible) {
        return DrawTextInWidth(text, r.x, r.y + y, W, justification, visible, from, to - from, old);
    };

    int i = 0, lineStart = 0, lastBreak = -1, widest = 0;
    int64_t lineWidth = 0; // W + 1 and long lines stay in range
    char16_t previous = 0, lastLooked = 0;
    while (i < length) {
        const char16_t c = text[size_t(i)];
        lastLooked = c;
        if (c == u'^' && colorCodes && i + 1 < length) {
            if (text[size_t(i) + 1] != u'^') {
                i += 8; // a colour code takes no width
                continue;
            }
            ++i; // one caret is measured
        } else if (c == u' ') {
            lastBreak = i;
        } else if (c == u'\n') {
            lastBreak = i;
            lineWidth = int64_t(W) + 1; // ends the line here
        }
        lineWidth += font->WidthOfCharAfter(c, previous);
        previous = c;
        if (lineWidth <= W) {
            ++i;
            continue;
        }
        lineWidth = 0;
        int drawn;
        if (lastBreak == -1) {
            if (i == lineStart)
                ++i; // a line holds at least one character
            drawn = drawLine(lineStart, i, true);
        } else {
            const int baseline = TruncToInt(transY + float(r.y + y));
            const bool visible = clipRect.y <= baseline && int64_t(baseline) < int64_t(clipRect.y) + clipRect.height + L;
            drawn = drawLine(lineStart, lastBreak, visible);
            i = lastBreak + 1;
            if (c != u'\n')
                while (i < length && text[size_t(i)] == u' ')
                    ++i;
        }
        widest = std::max(widest, drawn);
        previous = 0;
        y += L;
        lineStart = i;
        lastBreak = -1;
    }
    if (lineStart < length) {
        widest = std::max(widest, drawLine(lineStart, length, true));
        y += L;
    } else if (lastLooked == u'\n') {
        y += L; // a trailing newline adds an empty line
    }
    color = remembered;
    if (widestOut)
        *widestOut = widest;
    return font->Descent() + y - L;
}

int Graphics::MeasureWrappedText(int width, std::u16string_view text, int lineSpacing, int* widest)
{
    Graphics measuring(nullptr);
    measuring.font = font;
    return measuring.DrawWrappedText(text, Rect(0, 0, width, 0), lineSpacing, -1, widest);
}

} // namespace Quib
