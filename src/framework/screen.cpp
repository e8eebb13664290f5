// screen.cpp — see screen.h.
#include "framework/screen.h"

GameScreen& Screen() {
    static GameScreen screen;
    return screen;
}
