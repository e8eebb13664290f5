// Doors, keys, proximity triggers and what a character's contact with them
// does, in a small level world with a stand-in stage.
#include <gtest/gtest.h>

#include "framework/game.h"
#include "host/progress.h"
#include "level/character_contact.h"
#include "level/closeness_triggers.h"
#include "level/door.h"
#include "level/key_item.h"
#include "level/level_world.h"
#include "level/stub_level_host.h"

using namespace level_test;

namespace {

// What the character's bubble shows, and for how long.
String SaidBy(const c_PlayerChar& character) { return character.bubble->label->text; }
int SaidForMs(const c_PlayerChar& character) { return character.bubble->hideTimer; }

bool IsObstacle(const c_BasicBoxEngine& engine, const Ref<c_CollisionBox>& box) {
    return std::find(engine.obstacles.begin(), engine.obstacles.end(), box) != engine.obstacles.end();
}

// A world 1 (the level world's layer) and a world 2 layer, each with an exit
// door, and the stand-in stage that owns them.
struct DoorWorld : LevelWorld {
    DoorWorld() {
        dir.Write("data/door.png", Sheet(28, 44, 11, 1));
        dir.Write("data/key.png", Sheet(19, 17, 8, 1));
        layer2->Setup(New<c_TileSet>(GetTexture(u"tiles.png"), kCell, kCell), kColumns, kRows);
        layer2->name = u"solid_2";
        layer2->position.Set(0, 2000);
        root->AddChild(layer2);
        stage->engine = engine;
        stage->solid1 = layer.get();
        stage->solid2 = layer2.get();
        stage->level = 3;
        Game().levelProgress = 1;
    }
    ~DoorWorld() { Game().levelProgress = 0; }
    Ref<c_Door> AddDoor(c_TileMap& into, int level, float x) {
        auto door = New<c_Door>();
        door->Init(engine, level);
        if (level < 0) door->name = u"THE_DOOR";
        door->position.Set(x, 0);
        into.AddChild(door);
        return door;
    }
    Ref<c_KeyItem> AddKey(float x, float y) {
        auto key = New<c_KeyItem>();
        key->Init(engine);
        key->position.Set(x, y);
        layer->AddChild(key);
        key->absPosition->Refresh();
        return key;
    }
    // The contact of `actor` with `box`, as the stage hands it over.
    void Touch(c_PlayerChar& actor, c_PlayerChar* partner, const Ref<c_CollisionBox>& box) {
        c_CollisionData contact;
        contact.other = box;
        HandleCharacterContact(*stage, actor, partner, contact);
    }

    Ref<c_TileMap> layer2 = New<c_TileMap>();
    Ref<StubLevelHost> stage = New<StubLevelHost>();
};

// Hands every contact of a character's body to the contact handling, as the
// level stage does.
class ContactRelay final : public Object, public c_EventListener {
public:
    DoorWorld* world = nullptr;
    c_PlayerChar* actor = nullptr;
    void OnEvent(Object*, int eventId, Object* data) override {
        if (eventId == kCollisionEventObstacle)
            HandleCharacterContact(*world->stage, *actor, nullptr, static_cast<c_CollisionData&>(*data));
    }
};

}  // namespace

TEST(Keys, ACharacterPicksUpOneKeyAndIsToldAboutASecond) {
    DoorWorld world;
    world.Ground(0, 6, 20, 1);
    auto hero = world.AddCharacter(0, DoorWorld::StandingY(6, 25));
    auto relay = New<ContactRelay>();
    relay->world = &world;
    relay->actor = hero.get();
    AddListener(relay, hero->bodyBox.get(), kAnyEvent);

    auto first = world.AddKey(0, DoorWorld::StandingY(6, 17));
    first->message = u"Take me home";
    world.Step();  // the engine reports the overlap; the key is picked up
    EXPECT_TRUE(hero->hasKey);
    EXPECT_EQ(first->parent, nullptr);
    EXPECT_FALSE(IsObstacle(*world.engine, first->box));
    EXPECT_EQ(SaidBy(*hero), u"Take me home");
    EXPECT_EQ(SaidForMs(*hero), 4000);
    EXPECT_EQ(world.CountPlayed(u"KEY"), 1);

    auto second = world.AddKey(0, DoorWorld::StandingY(6, 17));
    world.Step();
    EXPECT_EQ(SaidBy(*hero), u"I already have a key...");
    EXPECT_EQ(SaidForMs(*hero), 1000);
    EXPECT_EQ(second->parent, world.layer.get());
    EXPECT_TRUE(IsObstacle(*world.engine, second->box));
    EXPECT_EQ(world.CountPlayed(u"KEY"), 0);
}

TEST(Keys, BobbingMovesTheKeyThreePixelsEachWay) {
    DoorWorld world;
    auto key = world.AddKey(10, 20);
    key->StartBobbing();
    float low = 20, high = 20;
    for (int i = 0; i < 120; ++i) {  // about two swings
        world.root->Update(16);
        low = std::min(low, key->position.y);
        high = std::max(high, key->position.y);
        EXPECT_EQ(key->absPosition->y, key->position.y);  // the box follows
    }
    EXPECT_NEAR(low, 17, 0.05);
    EXPECT_NEAR(high, 23, 0.05);
}

