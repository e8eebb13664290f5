// The input device: GLFW key translation, hit counts per update, the hit and
// character queues, out-of-range codes, mouse and touch, joystick buttons and
// layouts, and the action map.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "host/glfw_keys.h"
#include "host/input_device.h"
#include "host/rt_glfw_game.h"

TEST(GlfwKeys, TranslationTable) {
    const std::pair<int, int> cases[] = {
        {GLFW_KEY_0, 48},
        {GLFW_KEY_9, 57},
        {GLFW_KEY_A, 65},
        {GLFW_KEY_Z, 90},
        {GLFW_KEY_SPACE, 32},
        {GLFW_KEY_APOSTROPHE, 222},
        {GLFW_KEY_COMMA, 188},
        {GLFW_KEY_MINUS, 189},
        {GLFW_KEY_PERIOD, 190},
        {GLFW_KEY_SLASH, 191},
        {GLFW_KEY_SEMICOLON, 186},
        {GLFW_KEY_EQUAL, 187},
        {GLFW_KEY_LEFT_BRACKET, 219},
        {GLFW_KEY_BACKSLASH, 220},
        {GLFW_KEY_RIGHT_BRACKET, 221},
        {GLFW_KEY_GRAVE_ACCENT, 192},
        {GLFW_KEY_ESCAPE, 27},
        {GLFW_KEY_F1, 112},
        {GLFW_KEY_F12, 123},
        {GLFW_KEY_UP, 38},
        {GLFW_KEY_DOWN, 40},
        {GLFW_KEY_LEFT, 37},
        {GLFW_KEY_RIGHT, 39},
        {GLFW_KEY_LEFT_SHIFT, 16},
        {GLFW_KEY_RIGHT_SHIFT, 16},
        {GLFW_KEY_LEFT_CONTROL, 17},
        {GLFW_KEY_RIGHT_CONTROL, 17},
        {GLFW_KEY_TAB, 9},
        {GLFW_KEY_ENTER, 13},
        {GLFW_KEY_BACKSPACE, 8},
        {GLFW_KEY_INSERT, 45},
        {GLFW_KEY_DELETE, 46},
        {GLFW_KEY_PAGE_UP, 33},
        {GLFW_KEY_PAGE_DOWN, 34},
        {GLFW_KEY_HOME, 36},
        {GLFW_KEY_END, 35},
        {GLFW_KEY_KP_0, 96},
        {GLFW_KEY_KP_9, 105},
        {GLFW_KEY_KP_DIVIDE, 111},
        {GLFW_KEY_KP_MULTIPLY, 106},
        {GLFW_KEY_KP_SUBTRACT, 109},
        {GLFW_KEY_KP_ADD, 107},
        {GLFW_KEY_KP_DECIMAL, 110},
        // Keys the game does not know.
        {GLFW_KEY_F13, 0},
        {GLFW_KEY_F25, 0},
        {GLFW_KEY_LEFT_ALT, 0},
        {GLFW_KEY_RIGHT_ALT, 0},
        {GLFW_KEY_KP_ENTER, 0},
        {GLFW_KEY_KP_EQUAL, 0},
        {GLFW_KEY_CAPS_LOCK, 0},
        {GLFW_KEY_PAUSE, 0},
        {GLFW_KEY_LEFT_SUPER, 0},
        {GLFW_KEY_MENU, 0},
        {GLFW_KEY_WORLD_1, 0},
        {GLFW_KEY_UNKNOWN, 0},
        {-12345, 0},
        {100000, 0},
    };
    for (auto [glfw, code] : cases) EXPECT_EQ(TranslateGlfwKey(glfw), code) << "GLFW key " << glfw;
}

TEST(InputDevice, HitsCountOncePerPressAndClearAtEndOfUpdate) {
    c_InputDevice input;
    input.KeyEvent(kEventKeyDown, 65);
    input.KeyEvent(kEventKeyDown, 65);  // auto-repeat
    EXPECT_TRUE(input.KeyDown(65));
    EXPECT_EQ(input.KeyHit(65), 1);
    input.EndUpdate();
    EXPECT_EQ(input.KeyHit(65), 0);
    input.KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(input.KeyHit(65), 0);
    EXPECT_TRUE(input.KeyDown(65));

    // Press, release and press again within one update: two hits.
    input.KeyEvent(kEventKeyUp, 65);
    EXPECT_FALSE(input.KeyDown(65));
    input.KeyEvent(kEventKeyDown, 65);
    input.KeyEvent(kEventKeyUp, 65);
    input.KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(input.KeyHit(65), 2);
    input.EndUpdate();
    EXPECT_EQ(input.KeyHit(65), 0);
}

