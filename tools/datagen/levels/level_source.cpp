// level_source.cpp — reads the readable level format and turns its grids into
// tile layers.
#include "datagen/levels/level_source.h"

#include <cctype>
#include <charconv>
#include <map>
#include <optional>

#include "datagen/levels/tile_table.h"

namespace datagen {

bool IsScenery(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Flower:
        case ObjectKind::WaterTop:
        case ObjectKind::WaterBody:
        case ObjectKind::WaterBottom:
        case ObjectKind::Tree: return true;
        default: return false;
    }
}

const char* ObjectKindName(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Spawn: return "spawn";
        case ObjectKind::Box: return "box";
        case ObjectKind::Key: return "key";
        case ObjectKind::ExitDoor: return "exit";
        case ObjectKind::Breakable: return "breakable";
        case ObjectKind::Sign: return "sign";
        case ObjectKind::LevelDoor: return "door";
        case ObjectKind::Dialog: return "dialog";
        case ObjectKind::Trigger: return "trigger";
        case ObjectKind::Flower: return "flower";
        case ObjectKind::WaterTop:
        case ObjectKind::WaterBody:
        case ObjectKind::WaterBottom: return "waterfall";
        case ObjectKind::Tree: return "tree";
    }
    return "?";
}

namespace {

// ---- legend -----------------------------------------------------------------

enum class Terrain {
    None,
    Earth,
    Stone,
    Ledge,  // solid
    RockFace,
    RockFaceDark,
    Bush,
    Rock,
    Fence,
    Mushrooms,
    Log,
    Lantern,
    ArrowSign,  // behind
    GrassTuft,
    TallGrass,
    Flowers,
    Vines,  // in front
};

std::optional<Terrain> TerrainOf(char c) {
    switch (c) {
        case '.': return Terrain::None;
        case '#': return Terrain::Earth;
        case '=': return Terrain::Stone;
        case '-': return Terrain::Ledge;
        case ':': return Terrain::RockFace;
        case ';': return Terrain::RockFaceDark;
        case '%': return Terrain::Bush;
        case '*': return Terrain::Rock;
        case '+': return Terrain::Fence;
        case '!': return Terrain::Mushrooms;
        case '_': return Terrain::Log;
        case '$': return Terrain::Lantern;
        case '>': return Terrain::ArrowSign;
        case '"': return Terrain::GrassTuft;
        case ',': return Terrain::TallGrass;
        case '^': return Terrain::Flowers;
        case '(': return Terrain::Vines;
        default: return std::nullopt;
    }
}

// Object characters with no properties of their own.
std::optional<ObjectKind> SimpleObjectOf(char c) {
    switch (c) {
        case '@': return ObjectKind::Spawn;
        case 'B': return ObjectKind::Box;
        case 'X': return ObjectKind::Breakable;
        case 'K': return ObjectKind::Key;
        case 'D': return ObjectKind::ExitDoor;
        case 'T': return ObjectKind::Trigger;
        case 'F': return ObjectKind::Flower;
        case 'W': return ObjectKind::WaterBody;  // top and bottom are chosen by the column's run
        default: return std::nullopt;
    }
}

std::optional<ObjectKind> KindByName(std::string_view name) {
    static const std::map<std::string_view, ObjectKind> kinds = {
        {"spawn", ObjectKind::Spawn},
        {"box", ObjectKind::Box},
        {"key", ObjectKind::Key},
        {"exit", ObjectKind::ExitDoor},
        {"breakable", ObjectKind::Breakable},
        {"sign", ObjectKind::Sign},
        {"door", ObjectKind::LevelDoor},
        {"dialog", ObjectKind::Dialog},
        {"trigger", ObjectKind::Trigger},
        {"flower", ObjectKind::Flower},
        {"tree", ObjectKind::Tree},
    };
    auto it = kinds.find(name);
    if (it == kinds.end()) return std::nullopt;
    return it->second;
}

// How far above its cell a sign's text floats by default, so that it reads
// above the character's head rather than across it.
constexpr int kSignRaise = 20;

// ---- parsing ----------------------------------------------------------------

std::string_view TrimView(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool ParseInt(std::string_view s, int& out) {
    if (s.empty()) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

// One object definition: "a = sign \"text\" dy=-4".
struct Definition {
    PlacedObject proto;
    bool used = false;
};

class Reader {
public:
    Reader(const std::string& fileName, LevelSource& out, std::string& error)
        : fileName_(fileName), out_(out), error_(error) {}

    bool Run(std::string_view text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            ++line_;
            if (!Line(text.substr(start, end - start))) return false;
            start = end + 1;
        }
        return Finish();
    }

private:
    bool Fail(const std::string& what) {
        // Line 0: about the file as a whole.
        error_ = fileName_ + (line_ ? ":" + std::to_string(line_) : std::string()) + ": " + what;
        return false;
    }

    bool Line(std::string_view raw) {
        std::string_view line = TrimView(raw);
        if (line.empty() || line.front() == '#') return true;
        if (line.front() == '|') return Row(line);
        if (line == "world 1:" || line == "world 2:") {
            section_ = line[6] == '1' ? Section::World1 : Section::World2;
            if (!out_.grid[section_ == Section::World1 ? 0 : 1].empty())
                return Fail(std::string(line) + " appears twice");
            return true;
        }
        if (line == "objects:") {
            section_ = Section::Objects;
            return true;
        }
        if (section_ == Section::Objects) return DefineObject(line);
        return Property(line);
    }

    bool Row(std::string_view line) {
        if (section_ != Section::World1 && section_ != Section::World2)
            return Fail("a grid row outside \"world 1:\" or \"world 2:\"");
        if (line.size() < 3 || line.back() != '|') return Fail("a grid row holds at least one cell and ends with '|'");
        std::string row(line.substr(1, line.size() - 2));
        auto& grid = out_.grid[section_ == Section::World1 ? 0 : 1];
        if (!grid.empty() && row.size() != grid.front().size())
            return Fail("row is " + std::to_string(row.size()) + " cells wide, the rows above are " +
                        std::to_string(grid.front().size()));
        for (char c : row)
            if (!TerrainOf(c) && !SimpleObjectOf(c) && !std::islower(static_cast<unsigned char>(c)))
                return Fail(std::string("unknown grid character '") + c + "'");
        grid.push_back(std::move(row));
        rowLines_[section_ == Section::World1 ? 0 : 1].push_back(line_);
        return true;
    }

    bool Property(std::string_view line) {
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) return Fail("expected \"name: value\"");
        std::string_view name = TrimView(line.substr(0, colon));
        std::string_view value = TrimView(line.substr(colon + 1));
        auto number = [&](int& into) {
            if (!ParseInt(value, into)) return Fail(std::string(name) + " needs a whole number");
            return true;
        };
        if (name == "title")
            out_.title = value;
        else if (name == "gameMode")
            return number(out_.gameMode);
        else if (name == "bgType")
            return number(out_.bgType);
        else if (name == "forcedSync")
            return number(out_.forcedSync);
        else if (name == "weather1")
            out_.weather = value;
        else
            return Fail("unknown property \"" + std::string(name) + "\"");
        return true;
    }

    bool DefineObject(std::string_view line) {
        if (line.size() < 3 || !std::islower(static_cast<unsigned char>(line[0])) || TrimView(line.substr(1))[0] != '=')
            return Fail("expected \"x = kind ...\" with a lower-case letter x");
        char letter = line[0];
        if (definitions_.count(letter)) return Fail(std::string("'") + letter + "' is defined twice");
        std::string_view rest = TrimView(TrimView(line.substr(1)).substr(1));

        // Words and quoted texts.
        std::vector<std::string> words;
        std::optional<std::string> quoted;
        while (!rest.empty()) {
            if (rest.front() == '"') {
                std::size_t close = rest.find('"', 1);
                if (close == std::string_view::npos) return Fail("unclosed quote");
                if (quoted) return Fail("only one quoted text per object");
                quoted = std::string(rest.substr(1, close - 1));
                rest = TrimView(rest.substr(close + 1));
                continue;
            }
            std::size_t space = 0;
            while (space < rest.size() && !std::isspace(static_cast<unsigned char>(rest[space]))) ++space;
            words.emplace_back(rest.substr(0, space));
            rest = TrimView(rest.substr(space));
        }
        if (words.empty()) return Fail("missing object kind");
        auto kind = KindByName(words[0]);
        if (!kind) return Fail("unknown object kind \"" + words[0] + "\"");

        Definition def;
        def.proto.kind = *kind;
        if (*kind == ObjectKind::Sign) {
            def.proto.dy = -kSignRaise;
            def.proto.signPost = true;
        }
        if (quoted) {
            if (*kind != ObjectKind::Sign && *kind != ObjectKind::Dialog && *kind != ObjectKind::Key)
                return Fail("only signs, dialogs and keys carry a text");
            // The game's XML reader decodes no entities, so these cannot be written.
            if (quoted->find_first_of("&<>") != std::string::npos) return Fail("texts cannot hold '&', '<' or '>'");
            // The translation table is "English==Spanish" with both sides
            // trimmed, so a text with "==" or with blanks at its ends could
            // never be matched by its entry.
            if (quoted->find("==") != std::string::npos) return Fail("texts cannot hold \"==\"");
            if (!quoted->empty() &&
                (TrimView(*quoted) != *quoted || quoted->starts_with("\\n") || quoted->ends_with("\\n")))
                return Fail("texts cannot begin or end with blanks or line breaks");
            def.proto.text = *quoted;
        } else if (*kind == ObjectKind::Sign || *kind == ObjectKind::Dialog) {
            return Fail("a " + words[0] + " needs a quoted text");
        }
        bool numbered = false;
        for (std::size_t i = 1; i < words.size(); ++i) {
            const std::string& w = words[i];
            std::size_t eq = w.find('=');
            int value = 0;
            if (eq == std::string::npos) {
                if (w == "nopost" && *kind == ObjectKind::Sign) {
                    def.proto.signPost = false;
                    continue;
                }
                if (!ParseInt(w, value) || numbered) return Fail("unexpected \"" + w + "\"");
                numbered = true;
                if (*kind == ObjectKind::LevelDoor && value >= 1)
                    def.proto.level = value;
                else if (*kind == ObjectKind::Tree && value >= 1 && value <= 4)
                    def.proto.variant = value;
                else
                    return Fail("\"" + w + "\" is not a number this kind takes");
                continue;
            }
            std::string key = w.substr(0, eq);
            if (!ParseInt(std::string_view(w).substr(eq + 1), value)) return Fail(key + " needs a whole number");
            if (key == "dx")
                def.proto.dx += value;
            else if (key == "dy")
                def.proto.dy += value;
            else if (key == "duration" && *kind == ObjectKind::Dialog && value >= 0)
                def.proto.duration = value;
            else
                return Fail("unknown option \"" + key + "\"");
        }
        if (*kind == ObjectKind::LevelDoor && def.proto.level == 0) return Fail("a door needs its level number");
        definitions_[letter] = def;
        return true;
    }

    bool Finish() {
        line_ = 0;
        if (out_.grid[0].empty()) return Fail("no \"world 1:\" grid");
        if (out_.HasWorld2() &&
            (out_.grid[1].size() != out_.grid[0].size() || out_.grid[1][0].size() != out_.grid[0][0].size()))
            return Fail("both worlds must have the same size");
        if (out_.gameMode == 1 && out_.HasWorld2()) return Fail("game mode 1 has one world: drop \"world 2:\"");
        if (out_.gameMode != 1 && !out_.HasWorld2()) return Fail("this game mode needs \"world 2:\"");
        out_.height = static_cast<int>(out_.grid[0].size());
        out_.width = static_cast<int>(out_.grid[0][0].size());

        int spawns = 0, triggers = 0;
        for (int w = 0; w < 2; ++w) {
            const auto& grid = out_.grid[w];
            for (int r = 0; r < static_cast<int>(grid.size()); ++r)
                for (int c = 0; c < out_.width; ++c) {
                    line_ = rowLines_[w][r];
                    char ch = grid[r][c];
                    PlacedObject obj;
                    if (auto simple = SimpleObjectOf(ch)) {
                        obj.kind = *simple;
                        if (ch == 'W') obj.kind = WaterPiece(grid, r, c);
                    } else if (std::islower(static_cast<unsigned char>(ch))) {
                        auto it = definitions_.find(ch);
                        if (it == definitions_.end())
                            return Fail(std::string("'") + ch + "' is not defined under \"objects:\"");
                        it->second.used = true;
                        obj = it->second.proto;
                    } else {
                        continue;
                    }
                    obj.world = w + 1;
                    obj.col = c;
                    obj.row = r;
                    if (obj.kind == ObjectKind::Spawn) {
                        if (w != 0) return Fail("the spawn point belongs to world 1 (both characters start there)");
                        ++spawns;
                    }
                    if (obj.kind == ObjectKind::Trigger) ++triggers;
                    out_.objects.push_back(obj);
                }
        }
        line_ = 0;
        if (spawns != 1) return Fail("world 1 needs exactly one spawn point '@'");
        // Every trigger slides the windows in again, so more than one would
        // replay the slide; modes 0 and 1 have nothing to slide.
        bool sliding = out_.gameMode != 0 && out_.gameMode != 1;
        if (sliding && triggers != 1) return Fail("a sliding game mode needs exactly one trigger 'T'");
        if (!sliding && triggers != 0) return Fail("triggers only slide windows in sliding game modes");
        for (auto& [letter, def] : definitions_)
            if (!def.used) return Fail(std::string("'") + letter + "' is defined but not placed");
        return true;
    }

    static ObjectKind WaterPiece(const std::vector<std::string>& grid, int r, int c) {
        bool above = r > 0 && grid[r - 1][c] == 'W';
        bool below = r + 1 < static_cast<int>(grid.size()) && grid[r + 1][c] == 'W';
        if (!above && below) return ObjectKind::WaterTop;
        if (above && !below) return ObjectKind::WaterBottom;
        return ObjectKind::WaterBody;
    }

    enum class Section { None, World1, World2, Objects };
    const std::string& fileName_;
    LevelSource& out_;
    std::string& error_;
    int line_ = 0;
    Section section_ = Section::None;
    std::vector<int> rowLines_[2];
    std::map<char, Definition> definitions_;
};

}  // namespace