TEST(ExitDoor, OpensOnlyWhenEveryCharacterHoldsAKeyAtItsDoorInTheSameUpdate) {
    struct Case {
        const char* name;
        bool withPartner, actorKey, partnerKey, partnerTouching;
        const char16_t* said;
        bool opens;
    };
    const Case cases[] = {
        {"alone without key", false, false, false, false, u"I need the key...", false},
        {"alone with key", false, true, false, false, u"", true},
        {"partner has none", true, true, false, true, u"It's not opening.\nAm I missing something?", false},
        {"actor has none", true, false, true, true, u"I need the key...", false},
        {"partner elsewhere", true, true, true, false, u"", false},
        {"both at their doors", true, true, true, true, u"", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoorWorld world;
        auto door1 = world.AddDoor(*world.layer, -1, 40);
        auto door2 = world.AddDoor(*world.layer2, -1, 40);
        auto actor = world.AddCharacter(40, 0);
        Ref<c_PlayerChar> partner;
        if (c.withPartner) {
            partner = New<c_PlayerChar>();
            partner->Setup(u"char2_spritesheet.png", 16, 25, false);
            world.layer2->AddChild(partner);
            partner->hasKey = c.partnerKey;
            partner->touchingDoor = c.partnerTouching;
        }
        actor->hasKey = c.actorKey;
        world.Touch(*actor, partner.get(), door1->box);

        EXPECT_TRUE(actor->touchingDoor);
        EXPECT_EQ(SaidBy(*actor), c.said);
        EXPECT_EQ(door1->open, c.opens);
        EXPECT_EQ(door2->open, c.opens);
        EXPECT_EQ(IsObstacle(*world.engine, door1->box), !c.opens);
        EXPECT_EQ(world.CountPlayed(u"DOOR"), c.opens ? 1 : 0);
        if (c.opens) {
            ASSERT_EQ(world.stage->exits.size(), 1u);
            EXPECT_EQ(world.stage->exits[0].nextLevel, 4);
            EXPECT_EQ(world.stage->exits[0].durationMs, 2000);
            EXPECT_EQ(world.stage->exits[0].red + world.stage->exits[0].green + world.stage->exits[0].blue, 765);
            EXPECT_FALSE(actor->hasKey);
            if (partner) {
                EXPECT_FALSE(partner->hasKey);
            }
            EXPECT_EQ(Game().levelProgress, 3);
            EXPECT_EQ(LoadProgress(), 3);
            // Touching the open door again changes nothing.
            world.Touch(*actor, partner.get(), door1->box);
            EXPECT_EQ(world.stage->exits.size(), 1u);
            EXPECT_EQ(SaidBy(*actor), c.said);
        } else {
            EXPECT_TRUE(world.stage->exits.empty());
            EXPECT_EQ(Game().levelProgress, 1);
        }
    }
}

TEST(ExitDoor, ReplayingAnEarlierLevelKeepsTheSavedProgress) {
    DoorWorld world;
    world.stage->level = 2;
    Game().levelProgress = 5;
    auto door = world.AddDoor(*world.layer, -1, 0);
    auto actor = world.AddCharacter(0, 0);
    actor->hasKey = true;
    world.Touch(*actor, nullptr, door->box);
    ASSERT_TRUE(door->open);
    EXPECT_EQ(Game().levelProgress, 5);
    EXPECT_EQ(LoadProgress(), 5);
    EXPECT_EQ(world.stage->exits.at(0).nextLevel, 3);
}

TEST(LevelDoor, OpensForACrouchingCharacterWhoBeatThePreviousLevel) {
    struct Case {
        int level, progress;
        bool crouching, opens;
    };
    for (const Case& c :
         {Case{3, 1, true, false}, Case{3, 2, false, false}, Case{3, 2, true, true}, Case{1, 0, true, true}}) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " progress " << c.progress);
        DoorWorld world;
        Game().levelProgress = c.progress;
        auto door = world.AddDoor(*world.layer, c.level, 0);
        auto actor = world.AddCharacter(0, 0);
        if (c.crouching) actor->animState = c_PlayerChar::kCrouch;
        world.Touch(*actor, nullptr, door->box);
        EXPECT_TRUE(actor->touchingDoor);
        EXPECT_EQ(door->open, c.opens);
        EXPECT_EQ(world.CountPlayed(u"DOOR"), c.opens ? 1 : 0);
        ASSERT_EQ(world.stage->exits.size(), c.opens ? 1u : 0u);
        if (c.opens) {
            EXPECT_EQ(world.stage->exits[0].nextLevel, c.level);
            EXPECT_EQ(world.stage->exits[0].durationMs, 2000);
            world.Touch(*actor, nullptr, door->box);  // still crouching at the open door
            EXPECT_EQ(world.CountPlayed(u"DOOR"), 0);
        }
        EXPECT_EQ(Game().levelProgress, c.progress);
    }
}

