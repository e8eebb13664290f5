// tiled_loader.cpp — reads one world of a level from a parsed Tiled map:
// the tile sets, the tile layers (exclusions and "requires"), and the objects
// of each object group, made by their tile-set key and placed on their base
// line in the layer the group names. Broken files end in a "TILED_LOADER: "
// runtime error.
#include "level/tiled_loader.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "framework/events.h"
#include "framework/game.h"
#include "framework/sprite.h"
#include "framework/static_image.h"
#include "framework/tile_map.h"
#include "framework/tile_set.h"
#include "framework/translation.h"
#include "graphics/image.h"
#include "host/runtime_error.h"
#include "level/basic_box_engine.h"
#include "level/closeness_triggers.h"
#include "level/door.h"
#include "level/key_item.h"
#include "level/level_settings.h"
#include "level/movable_object.h"
#include "level/player_char.h"

namespace {

constexpr std::size_t kIntChars = 63;
constexpr std::size_t kNumberChars = 255;
// Far beyond any map, and safe to truncate to int.
constexpr double kCoordinateLimit = 1e9;
// Markers (spawn, signs, dialogs, event raisers) sit this far above the
// object's bottom edge.
constexpr float kMarkerLift = 12.5f;
constexpr float kSignScale = 0.25f;
// A level door's sign floats this far above the door.
constexpr float kDoorSignGap = 8;

String MessageOf(const Ref<c_XMLNode>& object) {
    return TranslateText(Replace(GetTiledProperty(object, u"msg"), u"\\n", u"\n"));
}

Ref<c_ClosenessTriggeredText> MakeSign(const Ref<c_PlayerChar>& player, StringView text) {
    auto sign = New<c_ClosenessTriggeredText>(Game().textFont, kSignScale);
    sign->Init(player ? player->absPosition : nullptr);
    if (player) sign->giveWayTo = player->bubble;
    sign->SetText(text);
    return sign;
}

Ref<c_Sprite> MakeLoopingSprite(StringView image, int width, int height, int fps, StringView animation,
                                const std::vector<int>& sequence) {
    auto sprite = New<c_Sprite>(New<c_TileSet>(GetTexture(image), width, height), fps);
    sprite->AddSequence(animation, sequence, true);
    sprite->Play(animation);
    return sprite;
}

struct ObjectPlacement {
    c_LevelHost& stage;
    const Ref<c_PlayerChar>& player;
    StringView imagePrefix;
    c_TileMap& layer;
    float x = 0;
    float y = 0;

    void Centred(const Ref<c_GDO>& object) const {
        // Whole pictures are drawn from their handle: put it at the centre,
        // as sprites' cells are, so every object stands on its base line.
        if (auto* picture = dynamic_cast<c_StaticImage*>(object.get())) {
            if (picture->texture && picture->texture->image)
                picture->texture->image->SetImageHandle(picture->GetWidth() / 2, picture->GetHeight() / 2);
        }
        object->position.Set(x, y - object->GetHeight() / 2);
        layer.AddChild(object, -1);
    }
    void Marker(const Ref<c_GDO>& object) const {
        object->position.Set(x, y - kMarkerLift);
        layer.AddChild(object, -1);
    }

