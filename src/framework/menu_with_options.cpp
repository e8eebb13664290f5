// menu_with_options.cpp — see menu_with_options.h.
#include "framework/menu_with_options.h"

#include "framework/ease.h"
#include "framework/translation.h"
#include "host/input_device.h"

c_Cursor::c_Cursor() : moveTween(New<c_Tween>(c_CubicEaseIn::Shared(), 0.0f, 1.0f, kMoveMs)) {}

void c_Cursor::Update(int elapsedMs) {
    if (moveTween->running) {
        moveTween->Update(elapsedMs);
        const float v = moveTween->value;
        if (Ref<c_GDO> to = target.lock()) {
            position.Set(fromPosition.x + v * (to->position.x - fromPosition.x),
                         fromPosition.y + v * (to->position.y - fromPosition.y));
            width = fromSize.x + v * (to->GetWidth() - fromSize.x);
            height = fromSize.y + v * (to->GetHeight() - fromSize.y);
        }
    }
    c_GDO::Update(elapsedMs);
}

c_MenuWithOptions::c_MenuWithOptions(float menuWidth, float menuHeight, Ref<c_Font> menuFont)
    : c_RectangleGDO(menuWidth, menuHeight), cursor(New<c_Cursor>()), font(std::move(menuFont)) {
    cursor->tint.Set(96, 96, 96);
    AddChild(cursor);
}

void c_MenuWithOptions::Update(int elapsedMs) {
    c_GDO::Update(elapsedMs);
    HandleInput();
}

Ref<c_Label> c_MenuWithOptions::AddOption(StringView text) {
    auto label = New<c_Label>(font, kOptionScale);
    label->hAlign = 0;
    label->layoutMode = c_Label::kShrink;
    label->box.Set(width - kOptionMargin, kOptionHeight);
    label->SetText(TranslateText(text));
    return label;
}

void c_MenuWithOptions::PlaceOption(const Ref<c_GDO>& label, float x, float y) {
    if (!label) return;
    options.push_back(label);
    AddChild(label);
    label->position.Set(x, y);
}

void c_MenuWithOptions::MoveCursorTo(const Ref<c_GDO>& option) {
    cursor->fromPosition = cursor->position;
    cursor->fromSize.Set(cursor->width, cursor->height);
    cursor->target = option;
    cursor->moveTween->Start();
}

void c_MenuWithOptions::HandleInput() {
    if (!enabled || options.empty()) return;
    const int count = static_cast<int>(options.size());
    if (ActionHit(kActionUp)) {
        selected = ((selected - 1) % count + count) % count;
        MoveCursorTo(options[static_cast<std::size_t>(selected)]);
    } else if (ActionHit(kActionDown)) {
        selected = ((selected + 1) % count + count) % count;
        MoveCursorTo(options[static_cast<std::size_t>(selected)]);
    } else if (ActionHit(kActionConfirm)) {
        OnSelect(selected);
    } else if (ActionHit(kActionBack)) {
        OnCancel(selected);
    }
}