TEST(Triggers, DialogsAndEventRaisersFireOnceWhenTheCharacterComesNear) {
    DoorWorld world;
    auto hero = world.AddCharacter(0, 0);
    AddListener(world.stage, world.stage.get(), kTriggerEvent);
    auto near = New<c_ClosenessTriggeredDialog>();
    near->Init(hero);
    near->InitDialog(u"Where am I?", 0);
    near->position.Set(37, -47);
    auto far = New<c_ClosenessTriggeredDialog>();
    far->Init(hero);
    far->InitDialog(u"Too far", 1500);
    far->position.Set(38, 0);
    auto raiser = New<c_ClosenessTriggeredEventRaiser>();
    raiser->Init(hero);
    raiser->InitRaiser(world.stage);
    raiser->position.Set(0, 30);
    for (auto& trigger : std::initializer_list<Ref<c_GDO>>{near, far, raiser}) world.layer->AddChild(trigger);

    world.root->Update(16);
    EXPECT_EQ(SaidBy(*hero), u"Where am I?");
    EXPECT_EQ(SaidForMs(*hero), 4000);
    EXPECT_EQ(near->parent, nullptr);
    EXPECT_EQ(far->parent, world.layer.get());
    EXPECT_EQ(far->duration, 1500);
    EXPECT_EQ(raiser->parent, nullptr);
    EXPECT_EQ(world.stage->events, (std::vector<std::pair<Object*, int>>{{world.stage.get(), kTriggerEvent}}));

    hero->Say(u"Quiet", 0);
    world.root->Update(16);
    EXPECT_EQ(SaidBy(*hero), u"Quiet");
    EXPECT_EQ(world.stage->events.size(), 1u);
}

TEST(Triggers, SignsFadeFivePercentPerUpdateAndBobWithoutMoving) {
    DoorWorld world;
    auto hero = world.AddCharacter(0, 0);
    auto sign = New<c_ClosenessTriggeredText>(nullptr, 0.25f);
    sign->Init(hero->absPosition);
    sign->SetText(u"Hello");
    sign->position.Set(38, 48);  // the edges count as near
    world.layer->AddChild(sign);
    EXPECT_EQ(sign->alpha, 0);
    EXPECT_EQ(sign->shadowOffset.x, 1);

    sign->Update(16);
    EXPECT_FLOAT_EQ(sign->alpha, 0.05f);
    sign->Update(16);
    EXPECT_FLOAT_EQ(sign->alpha, 0.0975f);
    for (int i = 0; i < 200; ++i) sign->Update(16);
    EXPECT_GT(sign->alpha, 0.99f);
    EXPECT_LT(sign->alpha, 1.0f);

    sign->position.Set(39, 0);
    const float before = sign->alpha;
    sign->Update(16);
    EXPECT_FLOAT_EQ(sign->alpha, before * 0.95f);

    sign->Update(100);  // the bob is away from zero
    ASSERT_NE(sign->bobTween->value, 0);
    world.frame.Begin();
    sign->Render();
    world.frame.End();
    EXPECT_EQ(sign->position.y, 0);
}

TEST(Triggers, ASignUnderTheCharactersOpenBubbleFadesOutUntilItCloses) {
    DoorWorld world;
    auto hero = world.AddCharacter(0, 0);
    world.root->AddChild(hero->bubble);  // the stage puts it in the world
    hero->bubble->position.Set(0, -19);  // over the head
    auto sign = [&](float x, float y) {
        auto s = New<c_ClosenessTriggeredText>(nullptr, 0.25f);
        s->Init(hero->absPosition);
        s->giveWayTo = hero->bubble;
        s->position.Set(x, y);
        world.layer->AddChild(s);
        return s;
    };
    auto above = sign(0, -20);  // where the bubble's body opens
    auto beside = sign(30, 0);  // near, but clear of it
    for (int i = 0; i < 100; ++i) world.root->Update(16);
    ASSERT_GT(above->alpha, 0.99f);

    hero->Say(u"Hello", 0);
    world.root->Update(16);
    EXPECT_TRUE(above->UnderBubble());
    EXPECT_FALSE(beside->UnderBubble());
    for (int i = 0; i < 100; ++i) world.root->Update(16);
    EXPECT_LT(above->alpha, 0.01f);
    EXPECT_GT(beside->alpha, 0.99f);

    hero->bubble->Close(true);
    for (int i = 0; i < 100; ++i) world.root->Update(16);
    EXPECT_GT(above->alpha, 0.99f) << "back once the bubble is gone";
}

TEST(Doors, OpeningTakesTheBoxOutOfTheEngineOnce) {
    DoorWorld world;
    auto door = world.AddDoor(*world.layer, -1, 0);
    EXPECT_TRUE(IsObstacle(*world.engine, door->box));
    EXPECT_FALSE(door->box->solid);
    EXPECT_FALSE(door->box->raisesEvents);
    EXPECT_EQ(door->box->halfWidth * 2, 28);
    EXPECT_EQ(door->sequenceName, u"closed");
    door->OpenDoor();
    door->OpenDoor();
    EXPECT_TRUE(door->open);
    EXPECT_FALSE(IsObstacle(*world.engine, door->box));
    EXPECT_EQ(door->sequenceName, u"open");
}
