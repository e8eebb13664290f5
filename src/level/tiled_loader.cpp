// tiled_loader.cpp — reads one world of a level from a parsed Tiled map:
// the checks that it is a map the game can play, the tile sets (external ones
// read from their .tsx files inside the data folder), the tile layers
// (exclusions and "requires", cells with their flip bits split off), and the
// objects of each object group, made by their tile-set key and placed on
// their base line in the layer the group names. Broken files end in a
// "TILED_LOADER: " runtime error, and the report names the map file.
#include "level/tiled_loader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "framework/events.h"
#include "framework/game.h"
#include "framework/sprite.h"
#include "framework/static_image.h"
#include "framework/tile_data.h"
#include "framework/tile_map.h"
#include "framework/tile_set.h"
#include "framework/translation.h"
#include "graphics/image.h"
#include "host/files.h"
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
// The game's art, collision and movement are made for one tile size.
constexpr int kGameTileSize = 16;
// Levels hold a few dozen objects; every one becomes a live object.
constexpr int kMaxObjects = 4096;

// The map being read: its file (empty when unknown), and its folder, where
// its relative paths start. Errors keep their messages as they are; the
// report's "File:" line names the map.
struct MapFile {
    String name;
    String folder;
};

[[noreturn]] void Fail(const MapFile&, StringView message) { RuntimeError(u"TILED_LOADER: " + String(message)); }

String FolderOf(StringView path) {
    const std::size_t slash = path.rfind(u'/');
    return slash == StringView::npos ? String() : String(path.substr(0, slash + 1));
}

// `relative` taken from `folder`, both inside the data folder, with "." and
// ".." resolved. False for an absolute path, a scheme or drive (a ':'), a
// backslash, or one that climbs out of the data folder: a map may only name
// files of the game's own data.
bool ResolveInData(StringView folder, StringView relative, String& out) {
    if (relative.empty() || relative.front() == u'/' || relative.find(u'\\') != StringView::npos ||
        relative.find(u':') != StringView::npos)
        return false;
    std::vector<String> parts;
    for (const String& part : Split(String(folder) + String(relative), u"/")) {
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            if (parts.empty()) return false;
            parts.pop_back();
        } else {
            parts.push_back(part);
        }
    }
    if (parts.empty()) return false;
    out = Join(parts, u"/");
    return true;
}

// One <tileset> of the map as the loader reads it; an external one is its
// .tsx file's <tileset> with the map's firstgid, and its image path starts
// from the .tsx file's folder.
struct Tileset {
    Ref<c_XMLNode> node;
    String folder;
};

Tileset ReadTileset(const MapFile& map, const Ref<c_XMLNode>& set) {
    const String source = set->GetAttribute(u"source");
    if (source.empty()) return {set, map.folder};
    String path;
    if (!ResolveInData(map.folder, source, path)) {
        Fail(map, u"Tileset file " + source +
                      u" is outside the data folder; name it relative to the map, without leaving the data folder!");
    }
    const String text = LoadText(path);
    if (text.empty()) Fail(map, u"Tileset file " + path + u" is missing or empty!");
    Ref<c_XMLNode> root = c_XMLParser().Parse(text);
    if (!root || root->name != u"tileset") Fail(map, u"Tileset file " + path + u" holds no <tileset>!");
    root->attributes[u"firstgid"] = set->GetAttribute(u"firstgid");
    return {root, FolderOf(path)};
}

void CheckCells(const MapFile& map, StringView what, int width, int height) {
    if (width < 0 || height < 0 || width > kMaxLayerCells || height > kMaxLayerCells) {
        Fail(map, String(what) + u" is " + IntToString(width) + u" x " + IntToString(height) +
                      u" cells, over the limit of " + IntToString(kMaxLayerCells) + u" x " +
                      IntToString(kMaxLayerCells) + u"!");
    }
}

std::uint8_t FlipsOf(std::uint32_t gid) {
    std::uint8_t flip = 0;
    if (gid & kGidFlipHorizontal) flip |= c_TileMap::kFlipHorizontal;
    if (gid & kGidFlipVertical) flip |= c_TileMap::kFlipVertical;
    if (gid & kGidFlipDiagonal) flip |= c_TileMap::kFlipDiagonal;
    return flip;
}

