// One collision-engine update over a level-sized world: a ground with
// platforms and walls merged from a 120 × 40 solid layer, two characters
// (body box and ground probe each), a dozen boxes and a few doors and keys.
#include <benchmark/benchmark.h>

#include <vector>

#include "level/basic_box_engine.h"

namespace {

struct World {
    Ref<c_BasicBoxEngine> engine = New<c_BasicBoxEngine>();
    std::vector<Ref<c_Vector>> positions;

    World() {
        engine->Init(u"BASIC_BOX_ENGINE");
        constexpr int kWide = 120, kHigh = 40, kTile = 16;
        std::vector<int> cells(kWide * kHigh, -1);
        for (int c = 0; c < kWide; ++c) cells[(kHigh - 1) * kWide + c] = cells[(kHigh - 2) * kWide + c] = 0;
        for (int r = 0; r < kHigh; ++r) cells[r * kWide] = cells[r * kWide + kWide - 1] = 0;
        for (int p = 0; p < 12; ++p)
            for (int c = 0; c < 6; ++c) cells[(10 + (p % 4) * 6) * kWide + 8 + p * 9 + c] = 0;
        MergeSolidCells(cells.data(), kWide, kHigh, [&](int col, int row, int cols, int rows) {
            float w = float(cols * kTile), h = float(rows * kTile);
            engine->AddStatic(New<c_StaticBox>(-kWide * kTile / 2.0f + col * kTile + w / 2,
                                               -kHigh * kTile / 2.0f + row * kTile + h / 2, w, h));
        });
        auto add = [&](float x, float y, float w, float h, bool mover, bool obstacle, bool solid) {
            auto position = New<c_Vector>(x, y);
            positions.push_back(position);
            auto box = MakeObjectBox(0, 0, w, h, position);
            box->solid = solid;
            box->raisesEvents = false;
            if (obstacle) engine->AddObstacle(box);
            if (mover) engine->AddMover(box);
        };
        for (int i = 0; i < 2; ++i) {
            add(-300.0f + i * 40, 280, 10, 16, true, false, true);
            add(-300.0f + i * 40, 281, 8, 16, true, false, false);
        }
        for (int i = 0; i < 12; ++i) add(-400.0f + i * 60, 290, 16, 16, true, true, true);
        for (int i = 0; i < 4; ++i) add(-200.0f + i * 120, 280, 28, 44, false, true, false);
    }
};

void BM_BoxEngineUpdate(benchmark::State& state) {
    World world;
    for (auto _ : state) {
        // Things sink a little each step, as gravity would make them.
        for (auto& p : world.positions) p->y += 2;
        world.engine->Update(16);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BoxEngineUpdate);

}  // namespace
