// Messages as a person could send them, through the server's decoder. A
// message the decoder accepts encodes to bytes that decode and encode again
// unchanged, and its changes apply to a world without fault; one it refuses
// names why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/MyTamoEngineCore.h"
#include "net/ChangeApplier.h"
#include "net/Protocol.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

struct World {
    MyTamoEngineCore core{nullptr, nullptr, nullptr, 100, 3, 4};
    World() { core.buildWorld(WorldHost::History::None); }
};

std::vector<uint8_t> encode(const Protocol::Message& message) {
    switch (message.kind) {
    case Protocol::Kind::Hello: {
        // Another version's greeting keeps its version only.
        std::vector<uint8_t> bytes = Protocol::hello(message.name, message.password);
        if (message.version != Protocol::Version)
            bytes.resize(5);
        // The version is the sender's, not ours.
        for (int i = 0; i < 4; ++i)
            bytes[1 + i] = static_cast<uint8_t>(message.version >> (8 * i));
        return bytes;
    }
    case Protocol::Kind::Submit:
        return Protocol::submit(message.batch, message.changes);
    case Protocol::Kind::Move:
        return Protocol::move(message.position);
    case Protocol::Kind::Holding:
        return Protocol::holding(message.held);
    case Protocol::Kind::Picture:
        return Protocol::picture(message.kind, message.texture, message.png);
    default:
        return {};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    Protocol::Message message;
    std::string why;
    if (!Protocol::decodeFromPerson(data, size, &message, &why)) {
        if (why.empty())
            std::abort();
        return 0;
    }
    const std::vector<uint8_t> again = encode(message);
    Protocol::Message second;
    if (!Protocol::decodeFromPerson(again.data(), again.size(), &second, &why))
        std::abort();
    if (encode(second) != again)
        std::abort();
    ChangeApplier applier(*world.core.map, *world.core.sprites, world.core);
    for (const Protocol::Change& change : message.changes)
        applier.apply(change);
    // Keep the world small across runs.
    if (world.core.map->sectorCount() > 64 || world.core.sprites->count() > 256) {
        world.core.sprites->replaceAll({});
        world.core.map->replaceSectors({});
    }
    return 0;
}
