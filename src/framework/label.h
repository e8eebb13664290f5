// label.h — c_Label, a display object that lays a text out in lines inside
// an optional box and draws it aligned about its position; c_LabelWithShadow
// adds a drop shadow and c_BlinkingLabel blinks.
//
// Layout (Refresh) runs only when something changes: SetText, the named
// properties below, or an owner's explicit Refresh after changing `box`,
// `layoutMode`, `uniformScale`, `wordWrap` or `lineSpacing`. Drawing reuses
// the laid-out `lines` and `lineWidths`.
//
//   auto label = New<c_Label>(font, 0.5f);
//   label->box.Set(120, 0);            // wrap at 120 pixels
//   label->SetText(u"Some words");
//   parent->AddChild(label);
//
// Without a box the text block is centred on the label's position. With a
// box height, `vAlign` 0 centres the block in the box, 1 puts it at the
// bottom, anything else at the top; a block taller than the box starts at
// its top and the lines that do not fit are not drawn.
#pragma once

#include <vector>

#include "framework/font.h"
#include "framework/gdo.h"

class c_Label : public c_GDO {
public:
    enum LayoutMode : int {
        kWrap = 0,    // lines broken at spaces (or anywhere without wordWrap) to the box width
        kCut = 1,     // one line cut at the box width
        kShrink = 2,  // one line scaled down to fit the box
    };

    String text;
    std::vector<String> lines;
    // The requested glyph scale.
    c_Vector fontScale;
    // The scale actually used: fontScale unless shrunk to fit.
    c_Vector scale2;
    int layoutMode = kWrap;
    // Width and height of the layout box; 0 in a component means unlimited.
    c_Vector box;
    Ref<c_Font> font;
    // Both scale components become the smaller of the two.
    bool uniformScale = false;
    // Break only at spaces.
    bool wordWrap = true;
    // Scaled width of each line, in whole pixels.
    std::vector<int> lineWidths;
    // Width and height of the laid-out text in pixels.
    c_Vector textSize;
    // Line pitch as a multiple of the line height.
    float lineSpacing = 1;
    // -1 left, 1 right, anything else centred.
    int hAlign = 0;
    // With a box height: 0 centred, 1 bottom, anything else top.
    int vAlign = 0;

    c_Label(Ref<c_Font> labelFont, float fontScaleValue);

    String ToString() const override { return u"c_Label"; }

    // The box width when set, else the text width (likewise the height).
    float GetWidth() override { return box.x > 0 ? box.x : textSize.x; }
    float GetHeight() override { return box.y > 0 ? box.y : textSize.y; }
    // "fontscale.x", "fontscale.y", "fontscale", "width" and "height" (each
    // lays the text out again; "width" and "height" set one side of the box
    // and leave the other as it was), then the names of c_GDO.
    bool SetFloat(StringView propertyName, float value) override;
    void Draw() override;

    void SetText(StringView newText);
    // Lays the text out again.
    void Refresh();

protected:
    // The lines, aligned, in the current colour.
    void DrawLines();

private:
    void Wrap();
    void Cut();
    // Appends prefix + piece as a line, in a string kept from an earlier
    // layout when there is one, so that laying a text out again (a bubble's
    // next line) allocates nothing once the strings have room.
    void AddLine(StringView prefix, StringView piece);

    std::vector<String> spareLines_;
};

class c_LabelWithShadow : public c_Label {
public:
    c_Vector shadowOffset{1, 1};
    c_RGB shadowColor{0, 0, 0};

    using c_Label::c_Label;
    String ToString() const override { return u"c_LabelWithShadow"; }
    // The text in `shadowColor` moved by `shadowOffset`, then the text in
    // the label's own colour.
    void Draw() override;
};

class c_BlinkingLabel : public c_LabelWithShadow {
public:
    bool blinking = true;
    // Shown for the first half of each period, hidden for the second.
    int blinkPeriod = 1000;  // ms
    int blinkTimer = 0;      // ms

    using c_LabelWithShadow::c_LabelWithShadow;
    String ToString() const override { return u"c_BlinkingLabel"; }
    // Not blinking: always visible.
    void Update(int elapsedMs) override;
};
