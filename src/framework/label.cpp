// label.cpp — see label.h.
#include "framework/label.h"

#include <algorithm>

#include "framework/color_stack.h"
#include "graphics/graphics_context.h"

namespace {

int WidthOf(const c_Font* font, StringView text) { return font ? font->TextWidth(text) : 0; }
float LineHeightOf(const c_Font* font) { return font ? static_cast<float>(font->LineHeight()) : 0.0f; }

}  // namespace

c_Label::c_Label(Ref<c_Font> labelFont, float fontScaleValue)
    : fontScale(fontScaleValue, fontScaleValue), scale2(fontScale), font(std::move(labelFont)) {
    // Room for the texts labels show in play (bubbles, signs), made now.
    constexpr int kRoomyLines = 6, kLineRoom = 64;
    lines.reserve(kRoomyLines);
    lineWidths.reserve(kRoomyLines);
    spareLines_.reserve(2 * kRoomyLines);
    spareLines_.resize(kRoomyLines);
    for (String& line : spareLines_) line.reserve(kLineRoom);
    text.reserve(2 * kLineRoom);
    Refresh();
}

void c_Label::SetText(StringView newText) {
    text.assign(newText);
    Refresh();
}

void c_Label::AddLine(StringView prefix, StringView piece) {
    String line;
    if (!spareLines_.empty()) {
        line = std::move(spareLines_.back());
        spareLines_.pop_back();
    }
    line.assign(prefix);
    line.append(piece);
    lines.push_back(std::move(line));
}

bool c_Label::SetFloat(StringView propertyName, float value) {
    if (propertyName == u"fontscale.x")
        fontScale.Set(value, scale2.y);
    else if (propertyName == u"fontscale.y")
        fontScale.Set(scale2.x, value);
    else if (propertyName == u"fontscale")
        fontScale.Set(value, value);
    // Each side leaves the other as it was: fixing the unset side to the
    // current text would cut off the lines a narrower box wraps into.
    else if (propertyName == u"width")
        box.x = value;
    else if (propertyName == u"height")
        box.y = value;
    else
        return c_GDO::SetFloat(propertyName, value);
    Refresh();
    return true;
}

void c_Label::Refresh() {
    for (String& line : lines) spareLines_.push_back(std::move(line));
    lines.clear();
    scale2 = fontScale;
    const float lineHeight = LineHeightOf(font.get());

    if (layoutMode == kShrink) {
        const float width = static_cast<float>(WidthOf(font.get(), text));
        if (box.x > 0 && box.x < width * scale2.x) scale2.x = box.x / width;
        if (box.y > 0 && box.y < lineHeight * scale2.y) scale2.y = box.y / lineHeight;
        if (uniformScale) scale2.x = scale2.y = std::min(scale2.x, scale2.y);
        AddLine({}, text);
    } else {
        if (uniformScale) scale2.x = scale2.y = std::min(scale2.x, scale2.y);
        if (layoutMode == kCut)
            Cut();
        else
            Wrap();
    }

    lineWidths.clear();
    textSize.Set(0, 0);
    const float lh = scale2.y * lineHeight;
    textSize.y = std::max(0.0f, lh + lh * static_cast<float>(static_cast<int>(lines.size()) - 1) * lineSpacing);
    for (const String& line : lines) {
        const float w = scale2.x * static_cast<float>(WidthOf(font.get(), line));
        lineWidths.push_back(TruncToInt(w));
        if (w > textSize.x) textSize.x = w;
    }
}

// The longest prefix that fits the box width (at least one character), or
// the whole text when it fits or there is no box width.
void c_Label::Cut() {
    if (box.x <= 0 || static_cast<float>(WidthOf(font.get(), text)) * scale2.x <= box.x) {
        AddLine({}, text);
        return;
    }
    std::size_t keep = 1;
    for (std::size_t length = 2; length < text.size(); ++length) {
        if (static_cast<float>(WidthOf(font.get(), StringView(text).substr(0, length))) * scale2.x > box.x) break;
        keep = length;
    }
    AddLine({}, StringView(text).substr(0, keep));
}

void c_Label::Wrap() {
    const StringView all(text);
    const std::size_t n = all.size();
    std::size_t lineStart = 0;
    std::size_t breakPoint = 0;
    String linePrefix;  // the colour in force where the line starts
    String colourCode;  // the last colour code passed
    std::size_t i = 0;
    while (i < n) {
        const char16_t c = all[i];
        if (!wordWrap || c == u' ') breakPoint = i;
        if (c == kColorCode) {
            colourCode.assign(all.substr(i, 4));
            i += 4;
            continue;
        }
        if (c == u'\n' || c == u'\r') {
            AddLine(linePrefix, all.substr(lineStart, i - lineStart));
            linePrefix = colourCode;
            lineStart = i + 1;
        } else if (box.x > 0 &&
                   static_cast<float>(WidthOf(font.get(), all.substr(lineStart, i - lineStart + 1))) * scale2.x >
                       box.x) {
            // Break at the last break point of this line; a line without one
            // (a word wider than the box) breaks before the character that
            // overflows, and a single character always stays on its line.
            std::size_t at = breakPoint > lineStart ? breakPoint : i;
            if (at > lineStart) {
                AddLine(linePrefix, all.substr(lineStart, at - lineStart));
                linePrefix = colourCode;
                lineStart = all[at] == u' ' ? at + 1 : at;
            }
        }
        ++i;
    }
    if (lineStart < n) AddLine(linePrefix, all.substr(lineStart));
}

void c_Label::DrawLines() {
    if (!font) return;
    const float lh = scale2.y * LineHeightOf(font.get());
    const float hw = GetWidth() * 0.5f;
    float top;
    if (box.y > 0 && vAlign == 1)
        top = std::min(box.y / 2, textSize.y - box.y / 2);
    else if (box.y > 0 && vAlign == 0)
        top = std::min(box.y / 2, textSize.y / 2);
    else
        top = GetHeight() * 0.5f;

    const std::size_t count = lines.size();
    float running = 0;
    for (std::size_t i = 0; i < count; ++i) {
        running += i + 1 < count ? lh * lineSpacing : lh;
        if (box.y > 0 && running > box.y) break;
        const float width = static_cast<float>(lineWidths[i]);
        float x;
        if (hAlign == -1)
            x = -hw;
        else if (hAlign == 1)
            x = hw - width;
        else
            x = -width / 2;
        const float y = static_cast<float>(i) * lh * lineSpacing - top;
        font->DrawText(lines[i], static_cast<float>(TruncToInt(x)), static_cast<float>(TruncToInt(y)), false, scale2.x,
                       scale2.y);
    }
}

void c_Label::Draw() { DrawLines(); }

void c_LabelWithShadow::Draw() {
    PushMatrix();
    colorstack::PushColor();
    Translate(shadowOffset.x, shadowOffset.y);
    colorstack::SetColor(shadowColor.r, shadowColor.g, shadowColor.b);
    DrawLines();
    PopMatrix();
    colorstack::PopColor();
    DrawLines();
}

void c_BlinkingLabel::Update(int elapsedMs) {
    c_GDO::Update(elapsedMs);
    blinkTimer += elapsedMs;
    visible = !blinking || blinkTimer <= blinkPeriod / 2;
    if (blinkTimer >= blinkPeriod) blinkTimer = 0;
}
