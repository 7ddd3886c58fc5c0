#include "world/WorldHost.h"

#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

WorldHost::~WorldHost() {
    destroyWorld();
}

void WorldHost::buildWorld(History kept) {
    destroyWorld();
    sprites = new TamoSpriteObjectSet(this);
    map = new TamoMap(this);
    if (kept == History::Kept)
        history = new WorldHistory(*map, *sprites);
}

void WorldHost::destroyWorld() {
    delete history;
    history = nullptr;
    delete sprites;
    sprites = nullptr;
    delete map;
    map = nullptr;
}
