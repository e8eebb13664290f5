// credits_stage.cpp — see credits_stage.h.
#include "stages/credits_stage.h"

#include <cmath>

#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/label.h"
#include "framework/translation.h"
#include "host/input_device.h"
#include "stages/front_end.h"

namespace {

constexpr float kHeadingGap = 50;
constexpr float kNameGap = 20;
constexpr float kClosingGap = 90;
// Pixels per update, and the extra while Space or Enter is held.
constexpr float kScrollStep = 0.32f;
constexpr float kFastExtra = 0.96f;
// Where the column starts: its top at the bottom edge of the screen.
constexpr float kScrollStart = 90;

// Headings are translated; names are people's and studios' own.
struct CreditsEntry {
    const char16_t* heading;
    std::initializer_list<const char16_t*> names;
};

const CreditsEntry kCredits[] = {
    {u"DEVELOPED BY", {u"Vintor", u"Oxbrook"}},
    {u"GAME DESIGN", {u"Ilsa Brackenwold", u"Teodor Quennick"}},
    {u"LEVEL DESIGN", {u"Mara Fenwhistle", u"Oskar Lindqvarn"}},
    {u"ART", {u"Pella Ashgrove"}},
    {u"ENVIRONMENTAL AND VISUAL EFFECTS", {u"Juno Kesterwick"}},
    {u"PROGRAMMING", {u"Rowan Marbelfeld"}},
    {u"MUSIC & SFX", {u"Nika Thornquill"}},
    {u"MODER DOS 437 FONT", {u"Emil Vardlowe"}},
    {u"COBALT-X", {u"The Orbel team"}},
    {u"SPECIAL THANKS",
     {u"Linnea Quarrow", u"Tobiah Fenmoor", u"Sacha Wendervale", u"Arvo Dunmarsh", u"Greta Hollowmere"}},
};

}  // namespace

void c_CreditsStage::AddHeading(StringView text) {
    contentHeight += kHeadingGap;
    auto label = New<c_Label>(Game().titleFont, 0.6f);
    label->layoutMode = c_Label::kShrink;
    label->box.Set(272, 40);
    label->SetText(TranslateText(text));
    label->position.Set(0, contentHeight);
    root->AddChild(label);
}

void c_CreditsStage::AddName(StringView text) {
    contentHeight += kNameGap;
    auto label = New<c_Label>(Game().textFont, 0.5f);
    label->layoutMode = c_Label::kCut;
    label->tint.Set(200, 200, 200);
    label->fontScale.Set(0.5f, 0.75f);
    label->SetText(text);
    label->position.Set(0, contentHeight);
    root->AddChild(label);
}

void c_CreditsStage::LoadStep(int index) {
    if (index != 0) return;
    contentHeight = 0;
    for (const CreditsEntry& entry : kCredits) {
        AddHeading(entry.heading);
        for (const char16_t* name : entry.names) AddName(name);
    }
    auto closing = New<c_BlinkingLabel>(Game().titleFont, 0.45f);
    closing->blinkPeriod = 1000;
    closing->fontScale.Set(0.45f, 0.5f);
    closing->SetText(TranslateText(u"THANKS FOR PLAYING"));
    closing->position.Set(0, contentHeight + kClosingGap);
    root->AddChild(closing);

    scroll = kScrollStart;
    root->position.y = kScrollStart;
    AudioManager::PlayMusicById(u"CREDITS_BGM");
}

float c_CreditsStage::ScrollEnd() const { return -kScrollStart - contentHeight - 10; }

void c_CreditsStage::Leave() {
    AudioManager::FadeMusicVolume(0.5f, 0, 1000);
    GoToTitle();
}

void c_CreditsStage::Update(int) {
    c_Stage::Update(kFrontEndStepMs);
    const float end = ScrollEnd();
    if (scroll < end) scroll = end;
    root->position.y = std::ceil(scroll);
    const bool fast = ActionDown(kActionConfirm);
    const bool escape = ActionDown(kActionBack);
    if (scroll > end) {
        scroll -= kScrollStep;
        if (fast) {
            scroll -= kFastExtra;
        } else if (escape) {
            Leave();
        }
    } else if (fast || escape) {
        Leave();
    }
}