TEST(InputDevice, HitQueueBoundAndCharacterQueue) {
    c_InputDevice input;
    for (int code = 100; code < 140; ++code) input.KeyEvent(kEventKeyDown, code);
    // 33 presses are counted; the rest are down but not hits.
    EXPECT_EQ(input.KeyHit(132), 1);
    EXPECT_EQ(input.KeyHit(133), 0);
    EXPECT_TRUE(input.KeyDown(139));
    input.EndUpdate();
    for (int code = 100; code < 140; ++code) EXPECT_EQ(input.KeyHit(code), 0);

    for (int c = 0; c < 40; ++c) input.KeyEvent(kEventChar, 'a' + c % 26);
    int got = 0;
    while (input.GetChar()) ++got;
    EXPECT_EQ(got, 32);
    input.EndUpdate();
    EXPECT_EQ(input.GetChar(), 0);
    input.KeyEvent(kEventChar, 'x');
    EXPECT_EQ(input.GetChar(), 'x');
}

TEST(InputDevice, OutOfRangeCodesAreIgnored) {
    c_InputDevice input;
    for (int code : {0, -1, 512, 100000, -100000}) {
        input.KeyEvent(kEventKeyDown, code);
        input.KeyEvent(kEventKeyUp, code);
        input.TouchEvent(kEventTouchDown, code, 1, 2);
        input.TouchEvent(kEventTouchMove, code, 1, 2);
        input.TouchEvent(kEventTouchUp, code, 1, 2);
        EXPECT_FALSE(input.KeyDown(code));
        EXPECT_EQ(input.KeyHit(code), 0);
    }
    for (int button : {-1, 3, 1000}) input.MouseEvent(kEventMouseDown, button, 5, 6);  // buttons are 0-2
    input.TouchEvent(kEventTouchDown, 32, 5, 6);                                       // no touch 32
    for (int code = 1; code < kKeyCodeCount; ++code) EXPECT_FALSE(input.KeyDown(code)) << code;
    EXPECT_EQ(input.MouseX(), 0);
}

TEST(InputDevice, MouseAndFirstTouchMirror) {
    c_InputDevice input;
    input.MouseEvent(kEventMouseDown, 0, 10, 20);
    EXPECT_EQ(input.KeyHit(1), 1);
    EXPECT_EQ(input.KeyHit(384), 1);
    EXPECT_EQ(input.TouchX(0), 10);
    EXPECT_EQ(input.TouchY(0), 20);
    input.MouseEvent(kEventMouseUp, 0, 99, 99);
    EXPECT_FALSE(input.KeyDown(1));
    EXPECT_FALSE(input.KeyDown(384));
    input.EndUpdate();

    input.MouseEvent(kEventMouseDown, 1, 30, 40);
    input.MouseEvent(kEventMouseUp, 1, 50, 60);  // the release does not move the mouse
    EXPECT_EQ(input.MouseX(), 30);
    EXPECT_EQ(input.MouseY(), 40);
    EXPECT_EQ(input.KeyHit(2), 1);
    input.MouseEvent(kEventMouseMove, -1, 7, 8);
    EXPECT_EQ(input.MouseX(), 7);
    EXPECT_EQ(input.TouchY(0), 8);

    input.TouchEvent(kEventTouchDown, 0, 1, 1);
    EXPECT_TRUE(input.KeyDown(1));
    input.TouchEvent(kEventTouchUp, 0, 1, 1);
    EXPECT_FALSE(input.KeyDown(1));
    input.TouchEvent(kEventTouchDown, 5, 3, 4);
    EXPECT_TRUE(input.KeyDown(389));
    EXPECT_FALSE(input.KeyDown(1));
    EXPECT_EQ(input.TouchX(5), 3);
}

