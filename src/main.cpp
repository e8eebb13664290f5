// main.cpp — program entry. All game code lives in the orbel_game library.
#include "host/entry.h"
#include "stages/tarn_game.h"

int main(int argc, char** argv) {
    return OrbelMain(argc, argv, [] { return New<c_TarnGame>(); });
}