void LoadLayer(const MapFile& file, c_EmptyGDOContainer& container, const Ref<c_XMLNode>& layer,
               const Ref<c_TileSet>& tiles, int firstGid) {
    const int width = IntAttribute(layer, u"width");
    const int height = IntAttribute(layer, u"height");
    const String name = layer->GetAttribute(u"name");
    const Ref<c_XMLNode> data = layer->GetChild(u"data");
    // Element and CSV data are counted before the size is checked (they
    // grow only with the entries there are); anything to be inflated is
    // sized by the layer, so the size comes first.
    const String encoding = data->GetAttribute(u"encoding");
    if (!encoding.empty() && encoding != u"csv") CheckCells(file, u"Layer " + name, width, height);
    const TileLayerData cells = ReadTileLayerData(*data, width, height);
    if (cells.wrongCount) {
        Fail(file, u"Mismatching tile data count for layer " + name + u" (Expected width x height entries)!");
    }
    if (!cells.error.empty()) Fail(file, u"Layer " + name + u" " + cells.error + u"!");
    CheckCells(file, u"Layer " + name, width, height);
    auto map = New<c_TileMap>();
    map->Setup(tiles, width, height);
    map->name = name;
    for (std::size_t i = 0; i < cells.gids.size() && i < map->tiles.size(); ++i) {
        // The flip bits say how to draw the tile, never which tile it is.
        const long long id = cells.gids[i] & ~kGidFlagBits;
        if (id < firstGid) continue;
        map->tiles[i] = static_cast<int>(std::min<long long>(id - firstGid, INT_MAX));
        map->SetFlip(i, FlipsOf(cells.gids[i]));
    }
    container.AddChild(map, -1);
}

