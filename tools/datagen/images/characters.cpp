// characters.cpp — the two player characters' sprite sheets: 21 frames of
// 16 x 25 (idle 0, jump 1-3, fall 4-5, crouch 6, run 7-13, walk 14-20).
//
// The head and torso are hand-drawn grids of the sprite book; the arms and
// legs are drawn here from a pose per frame, so both characters share one
// set of carefully timed cycles. The dark outline goes around the finished
// figure last.
#include <algorithm>
#include <vector>

#include "datagen/images/art.h"
#include "datagen/images/pixel_math.h"

namespace datagen {
namespace {
constexpr int kFrameW = 16, kFrameH = 25;
constexpr int kTorsoY = 11;  // top row of the torso grid
constexpr int kHipY = 16;    // top row of the legs at rest
constexpr int kAnkleY = 21;  // ankle row of a foot on the ground
constexpr int kShoulderY = 12;

struct Point {
    int x, y;
};

// A leg from the hip through the knee to the ankle; the boot sits under the
// ankle, toe forward.
struct Leg {
    Point hip, knee, ankle;
};

// An arm from the shoulder to the hand.
struct Arm {
    Point shoulder, hand;
};

struct Pose {
    int bodyX = 0, bodyY = 0;  // shift of head and torso
    int headY = 0;             // extra shift of the head (squash)
    Leg back, front;
    Arm backArm, frontArm;
};

struct Look {
    Canvas head, torso;
    Palette palette;
};

Rgba P(const Palette& p, char c) {
    auto it = p.find(c);
    return it == p.end() ? Rgba{255, 0, 255, 255} : it->second;
}

void DrawLeg(Canvas& c, const Leg& leg, Rgba trousers, Rgba boot) {
    c.Line(leg.hip.x, leg.hip.y, leg.knee.x, leg.knee.y, trousers, 2);
    c.Line(leg.knee.x, leg.knee.y, leg.ankle.x, leg.ankle.y, trousers, 2);
    c.FillRect(leg.ankle.x, leg.ankle.y + 1, 3, 2, boot);
}

void DrawArm(Canvas& c, const Arm& arm, Rgba sleeve, Rgba hand) {
    c.Line(arm.shoulder.x, arm.shoulder.y, arm.hand.x, arm.hand.y, sleeve, 2);
    c.FillRect(arm.hand.x, arm.hand.y + 1, 2, 1, hand);
    c.Set(arm.hand.x, arm.hand.y, hand);
}

Canvas DrawFrame(const Look& look, const Pose& pose) {
    const Palette& p = look.palette;
    Canvas c(kFrameW, kFrameH);
    DrawArm(c, pose.backArm, P(p, 'a'), P(p, 'k'));
    DrawLeg(c, pose.back, P(p, 'l'), P(p, 'f'));
    c.Blit(look.torso, pose.bodyX, kTorsoY + pose.bodyY);
    DrawLeg(c, pose.front, P(p, 'L'), P(p, 'F'));
    c.Blit(look.head, pose.bodyX, pose.bodyY + pose.headY);
    // The front arm gets a dark edge where it lies over the body, so it
    // reads against a coat of nearly the same colour.
    Canvas arm(kFrameW, kFrameH);
    DrawArm(arm, pose.frontArm, P(p, 'A'), P(p, 'K'));
    for (int y = pose.frontArm.shoulder.y + 1; y < kFrameH; ++y)
        for (int x = 1; x < kFrameW; ++x)
            if (arm.Opaque(x, y) && !arm.Opaque(x - 1, y) && c.Opaque(x - 1, y) && !arm.Opaque(x - 1, y - 1))
                c.Set(x - 1, y, Shade(c.Get(x - 1, y), 0.72f));
    c.Blit(arm, 0, 0);
    c.Outline(P(p, 'O'));
    return c;
}

// A leg whose hip is at (hx, hy) and whose ankle is at (ax, ay); the knee
// bends forward by `bend`.
Leg MakeLeg(int hx, int hy, int ax, int ay, int bend) {
    Point knee{(hx + ax) / 2 + bend, (hy + ay + 1) / 2};
    return {{hx, hy}, knee, {ax, ay}};
}

Pose Standing(int bodyX = 0, int bodyY = 0) {
    Pose p;
    p.bodyX = bodyX;
    p.bodyY = bodyY;
    p.back = MakeLeg(6, kHipY + bodyY, 6, kAnkleY, 0);
    p.front = MakeLeg(9, kHipY + bodyY, 9, kAnkleY, 0);
    p.backArm = {{6 + bodyX, kShoulderY + bodyY}, {6 + bodyX, kShoulderY + 2 + bodyY}};
    p.frontArm = {{8 + bodyX, kShoulderY + bodyY}, {8 + bodyX, kShoulderY + 3 + bodyY}};
    return p;
}

// One frame of a stepping cycle of `count` frames. `stride` is how far each
// foot reaches from under the hip, `lift` how high the swinging foot rises,
// `swing` how far the hands travel, `lean` how far the body tips forward.
Pose Step(int index, int count, int stride, int lift, int swing, int lean, bool run) {
    float phase = 2.0f * kPi * static_cast<float>(index) / static_cast<float>(count);
    float s = Sin(phase), c = Cos(phase);
    Pose p;
    p.bodyX = lean;
    // The body is highest while the legs pass each other.
    p.bodyY = (s * s < 0.3f) ? -1 : 0;
    if (run && s * s > 0.75f) p.bodyY = 1;
    int hipX = 7 + lean;
    auto foot = [&](float reach, float forward) {
        int ax = hipX + Round(reach * stride);
        int up = forward > 0 ? Round(forward * lift) : 0;
        return Point{ax, kAnkleY - up};
    };
    Point front = foot(s, c), back = foot(-s, -c);
    // A run has a moment in the air: both feet off the ground while the
    // legs pass each other.
    bool flight = run && s * s < 0.3f;
    if (flight) {
        p.bodyY = -1;
        front.y = std::min(front.y, kAnkleY - 2);
        back.y = std::min(back.y, kAnkleY - 2);
    }
    int hipY = kHipY + p.bodyY;
    p.front = MakeLeg(hipX + 1, hipY, front.x, front.y, c > 0 ? 1 + lift / 2 : 0);
    p.back = MakeLeg(hipX, hipY, back.x, back.y, c < 0 ? 1 + lift / 2 : 0);
    Point shoulder{7 + lean, kShoulderY + p.bodyY};
    // Arms swing against the legs; running arms are bent and pumped higher.
    int handUp = run ? 1 : 0;
    p.frontArm = {{shoulder.x + 1, shoulder.y},
                  {shoulder.x + 1 - Round(s * swing), shoulder.y + 3 - handUp - (run && s < 0 ? 1 : 0)}};
    p.backArm = {{shoulder.x - 1, shoulder.y},
                 {shoulder.x - 1 + Round(s * swing), shoulder.y + 3 - handUp - (run && s > 0 ? 1 : 0)}};
    return p;
}

std::vector<Pose> Poses() {
    std::vector<Pose> poses;
    const int sy = kShoulderY;
    // 0 idle
    poses.push_back(Standing());
    // 1 jump: the push-off, knees bent, arms swung back
    {
        Pose p = Standing(0, 1);
        p.back = MakeLeg(6, kHipY + 1, 5, kAnkleY, 1);
        p.front = MakeLeg(9, kHipY + 1, 8, kAnkleY, 1);
        p.backArm = {{6, sy + 1}, {3, sy + 3}};
        p.frontArm = {{8, sy + 1}, {5, sy + 3}};
        poses.push_back(p);
    }
    // 2 jump: rising, front knee up, arms thrown up
    {
        Pose p = Standing(0, -1);
        p.back = MakeLeg(6, kHipY - 1, 5, kAnkleY - 1, 0);
        p.front = MakeLeg(9, kHipY - 1, 10, kAnkleY - 3, 2);
        p.backArm = {{6, sy - 1}, {2, sy - 4}};
        p.frontArm = {{8, sy - 1}, {12, sy - 1}};
        poses.push_back(p);
    }
    // 3 jump: the top, legs tucked, arms spread
    {
        Pose p = Standing(0, -1);
        p.back = MakeLeg(6, kHipY - 1, 5, kAnkleY - 2, 1);
        p.front = MakeLeg(9, kHipY - 1, 10, kAnkleY - 2, 2);
        p.backArm = {{6, sy - 1}, {2, sy - 1}};
        p.frontArm = {{8, sy - 1}, {12, sy}};
        poses.push_back(p);
    }
    // 4, 5 fall: legs reaching down, arms up and flailing
    for (int i = 0; i < 2; ++i) {
        Pose p = Standing();
        p.back = MakeLeg(6, kHipY, 5 - i, kAnkleY, 0);
        p.front = MakeLeg(9, kHipY, 10 + i, kAnkleY - 1 + i, 0);
        p.backArm = {{6, sy}, {2, sy - 2 + 2 * i}};
        p.frontArm = {{8, sy}, {12, sy - i}};
        poses.push_back(p);
    }
    // 6 crouch (and landing squash): body down, knees forward, hands on knees
    {
        Pose p = Standing(0, 3);
        p.back = MakeLeg(6, kHipY + 3, 6, kAnkleY, 0);
        p.front = MakeLeg(9, kHipY + 3, 9, kAnkleY, 0);
        p.back.knee = {7, kHipY + 3};
        p.front.knee = {10, kHipY + 3};
        p.backArm = {{6, sy + 3}, {7, sy + 5}};
        p.frontArm = {{8, sy + 3}, {11, sy + 5}};
        poses.push_back(p);
    }
    // 7-13 run, 14-20 walk: seven frames each
    for (int i = 0; i < 7; ++i) poses.push_back(Step(i, 7, 4, 3, 3, 1, true));
    for (int i = 0; i < 7; ++i) poses.push_back(Step(i, 7, 3, 2, 2, 0, false));
    return poses;
}

Canvas Sheet(const SpriteBook& book, const std::string& who) {
    Look look;
    look.palette = book.GetPalette(who);
    look.head = book.Render(who + "_head", look.palette);
    look.torso = book.Render(who + "_torso", look.palette);
    std::vector<Canvas> frames;
    for (const Pose& pose : Poses()) frames.push_back(DrawFrame(look, pose));
    return Strip(frames);
}
}  // namespace

Canvas CharacterFrame(const SpriteBook& book, const std::string& who, int frame) {
    Canvas sheet = Sheet(book, who);
    return sheet.Crop(frame * kFrameW, 0, kFrameW, kFrameH);
}

void MakeCharacters(const SpriteBook& book, ImageOutput& out) {
    out.Texture("char1_spritesheet.png", Sheet(book, "char1"), kFrameW, kFrameH);
    out.Texture("char2_spritesheet.png", Sheet(book, "char2"), kFrameW, kFrameH);
}

}  // namespace datagen