namespace {
// A host whose joysticks are whatever the test says.
class JoystickHost final : public RtGame {
public:
    std::vector<JoyButtons> pads;
    int polls = 0;
    bool PollJoystick(int port, JoyAxes& x, JoyAxes&, JoyAxes&, JoyButtons& buttons) override {
        ++polls;
        if (port >= static_cast<int>(pads.size())) return false;
        x = {0.5f, -0.5f};
        buttons = pads[static_cast<std::size_t>(port)];
        return true;
    }
};
}  // namespace

TEST(InputDevice, JoystickButtonsAreKeys) {
    c_InputDevice input;
    JoystickHost host;
    input.PollJoysticks(host);
    EXPECT_EQ(host.polls, 1) << "nothing is polled after an empty port 0";
    for (int code = 256; code < 384; ++code) EXPECT_FALSE(input.KeyDown(code));

    host.pads.resize(2);
    host.pads[1][3] = true;
    input.PollJoysticks(host);
    EXPECT_EQ(host.polls, 1 + 3);
    EXPECT_TRUE(input.KeyDown(256 + 32 + 3));
    EXPECT_EQ(input.KeyHit(256 + 32 + 3), 1);
    EXPECT_EQ(input.Joystick(1).x[0], 0.5f);
    input.EndUpdate();
    input.PollJoysticks(host);  // still held: not a new hit
    EXPECT_EQ(input.KeyHit(256 + 32 + 3), 0);
    host.pads[1][3] = false;
    input.PollJoysticks(host);
    EXPECT_FALSE(input.KeyDown(256 + 32 + 3));
}

TEST(InputDevice, ActionMap) {
    c_InputDevice input;
    input.KeyEvent(kEventKeyDown, 87);  // W
    input.KeyEvent(kEventKeyDown, 13);  // Enter
    struct Case {
        int action;
        bool down;
    };
    const Case cases[] = {{0, true},  {1, false}, {2, false}, {3, false}, {4, false},  {5, true},
                          {6, false}, {7, true},  {8, true},  {9, false}, {10, false}, {-1, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(ActionDown(input, c.action), c.down) << c.action;
        EXPECT_EQ(ActionHit(input, c.action), c.down) << c.action;
    }
    input.EndUpdate();
    EXPECT_TRUE(ActionDown(input, 0));
    EXPECT_FALSE(ActionHit(input, 0));
}

TEST(Joystick, GlfwLayoutMapping) {
    JoyAxes x{}, y{}, z{};
    JoyButtons b{};
    std::vector<float> six = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
    MapJoystick(six, std::vector<unsigned char>(4, GLFW_PRESS), x, y, z, b);
    EXPECT_EQ(x, (JoyAxes{0.1f, 0.4f}));
    EXPECT_EQ(y, (JoyAxes{0.2f, 0.5f}));
    EXPECT_EQ(z, (JoyAxes{0.3f, 0.6f}));
    EXPECT_TRUE(b[3]);
    EXPECT_FALSE(b[4]);

    MapJoystick({0.7f}, {}, x, y, z, b);  // missing axes read 0
    EXPECT_EQ(x, (JoyAxes{0.7f, 0.0f}));
    EXPECT_EQ(z, (JoyAxes{0.0f, 0.0f}));

    // 16 buttons: 0-7 stay, the last four move to 8-11, 8-11 move to 12-15.
    std::vector<unsigned char> sixteen(16, GLFW_RELEASE);
    sixteen[8] = GLFW_PRESS;
    sixteen[15] = GLFW_PRESS;
    MapJoystick(six, sixteen, x, y, z, b);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(b[i], i == 12 || i == 11) << i;

    // More than 32 buttons never writes past the 32 the game keeps.
    std::vector<unsigned char> many(40, GLFW_PRESS);
    MapJoystick(six, many, x, y, z, b);
    for (int i = 0; i < 32; ++i) EXPECT_TRUE(b[i]);

    // The two corrected pads.
    MapJoystick({0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, std::vector<unsigned char>(14), x, y, z, b);
    EXPECT_EQ(x[1], 0.5f);
    EXPECT_EQ(y[1], -0.4f);
    MapJoystick({0.1f, 0.2f, 0.3f, 0.4f}, std::vector<unsigned char>(18), x, y, z, b);
    EXPECT_EQ(y[1], -0.3f);
}