// An object's gid without its flip bits (tile objects are drawn unflipped);
// -1 when the text is no 32-bit gid.
long long ObjectGid(const Ref<c_XMLNode>& object) {
    const long long gid = StringToInt(object->GetAttribute(u"gid"), kIntChars);
    if (gid < 0 || gid > 0xFFFFFFFFll) return -1;
    return gid & ~static_cast<long long>(kGidFlagBits);
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
                                      const Ref<c_XMLNode>& root, StringView mapFile) {
    if (!root || root->name != u"map") return nullptr;
    const MapFile file{String(mapFile), FolderOf(mapFile)};
    // A caller that already names a file (the level stage names the path it
    // opened) keeps it; otherwise the map's own name goes on the report.
    std::optional<ReadingFile> reading;
    if (!mapFile.empty() && ReportedFile().empty()) reading.emplace(mapFile);
    auto container = New<c_EmptyGDOContainer>();
    auto stack = New<c_TileSetStack>();

    const String orientation = root->GetAttribute(u"orientation");
    if (!orientation.empty() && orientation != u"orthogonal") {
        Fail(file, u"The map's orientation is " + orientation + u"; the game draws orthogonal maps only!");
    }
    if (IntAttribute(root, u"infinite") != 0) {
        Fail(file, u"The map is infinite; the game reads fixed-size maps only (turn Infinite off in the editor)!");
    }
    const int tileWidth = IntAttribute(root, u"tilewidth");
    const int tileHeight = IntAttribute(root, u"tileheight");
    if (tileWidth > kMaxTileSize || tileHeight > kMaxTileSize) {
        Fail(file, u"Tile size " + IntToString(tileWidth) + u" x " + IntToString(tileHeight) +
                       u" is over the limit of " + IntToString(kMaxTileSize) + u"!");
    }
    if (tileWidth != kGameTileSize || tileHeight != kGameTileSize) {
        Fail(file, u"Tile size " + IntToString(tileWidth) + u" x " + IntToString(tileHeight) + u" is not the game's " +
                       IntToString(kGameTileSize) + u" x " + IntToString(kGameTileSize) + u"!");
    }
    CheckCells(file, u"The map", IntAttribute(root, u"width"), IntAttribute(root, u"height"));
    const double pixelWidth = static_cast<double>(IntAttribute(root, u"width")) * tileWidth;
    const double pixelHeight = static_cast<double>(IntAttribute(root, u"height")) * tileHeight;

    // Counted before anything is made.
    const std::vector<Ref<c_XMLNode>> groups = root->GetChildren(u"objectgroup");
    std::size_t objectCount = 0;
    for (const Ref<c_XMLNode>& group : groups) objectCount += group->GetChildren(u"object").size();
    if (objectCount > static_cast<std::size_t>(kMaxObjects)) {
        Fail(file, u"The map has " + IntToString(static_cast<long long>(objectCount)) +
                       u" objects, over the limit of " + IntToString(kMaxObjects) + u"!");
    }

    std::vector<Tileset> tilesets;
    for (const Ref<c_XMLNode>& set : root->GetChildren(u"tileset")) tilesets.push_back(ReadTileset(file, set));
    if (tilesets.size() >= 2) {
        for (const Tileset& set : tilesets) {
            auto info = New<c_TilesetInfo>();
            info->tileHeight = IntAttribute(set.node, u"tileheight");
            info->tileWidth = IntAttribute(set.node, u"tilewidth");
            info->firstGid = IntAttribute(set.node, u"firstgid");
            info->name = set.node->GetAttribute(u"name");
            stack->Insert(info);
        }
    }

    // The tile layers draw from the first tile set.
    const Tileset first = tilesets.empty() ? Tileset{root->GetChild(u"tileset"), file.folder} : tilesets.front();
    if (IntAttribute(first.node, u"tilewidth") != tileWidth || IntAttribute(first.node, u"tileheight") != tileHeight) {
        Fail(file, u"Mismatching tileheight or tilewidth between global map and tileset!");
    }
    const int firstGid = IntAttribute(first.node, u"firstgid");
    if (first.node->GetChildren(u"image").size() > 1) Fail(file, u"We only support tilesets with 1 image source!");
    const String setName = first.node->GetAttribute(u"name");
    const String image = first.node->GetChild(u"image")->GetAttribute(u"source");
    if (image.empty()) {
        Fail(file, u"Tileset " + setName + u" has no image source; the game draws its tiles from one image!");
    }
    String imagePath;
    if (!ResolveInData(first.folder, image, imagePath)) {
        Fail(file, u"Tileset " + setName + u"'s image " + image + u" is outside the data folder!");
    }
    const String source = String(imagePrefix) + imagePath;
    const Ref<c_Texture> texture = GetTexture(source);
    if (!texture || !texture->image) Fail(file, u"Tileset " + setName + u"'s image " + source + u" cannot be loaded!");
    const auto tiles = New<c_TileSet>(texture, tileWidth, tileHeight);

    for (const Ref<c_XMLNode>& layer : root->GetChildren(u"layer")) {
        const String name = layer->GetAttribute(u"name");
        const String required = GetTiledProperty(layer, u"requires");
        if (!excludedLayer.empty() && excludedLayer == name) continue;
        if (!required.empty() && container->IndexOfChildByName(required) < 0) continue;
        LoadLayer(file, *container, layer, tiles, firstGid);
    }

    for (const Ref<c_XMLNode>& group : groups) {
        const String layerName = GetTiledProperty(group, u"layer");
        if (layerName.empty()) continue;
        auto layer = std::dynamic_pointer_cast<c_TileMap>(container->FindChildByName(layerName));
        if (!layer) continue;
        for (const Ref<c_XMLNode>& object : group->GetChildren(u"object")) {
            const long long gid = ObjectGid(object);
            ObjectPlacement place{stage, player, imagePrefix, *layer};
            place.x = static_cast<float>(std::trunc(TiledNumber(object->GetAttribute(u"x"))) - pixelWidth / 2);
            place.y = static_cast<float>(std::trunc(TiledNumber(object->GetAttribute(u"y"))) - pixelHeight / 2);
            String key;
            if (Ref<c_TilesetInfo> set = gid >= 0 ? stack->Find(static_cast<int>(gid)) : nullptr) {
                key = set->name + u"_" + IntToString(gid - set->firstGid);
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