    void Create(StringView key, const Ref<c_XMLNode>& object) const;
};

void ObjectPlacement::Create(StringView key, const Ref<c_XMLNode>& object) const {
    const Ref<c_BasicBoxEngine> engine = stage.BoxEngine();
    if (key == u"ObjectSet_0") {
        stage.Settings().spawn.Set(x, y - kMarkerLift);
    } else if (key == u"ObjectSet_1") {
        auto box = New<c_MovableObject>();
        box->Init(New<c_TileSet>(GetTexture(u"box.png"), 16, 16), engine, stage.WorldCrossing());
        Centred(box);
    } else if (key == u"ObjectSet_2") {
        auto item = New<c_KeyItem>();
        item->Init(engine);
        Centred(item);
        item->StartBobbing();
        item->message = MessageOf(object);
    } else if (key == u"ObjectSet_3") {
        auto door = New<c_Door>();
        door->Init(engine, c_Door::kExitLevel);
        door->name = u"THE_DOOR";
        Centred(door);
    } else if (key == u"ObjectSet_4") {
        auto box = New<c_BreakableBox>();
        box->Init(engine, stage.WorldCrossing());
        Centred(box);
        AddListener(stage.ListenerRef(), box.get(), kBoxBrokeEvent);
    } else if (key == u"ObjectSet_5") {
        Marker(MakeSign(player, MessageOf(object)));
    } else if (key == u"ObjectSet_6") {
        const int level = TiledInt(GetTiledProperty(object, u"level"));
        auto door = New<c_Door>();
        door->Init(engine, level);
        door->name = u"DOOR_" + IntToString(level);
        Centred(door);
        const String title = u"- Level " + IntToString(level) + u" -\n";
        // Progress is 0..6, so adding to it cannot overflow where `level - 1` could.
        const String text = Game().levelProgress + 1 >= level
                                ? title + u"Press DOWN to enter"
                                : title + u"Beat Lv " + IntToString(static_cast<long long>(level) - 1) + u" to unlock";
        auto sign = MakeSign(player, TranslateText(text));
        sign->position.Set(0, -door->GetHeight() / 2 - kDoorSignGap);
        door->AddChild(sign, -1);
    } else if (key == u"ObjectSet_7") {
        auto dialog = New<c_ClosenessTriggeredDialog>();
        dialog->Init(player);
        dialog->InitDialog(MessageOf(object), TiledInt(GetTiledProperty(object, u"duration")));
        Marker(dialog);
    } else if (key == u"ObjectSet_8") {
        auto raiser = New<c_ClosenessTriggeredEventRaiser>();
        raiser->Init(player);
        Object* source = stage.EventSource();
        raiser->InitRaiser(source ? source->shared_from_this() : nullptr);
        Marker(raiser);
        AddListener(stage.ListenerRef(), source, kTriggerEvent);
    } else if (key == u"FlowerSet_0") {
        Centred(MakeLoopingSprite(u"flower_1.png", 9, 10, 5, u"dance", {0, 1, 2, 1}));
    } else if (key == u"WaterSet_0") {
        Centred(MakeLoopingSprite(u"waterfall_top.png", 16, 16, 10, u"fall", {0, 1, 2, 3, 4}));
    } else if (key == u"WaterSet_1") {
        Centred(MakeLoopingSprite(u"waterfall_body.png", 16, 16, 10, u"fall", {0, 1, 2, 3, 4}));
    } else if (key == u"WaterSet_2") {
        Centred(MakeLoopingSprite(u"waterfall_bottom.png", 16, 16, 10, u"fall", {0, 1, 2, 3, 4}));
    } else {
        for (int tree = 0; tree < 4; ++tree) {
            if (key == u"TreeSet_" + IntToString(tree)) {
                Centred(
                    New<c_StaticImage>(GetTexture(String(imagePrefix) + u"tree" + IntToString(tree + 1) + u".png")));
            }
        }
    }
}

int IntAttribute(const Ref<c_XMLNode>& node, StringView name) { return TiledInt(node->GetAttribute(name)); }

// Sizes no level comes near; past them a map could make the collision grid
// and the scenery grow without bound.
constexpr int kMaxTileSize = 256;
constexpr int kMaxLayerCells = 4096;

void CheckCells(StringView what, int width, int height) {
    if (width < 0 || height < 0 || width > kMaxLayerCells || height > kMaxLayerCells) {
        RuntimeError(u"TILED_LOADER: " + String(what) + u" is " + IntToString(width) + u" x " + IntToString(height) +
                     u" cells, over the limit of " + IntToString(kMaxLayerCells) + u" x " +
                     IntToString(kMaxLayerCells) + u"!");
    }
}

void LoadLayer(c_EmptyGDOContainer& container, const Ref<c_XMLNode>& layer, const Ref<c_TileSet>& tiles, int firstGid) {
    const int width = IntAttribute(layer, u"width");
    const int height = IntAttribute(layer, u"height");
    const String name = layer->GetAttribute(u"name");
    // Counted before anything is sized, so a wrong size cannot make a huge
    // layer.
    const std::vector<Ref<c_XMLNode>> cells = layer->GetChild(u"data")->GetChildren(u"tile");
    if (static_cast<long long>(cells.size()) != static_cast<long long>(width) * height) {
        RuntimeError(u"TILED_LOADER: Mismatching tile data count for layer " + name +
                     u" (Expected width x height entries)!");
    }
    CheckCells(u"Layer " + name, width, height);
    auto map = New<c_TileMap>();
    map->Setup(tiles, width, height);
    map->name = name;
    for (std::size_t i = 0; i < cells.size() && i < map->tiles.size(); ++i) {
        const long long gid = IntAttribute(cells[i], u"gid");
        map->tiles[i] = gid >= firstGid ? static_cast<int>(std::min<long long>(gid - firstGid, INT_MAX)) : -1;
    }
    container.AddChild(map, -1);
}

}  // namespace

void c_TileSetStack::Insert(const Ref<c_TilesetInfo>& info) {
    auto at = std::upper_bound(entries.begin(), entries.end(), info->firstGid,
                               [](int gid, const Ref<c_TilesetInfo>& entry) { return gid < entry->firstGid; });
    entries.insert(at, info);
}

