#include "app/SharedSession.h"

#include <cstdio>
#include <limits>

#include "app/ApplicationRunner.h"
#include "app/StatusCaption.h"
#include "app/TextureShelf.h"
#include "engine/TamoEditorUserAvatar.h"
#include "engine/TamoEngineCore.h"
#include "net/CityClient.h"
#include "net/SharedCity.h"
#include "platform/GLContext.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

// Long enough to stay until something else is shown.
constexpr uint32_t StandingCaptionMilliseconds = std::numeric_limits<uint32_t>::max() / 2;
constexpr uint32_t UndoCaptionMilliseconds = 2000;
// The others' figures: the person type of the world sheet, as tall as the
// figures people place, standing with their heads at eye height.
constexpr int32_t PersonSpriteType = 0;
constexpr float PersonHeight = 30.0f;

// "UNDO", "UNDO PARTLY" or "NOTHING TO UNDO", and the same for redo.
std::string outcomeCaption(SharedWorld::UndoOutcome outcome, const std::string& verb) {
    switch (outcome) {
    case SharedWorld::UndoOutcome::Nothing:
        return "NOTHING TO " + verb;
    case SharedWorld::UndoOutcome::Partly:
        return verb + " PARTLY";
    default:
        return verb;
    }
}

}  // namespace

SharedSession::SharedSession(TamoEngineCore& core)
        : core(core), people(std::make_unique<TamoSpriteObjectSet>(&core)) {
    keepFramesWhileInactive(true);
}

SharedSession::~SharedSession() {
    leave();
    keepFramesWhileInactive(false);
}

bool SharedSession::join(const std::string& address, const std::string& name,
                         const std::string& password, std::string* why) {
    std::string host;
    uint16_t port = 0;
    if (!CityClient::parseAddress(address, &host, &port, why))
        return false;
    city = std::make_unique<SharedCity>(*core.map, *core.sprites, *core.history, core);
    // What the server passed on shows in the next frame, also behind other
    // windows, where frames are otherwise InactiveFrameMilliseconds apart.
    city->setAppliedHook(
        [](uint32_t, uint32_t, const std::vector<Protocol::Change>&) { frameAgainAtOnce(); });
    return city->join(host, port, name.empty() ? "someone" : name, password, why);
}

void SharedSession::usePictures(TextureShelf& shelf) {
    if (!city)
        return;
    SharedCity::Pictures pictures;
    pictures.source = [&shelf](int32_t texture) { return shelf.cityPicture(texture); };
    pictures.held = [&shelf] {
        std::vector<std::pair<int32_t, uint64_t>> held;
        for (const int32_t texture : shelf.pictureIds())
            if (const CityPictures::Bytes png = shelf.cityPicture(texture))
                held.emplace_back(texture, CityPictures::hashOf(*png));
        return held;
    };
    pictures.hook = [&shelf](int32_t texture, CityPictures::Bytes png, const Picture& picture) {
        shelf.putShared(texture, std::move(png), picture);
        frameAgainAtOnce();
    };
    city->usePictures(std::move(pictures));
}

void SharedSession::frame(uint32_t now, StatusCaption& caption) {
    if (!city)
        return;
    std::vector<std::string> notices;
    const SharedCity::Status before = city->status();
    city->update(0, &notices);
    for (const std::string& notice : notices)
        caption.show(notice.c_str(), now);
    if (city->status() == SharedCity::Status::Shared && before != SharedCity::Status::Shared)
        std::fprintf(stderr, "tamotown: joined the shared city as person %u\n",
                     static_cast<unsigned>(city->personId()));
    if (city->status() == SharedCity::Status::Refused && before != SharedCity::Status::Refused)
        std::fprintf(stderr, "tamotown: the shared city refused to let us in: %s\n",
                     city->reason().c_str());
    if (city->status() == SharedCity::Status::Disconnected &&
        before != SharedCity::Status::Disconnected)
        std::fprintf(stderr, "tamotown: disconnected from the shared city: %s\n",
                     city->reason().c_str());
    // A large city shows how much of it has arrived.
    const double arrived = city->cityArrived();
    const std::string joining =
        arrived < 0.0 ? std::string("JOINING")
                      : "JOINING " + std::to_string(static_cast<int>(arrived * 100.0)) + " %";
    if (city->status() == SharedCity::Status::Joining &&
        (!caption.textAt(now) || joining != caption.textAt(now)))
        caption.show(joining.c_str(), now, StandingCaptionMilliseconds);
    if (!caption.textAt(now)) {
        if (city->status() != SharedCity::Status::Shared)
            caption.show("DISCONNECTED", now, StandingCaptionMilliseconds);
    }
    if (city->status() == SharedCity::Status::Shared &&
        now - positionSentAt >= PositionIntervalMilliseconds && core.glContext) {
        positionSentAt = now;
        Protocol::Position position;
        position.point = core.glContext->eye;
        position.heading = core.avatar ? core.avatar->getYaw() : 0.0f;
        city->sendPosition(position);
    }
}

void SharedSession::drawPeople() {
    if (!city)
        return;
    std::vector<SpriteObject> figures;
    for (const auto& [id, person] : city->people()) {
        if (!person.placed)
            continue;
        SpriteObject figure;
        figure.id = static_cast<int32_t>(id);
        figure.position = person.position.point - Vector3(0.0f, PersonHeight, 0.0f);
        figure.angle = person.position.heading;
        figure.type = PersonSpriteType;
        figure.height = PersonHeight;
        figure.name = person.name;
        figures.push_back(std::move(figure));
    }
    people->replaceAll(std::move(figures));
    // Selected figures carry their labels: the name above each.
    for (int32_t i = 0; i < people->count(); ++i)
        people->object(i).selected = true;
    people->drawSprites();
}

void SharedSession::undo(uint32_t now, StatusCaption& caption) {
    caption.show(outcomeCaption(city->undo(), "UNDO").c_str(), now, UndoCaptionMilliseconds);
}

void SharedSession::redo(uint32_t now, StatusCaption& caption) {
    caption.show(outcomeCaption(city->redo(), "REDO").c_str(), now, UndoCaptionMilliseconds);
}

void SharedSession::leave() {
    if (city)
        city->leave();
}