bool ParseLevelSource(std::string_view text, const std::string& fileName, LevelSource& out, std::string& error) {
    out = LevelSource{};
    std::string stem = fileName;
    if (auto slash = stem.find_last_of('/'); slash != std::string::npos) stem = stem.substr(slash + 1);
    if (auto dot = stem.find('.'); dot != std::string::npos) stem = stem.substr(0, dot);
    out.name = stem;
    Reader reader(fileName, out, error);
    return reader.Run(text);
}

// ---- tiles ------------------------------------------------------------------

WorldTiles BuildWorldTiles(const LevelSource& level, int world) {
    const auto& grid = level.grid[world - 1];
    const int w = level.width, h = level.height;
    WorldTiles out;
    out.base.assign(static_cast<std::size_t>(w) * h, -1);
    out.solid = out.base;
    out.front = out.base;
    if (grid.empty()) return out;

    auto terrain = [&](int c, int r) -> std::optional<Terrain> {
        if (c < 0 || r < 0 || c >= w || r >= h) return std::nullopt;  // outside
        return TerrainOf(grid[r][c]).value_or(Terrain::None);
    };
    // Same family, or outside the map.
    auto joins = [&](int c, int r, Terrain family) {
        auto t = terrain(c, r);
        return !t || *t == family;
    };
    auto alone = [&](int c, int r, Terrain family) {
        return !joins(c, r - 1, family) && !joins(c + 1, r, family) && !joins(c, r + 1, family) &&
               !joins(c - 1, r, family);
    };

    // Earth picks its frame by which sides face open air; a fill cell below
    // a corner of open air is the inner corner where ground meets a rising wall.
    auto earth = [&](int c, int r) {
        const Terrain e = Terrain::Earth;
        const bool up = joins(c, r - 1, e), right = joins(c + 1, r, e), down = joins(c, r + 1, e),
                   left = joins(c - 1, r, e);
        if (!up) {
            if (left && right) return tiles::kTop;
            if (right) return tiles::kTopLeft;
            if (left) return tiles::kTopRight;
            return down ? tiles::kColumnTop : tiles::kBlock;
        }
        if (!down) {
            if (left && right) return tiles::kUnder;
            if (right) return tiles::kUnderLeft;
            if (left) return tiles::kUnderRight;
            return tiles::kColumnBottom;
        }
        if (!left && !right) return tiles::kColumnMiddle;
        if (!left) return tiles::kWallLeft;
        if (!right) return tiles::kWallRight;
        if (!joins(c - 1, r - 1, e)) return tiles::kInnerTopLeft;
        if (!joins(c + 1, r - 1, e)) return tiles::kInnerTopRight;
        // A little variety in the fill, the same on every run.
        switch ((c * 7 + r * 13) % 11) {
            case 0: return tiles::kFillVariantA;
            case 5: return tiles::kFillVariantB;
            default: return tiles::kFill;
        }
    };

    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            std::size_t i = static_cast<std::size_t>(r) * w + c;
            const Terrain t = *terrain(c, r);
            const bool sameLeft = terrain(c - 1, r) == t, sameRight = terrain(c + 1, r) == t;
            switch (t) {
                case Terrain::None: break;
                case Terrain::Earth: out.solid[i] = earth(c, r); break;
                case Terrain::Stone: out.solid[i] = alone(c, r, t) ? tiles::kStoneBlock : tiles::kStoneWall; break;
                case Terrain::Ledge:
                    out.solid[i] = sameLeft && sameRight ? tiles::kLedgeMiddle
                                   : sameRight           ? tiles::kLedgeLeft
                                   : sameLeft            ? tiles::kLedgeRight
                                                         : tiles::kLedgeSingle;
                    break;
                case Terrain::RockFace: out.base[i] = tiles::kRockFace; break;
                case Terrain::RockFaceDark: out.base[i] = tiles::kRockFaceDark; break;
                case Terrain::Bush: {
                    // A run of '%' alternates the two bushes into a hedge.
                    int run = 0;
                    while (c - run - 1 >= 0 && terrain(c - run - 1, r) == Terrain::Bush) ++run;
                    out.base[i] = run % 2 == 0 ? tiles::kBush : tiles::kBushOther;
                    break;
                }
                case Terrain::Rock: out.base[i] = tiles::kRock; break;
                case Terrain::Fence: out.base[i] = tiles::kFence; break;
                case Terrain::Mushrooms: out.base[i] = tiles::kMushrooms; break;
                case Terrain::Log: out.base[i] = tiles::kLog; break;
                case Terrain::Lantern: out.base[i] = tiles::kLantern; break;
                case Terrain::ArrowSign: out.base[i] = tiles::kArrowSign; break;
                case Terrain::GrassTuft: out.front[i] = tiles::kGrassTuft; break;
                case Terrain::TallGrass: out.front[i] = tiles::kTallGrass; break;
                case Terrain::Flowers: out.front[i] = tiles::kFlowers; break;
                case Terrain::Vines:
                    out.front[i] = terrain(c, r + 1) == Terrain::Vines ? tiles::kVines : tiles::kVineEnd;
                    break;
            }
        }
    for (const PlacedObject& obj : level.objects)
        if (obj.world == world && obj.signPost)
            out.base[static_cast<std::size_t>(obj.row) * w + obj.col] = tiles::kSignPost;
    return out;
}

}  // namespace datagen
