// collapsible_panel.h — c_CollapsiblePanel, which opens and closes one
// content node with a two-step scale animation, and c_DialogBubble, the
// speech bubble of characters and signs.
//
// A panel is hidden and disabled when made. Opening grows the height, then
// the width (phases 1, 2); closing shrinks the width, then the height
// (phases 3, 4); each step takes 150 ms. A closed panel hides and disables
// itself, so it costs nothing per frame until it is opened again.
//
//   auto panel = New<c_CollapsiblePanel>(menu);
//   panel->SetPanelState(1);    // open
//   panel->Close(false);        // close with the animation
//
//   auto bubble = New<c_DialogBubble>(font);
//   bubble->Show(u"Hello!", 3000);   // opens, plays "BUBBLE", closes after 3 s
//
// A bubble opens upwards from just above the tip of its tail.
#pragma once

#include "framework/font.h"
#include "framework/gdo.h"
#include "framework/label.h"
#include "framework/static_image.h"
#include "framework/tween.h"

class c_CollapsiblePanel : public c_GDO {
public:
    enum Phase : int {
        kIdle = 0,
        kOpeningHeight = 1,
        kOpeningWidth = 2,
        kClosingWidth = 3,
        kClosingHeight = 4,
    };
    // The scale of a collapsed side.
    static constexpr float kCollapsed = 0.03f;
    static constexpr int kStepMs = 150;

    // Also the panel's first child.
    Ref<c_GDO> content;
    Ref<c_Tween> tweenY;
    Ref<c_Tween> tweenX;
    int panelState = kIdle;

    explicit c_CollapsiblePanel(Ref<c_GDO> panelContent);

    String ToString() const override { return u"c_CollapsiblePanel"; }
    float GetWidth() override { return content ? content->GetWidth() : 0; }
    float GetHeight() override { return content ? content->GetHeight() : 0; }

    // Runs the open or close animation while enabled; once it is over the
    // panel stays shown when fully open and hides itself otherwise.
    void Update(int elapsedMs) override;
    // 1..4 start that phase; 0 only records the idle state.
    void SetPanelState(int state);
    // Immediately: hidden, disabled and collapsed at once. Otherwise the
    // closing animation from fully open.
    void Close(bool immediately);

private:
    void Animate(c_Tween& tween, float from, float to);
    static void Hold(c_Tween& tween, float value);
};

// The bubble's picture, fitted around a text: the body (every row above the
// tail) is cut in nine parts so that its one-pixel rim and cut corners keep
// their size however far it stretches, and the tail (the picture's bottom
// rows) is drawn unstretched under the middle. The tip lies half the
// picture's height below the origin and the rest above it: a character's
// bubble, placed 0.75 of its height above its centre, rests on its head and
// grows upwards from there, whatever the size of its text.
class c_BubbleFrame : public c_GDO {
public:
    // The picture's rows below the body.
    static constexpr int kTailRows = 3;

    Ref<c_Texture> texture;
    // The body's size in pixels (whole pixels, at least the rim's).
    c_Vector bodySize{16, 9};

    explicit c_BubbleFrame(Ref<c_Texture> picture);

    String ToString() const override { return u"c_BubbleFrame"; }
    float GetWidth() override { return bodySize.x; }
    float GetHeight() override { return bodySize.y + TailHeight(); }
    // The body's top-left corner and centre, relative to the origin.
    float BodyLeft() const;
    float BodyTop() const;
    c_Vector BodyCentre() const;
    float TailHeight() const;
    // How far below the origin the tail's tip lies.
    float TipDrop() const;
    void Draw() override;
    void Discard() override;
};

class c_DialogBubble : public c_CollapsiblePanel {
public:
    static constexpr float kTextScale = 0.4f;
    // Pixels of bubble around the text, both ways (the font's line boxes
    // bring some room of their own).
    static constexpr float kPadding = 6;

    Ref<c_Label> label;
    // Milliseconds until the bubble closes by itself; 0 = stays open.
    int hideTimer = 0;

    // The picture "bubble.png" as the content and a label in `font`.
    explicit c_DialogBubble(Ref<c_Font> font);

    String ToString() const override { return u"c_DialogBubble"; }
    // The panel update, then the hide timer.
    void Update(int elapsedMs) override;
    // Shows `text` for `durationMs` (0: until closed). A bubble that is not
    // showing opens and plays "BUBBLE"; one already open only takes the new
    // text and restarts its timer. The body takes the size of the text as
    // the font lays it out, plus the padding, and the text is centred in it.
    void Show(StringView text, int durationMs);

    // Puts the bubble's origin at `at`, then moves it as little as it takes
    // to keep the body inside the rectangle (left, top)-(right, bottom), in
    // the same coordinates (a body too big for it keeps its left and top
    // edges in). A character's bubble stays inside its window this way: over
    // the head where there is room, lower or to the side where there is not.
    void PlaceWithin(c_Vector at, float left, float top, float right, float bottom);

    c_BubbleFrame& Frame() { return static_cast<c_BubbleFrame&>(*content); }
};
