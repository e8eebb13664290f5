// map.cpp — fuzz target: a level map from its XML text to both built worlds,
// as the level stage builds them: the map's properties, LoadTiledMap for each
// world (its excluded base layer and image prefix), the static collision
// boxes of each solid layer, the parallax background, the snow when the map
// asks for it, then one update of the worlds, the engine and the snow, and
// one drawn frame.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "effects/parallax.h"
#include "effects/snow.h"
#include "framework/font.h"
#include "framework/game.h"
#include "framework/xml_parser.h"
#include "fuzz/fuzz_support.h"
#include "level/basic_box_engine.h"
#include "level/player_char.h"
#include "level/stub_level_host.h"
#include "level/tiled_loader.h"

namespace {

// A font for the signs and door texts, its page drawn by the session.
constexpr char16_t kSignFont[] =
    u"common lineHeight=10 base=8 scaleW=64 scaleH=64 pages=1\n"
    u"page id=0 file=\"sign_0.png\"\n"
    u"char id=32 x=0 y=0 width=0 height=0 xoffset=0 yoffset=0 xadvance=4 page=0\n"
    u"char id=101 x=0 y=0 width=5 height=6 xoffset=0 yoffset=3 xadvance=6 page=0\n";

struct World {
    const char16_t* excluded;
    const char16_t* prefix;
    const char16_t* solid;
    float y;
};
constexpr World kWorlds[2] = {{u"base_2", u"", u"solid_1", 0}, {u"base_1", u"alt_", u"solid_2", 2000}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    auto host = New<level_test::StubLevelHost>();
    host->engine = New<c_BasicBoxEngine>();
    host->engine->Init(u"BASIC_BOX_ENGINE");
    auto root = New<c_EmptyGDOContainer>();
    Ref<c_SnowManager> snow;
    Ref<c_Font> previousFont = Game().textFont;
    auto font = New<c_Font>();
    try {
        font->Parse(kSignFont);
        Game().textFont = font;
        Ref<c_XMLNode> map = c_XMLParser().Parse(fuzz::Text(data, size));
        host->settings.bgType = TiledInt(GetMapProperty(map, u"bgType"));
        host->settings.gameMode = TiledInt(GetMapProperty(map, u"gameMode"));
        host->settings.weather = GetMapProperty(map, u"weather1");
        host->settings.forcedSync = TiledInt(GetMapProperty(map, u"forcedSync")) != 0;
        std::vector<Ref<c_PlayerChar>> players;
        for (int w = 0; w < 2; ++w) {
            auto player = New<c_PlayerChar>();
            player->Setup(w == 0 ? u"char1_spritesheet.png" : u"char2_spritesheet.png", 16, 25, true);
            players.push_back(player);
            Ref<c_EmptyGDOContainer> world =
                LoadTiledMap(*host, 0, kWorlds[w].y, kWorlds[w].excluded, kWorlds[w].prefix, player, map);
            if (!world) continue;
            root->AddChild(world);
            auto solid = std::dynamic_pointer_cast<c_TileMap>(world->FindChildByName(kWorlds[w].solid));
            if (!solid) continue;
            (w == 0 ? host->solid1 : host->solid2) = solid.get();
            BuildStaticBoxes(*host->engine, *solid, 0, kWorlds[w].y);
            auto background = New<c_ParallaxBackground>();
            CreateParallaxBackground(*background, host->settings.bgType, solid->GetWidth(), solid->GetHeight(),
                                     kWorlds[w].prefix);
            world->AddChild(background, 0);
            player->position = host->settings.spawn;
            solid->AddChild(player);
            host->engine->AddMover(player->bodyBox);
            host->engine->AddMover(player->groundProbe);
        }
        if (host->settings.weather == u"snow" && host->solid1) {
            snow = CreateSnow(std::dynamic_pointer_cast<c_TileMap>(host->solid1->shared_from_this()));
        }
        root->Update(16);
        host->engine->Update(16);
        if (snow) snow->Update(16);
        session.BeginFrame();
        root->Render();
        session.EndFrame();
    } catch (const fuzz::Refused&) {}
    if (snow) snow->Discard();
    root->Discard();
    host->engine->Clear();
    font->Discard();
    Game().textFont = previousFont;
    return 0;
}