Ref<c_TilesetInfo> c_TileSetStack::Find(int gid) const {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if ((*it)->firstGid <= gid) return *it;
    }
    return nullptr;
}

int TiledInt(StringView text) {
    return static_cast<int>(std::clamp<long long>(StringToInt(text, kIntChars), INT_MIN, INT_MAX));
}

double TiledNumber(StringView text) {
    const double value = StringToFloat(text, kNumberChars);
    if (!std::isfinite(value)) return 0;
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

String GetTiledProperty(const Ref<c_XMLNode>& element, StringView name) {
    if (!element) return String();
    return element->GetChild(u"properties")->GetChild(u"property", u"name", name)->GetAttribute(u"value");
}

Ref<c_EmptyGDOContainer> LoadTiledMap(c_LevelHost& stage, float x, float y, StringView excludedLayer,
                                      StringView imagePrefix, const Ref<c_PlayerChar>& player,
                                      const Ref<c_XMLNode>& root) {
    if (!root || root->name != u"map") return nullptr;
    auto container = New<c_EmptyGDOContainer>();
    auto stack = New<c_TileSetStack>();

    const int tileWidth = IntAttribute(root, u"tilewidth");
    const int tileHeight = IntAttribute(root, u"tileheight");
    if (tileWidth > kMaxTileSize || tileHeight > kMaxTileSize) {
        RuntimeError(u"TILED_LOADER: Tile size " + IntToString(tileWidth) + u" x " + IntToString(tileHeight) +
                     u" is over the limit of " + IntToString(kMaxTileSize) + u"!");
    }
    CheckCells(u"The map", IntAttribute(root, u"width"), IntAttribute(root, u"height"));
    const double pixelWidth = static_cast<double>(IntAttribute(root, u"width")) * tileWidth;
    const double pixelHeight = static_cast<double>(IntAttribute(root, u"height")) * tileHeight;

    const std::vector<Ref<c_XMLNode>> tilesets = root->GetChildren(u"tileset");
    if (tilesets.size() >= 2) {
        for (const Ref<c_XMLNode>& set : tilesets) {
            auto info = New<c_TilesetInfo>();
            info->tileHeight = IntAttribute(set, u"tileheight");
            info->tileWidth = IntAttribute(set, u"tilewidth");
            info->firstGid = IntAttribute(set, u"firstgid");
            info->name = set->GetAttribute(u"name");
            stack->Insert(info);
        }
    }

    const Ref<c_XMLNode> first = root->GetChild(u"tileset");
    if (IntAttribute(first, u"tilewidth") != tileWidth || IntAttribute(first, u"tileheight") != tileHeight) {
        RuntimeError(u"TILED_LOADER: Mismatching tileheight or tilewidth between global map and tileset!");
    }
    const int firstGid = IntAttribute(first, u"firstgid");
    if (first->GetChildren(u"image").size() > 1) {
        RuntimeError(u"TILED_LOADER: We only support tilesets with 1 image source!");
    }
    const String source = String(imagePrefix) + first->GetChild(u"image")->GetAttribute(u"source");
    const auto tiles = New<c_TileSet>(GetTexture(source), tileWidth, tileHeight);

    for (const Ref<c_XMLNode>& layer : root->GetChildren(u"layer")) {
        const String name = layer->GetAttribute(u"name");
        const String required = GetTiledProperty(layer, u"requires");
        if (!excludedLayer.empty() && excludedLayer == name) continue;
        if (!required.empty() && container->IndexOfChildByName(required) < 0) continue;
        LoadLayer(*container, layer, tiles, firstGid);
    }

    for (const Ref<c_XMLNode>& group : root->GetChildren(u"objectgroup")) {
        const String layerName = GetTiledProperty(group, u"layer");
        if (layerName.empty()) continue;
        auto layer = std::dynamic_pointer_cast<c_TileMap>(container->FindChildByName(layerName));
        if (!layer) continue;
        for (const Ref<c_XMLNode>& object : group->GetChildren(u"object")) {
            const int gid = IntAttribute(object, u"gid");
            ObjectPlacement place{stage, player, imagePrefix, *layer};
            place.x = static_cast<float>(std::trunc(TiledNumber(object->GetAttribute(u"x"))) - pixelWidth / 2);
            place.y = static_cast<float>(std::trunc(TiledNumber(object->GetAttribute(u"y"))) - pixelHeight / 2);
            String key;
            if (Ref<c_TilesetInfo> set = stack->Find(gid)) {
                key = set->name + u"_" + IntToString(static_cast<long long>(gid) - set->firstGid);
                place.x += static_cast<float>(set->tileWidth) / 2;
            } else {
                key = u"_" + IntToString(gid);
            }
            place.Create(key, object);
        }
    }

    container->position.Set(x, y);
    return container;
}
