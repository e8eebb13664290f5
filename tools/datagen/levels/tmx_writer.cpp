// tmx_writer.cpp — level source to TMX text.
//
// The game's XML reader takes only double-quoted attributes and names made of
// letters and digits, and decodes no entities; everything written here stays
// inside that (texts were checked for '&', '<' and '>' when read).
#include "datagen/levels/tmx_writer.h"

#include <sstream>

#include "datagen/levels/object_sets.h"
#include "datagen/levels/tile_table.h"

namespace datagen {

namespace {

// Gap between the two worlds in the editor view, in pixels.
constexpr int kEditorWorldGap = 48;

void Property(std::ostringstream& o, const char* indent, const char* name, const std::string& value,
              const char* type = nullptr) {
    o << indent << "<property name=\"" << name << "\"";
    if (type) o << " type=\"" << type << "\"";
    o << " value=\"" << value << "\"/>\n";
}

void TileLayer(std::ostringstream& o, int& nextId, const LevelSource& level, const std::string& name,
               const std::string& requiredLayer, const std::vector<int>& tiles, int offsetY) {
    o << " <layer id=\"" << nextId++ << "\" name=\"" << name << "\" width=\"" << level.width << "\" height=\""
      << level.height << "\"";
    if (offsetY) o << " offsety=\"" << offsetY << "\"";
    o << ">\n";
    if (!requiredLayer.empty()) {
        o << "  <properties>\n";
        Property(o, "   ", "requires", requiredLayer);
        o << "  </properties>\n";
    }
    o << "  <data>\n";
    for (int r = 0; r < level.height; ++r) {
        o << "   ";
        for (int c = 0; c < level.width; ++c) {
            int t = tiles[static_cast<std::size_t>(r) * level.width + c];
            if (t < 0)
                o << "<tile/>";
            else
                o << "<tile gid=\"" << t + 1 << "\"/>";
        }
        o << "\n";
    }
    o << "  </data>\n </layer>\n";
}

void ObjectGroup(std::ostringstream& o, int& nextLayerId, int& nextObjectId, const LevelSource& level,
                 const GidLayout& gids, int world, bool scenery, const std::string& boundTo, int offsetY) {
    o << " <objectgroup id=\"" << nextLayerId++ << "\" name=\"" << (scenery ? "scenery_" : "objects_") << world << "\"";
    if (offsetY) o << " offsety=\"" << offsetY << "\"";
    o << ">\n  <properties>\n";
    Property(o, "   ", "layer", boundTo);
    o << "  </properties>\n";
    for (const PlacedObject& obj : level.objects) {
        if (obj.world != world || IsScenery(obj.kind) != scenery) continue;
        ObjectTile tile = ObjectTileOf(obj);
        const ObjectSetInfo& set = kObjectSets[tile.set];
        ObjectPlace place = PlaceOf(obj);
        o << "  <object id=\"" << nextObjectId++ << "\" name=\"" << ObjectKindName(obj.kind) << "\" gid=\""
          << gids.setFirst[tile.set] + tile.frame << "\" x=\"" << place.centreX - set.tileWidth / 2 << "\" y=\""
          << place.bottomY << "\" width=\"" << set.tileWidth << "\" height=\"" << set.tileHeight << "\"";
        bool props = !obj.text.empty() || obj.kind == ObjectKind::LevelDoor ||
                     (obj.kind == ObjectKind::Dialog && obj.duration > 0);
        if (!props) {
            o << "/>\n";
            continue;
        }
        o << ">\n   <properties>\n";
        if (obj.kind == ObjectKind::Dialog && obj.duration > 0)
            Property(o, "    ", "duration", std::to_string(obj.duration), "int");
        if (obj.kind == ObjectKind::LevelDoor) Property(o, "    ", "level", std::to_string(obj.level), "int");
        if (!obj.text.empty()) Property(o, "    ", "msg", obj.text);
        o << "   </properties>\n  </object>\n";
    }
    o << " </objectgroup>\n";
}

}  // namespace

GidLayout MakeGidLayout() {
    GidLayout g;
    int next = g.tilesFirst + tiles::kCount;
    for (std::size_t i = 0; i < kObjectSets.size(); ++i) {
        g.setFirst[i] = next;
        next += kObjectSets[i].count;
    }
    return g;
}

ObjectPlace PlaceOf(const PlacedObject& obj) {
    return {obj.col * tiles::kSize + tiles::kSize / 2 + obj.dx, (obj.row + 1) * tiles::kSize + obj.dy};
}

TmxImages GameMapImages() {
    TmxImages images{std::string(tiles::kImage), {}};
    for (std::size_t i = 0; i < kObjectSets.size(); ++i) images.sets[i] = std::string("editor/") + kObjectSets[i].image;
    return images;
}

TmxImages EditorMapImages() {
    TmxImages images{std::string(tiles::kImage), {}};
    for (std::size_t i = 0; i < kObjectSets.size(); ++i) images.sets[i] = kObjectSets[i].image;
    return images;
}

std::string WriteTmx(const LevelSource& level, const TmxImages& images, const std::string& note) {
    const GidLayout gids = MakeGidLayout();
    std::ostringstream o;
    int nextLayerId = 1, nextObjectId = 1;
    const int worlds = level.HasWorld2() ? 2 : 1;
    const int objectCount = static_cast<int>(level.objects.size());

    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    o << "<!-- " << note << " -->\n";
    o << "<map version=\"1.8\" tiledversion=\"1.8.2\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\""
      << level.width << "\" height=\"" << level.height << "\" tilewidth=\"" << tiles::kSize << "\" tileheight=\""
      << tiles::kSize << "\" infinite=\"0\" nextlayerid=\"" << 1 + worlds * 5 << "\" nextobjectid=\"" << objectCount + 1
      << "\">\n";
    o << " <properties>\n";
    Property(o, "  ", "bgType", std::to_string(level.bgType), "int");
    Property(o, "  ", "forcedSync", std::to_string(level.forcedSync), "int");
    Property(o, "  ", "gameMode", std::to_string(level.gameMode), "int");
    Property(o, "  ", "weather1", level.weather);
    o << " </properties>\n";

    const int tileRows = (tiles::kCount + tiles::kColumns - 1) / tiles::kColumns;
    o << " <tileset firstgid=\"" << gids.tilesFirst << "\" name=\"tiles\" tilewidth=\"" << tiles::kSize
      << "\" tileheight=\"" << tiles::kSize << "\" tilecount=\"" << tiles::kCount << "\" columns=\"" << tiles::kColumns
      << "\">\n  <image source=\"" << images.tiles << "\" width=\"" << tiles::kColumns * tiles::kSize << "\" height=\""
      << tileRows * tiles::kSize << "\"/>\n </tileset>\n";
    for (std::size_t i = 0; i < kObjectSets.size(); ++i) {
        const ObjectSetInfo& set = kObjectSets[i];
        o << " <tileset firstgid=\"" << gids.setFirst[i] << "\" name=\"" << set.name << "\" tilewidth=\""
          << set.tileWidth << "\" tileheight=\"" << set.tileHeight << "\" tilecount=\"" << set.count << "\" columns=\""
          << set.count << "\">\n  <image source=\"" << images.sets[i] << "\" width=\"" << set.count * set.tileWidth
          << "\" height=\"" << set.tileHeight << "\"/>\n </tileset>\n";
    }

    for (int world = 1; world <= worlds; ++world) {
        const std::string n = std::to_string(world);
        const std::string base = "base_" + n;
        const int offsetY = world == 1 ? 0 : level.height * tiles::kSize + kEditorWorldGap;
        WorldTiles t = BuildWorldTiles(level, world);
        TileLayer(o, nextLayerId, level, base, "", t.base, offsetY);
        ObjectGroup(o, nextLayerId, nextObjectId, level, gids, world, true, base, offsetY);
        TileLayer(o, nextLayerId, level, "solid_" + n, base, t.solid, offsetY);
        ObjectGroup(o, nextLayerId, nextObjectId, level, gids, world, false, "solid_" + n, offsetY);
        TileLayer(o, nextLayerId, level, "front_" + n, base, t.front, offsetY);
    }
    o << "</map>\n";
    return o.str();
}

}  // namespace datagen
