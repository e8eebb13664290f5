// main.cpp — program entry. All game code lives in the orbel_game library.
#include "app/entry.h"
#include "game/tarn_game.h"

int main(int argc, char** argv) {
    return OrbelMain(argc, argv, [] { return New<c_TarnGame>(); });
}
