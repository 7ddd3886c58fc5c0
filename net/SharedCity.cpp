#include "net/SharedCity.h"

#include <cctype>

#include "world/WorldHistory.h"

namespace {

std::string upper(std::string text) {
    for (char& ch : text)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return text;
}

void tell(std::vector<std::string>* notices, const std::string& line) {
    if (notices)
        notices->push_back(line);
}

}  // namespace

SharedCity::SharedCity(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history,
                       WorldHost& host)
        : world(map, sprites, history, host) {}

bool SharedCity::join(const std::string& host, uint16_t port, const std::string& name,
                      const std::string& password, std::string* why) {
    if (!client.connect(host, port, name, password, why)) {
        current = Status::Disconnected;
        return false;
    }
    current = Status::Joining;
    return true;
}

void SharedCity::send(std::vector<Protocol::Change>&& changes) {
    if (changes.empty())
        return;
    offerPictures(changes, nullptr);
    client.sendChanges(nextBatch++, changes);
}

void SharedCity::offerPictures(const std::vector<Protocol::Change>& changes,
                               std::vector<std::string>* notices) {
    if (!picturesIn.source)
        return;
    for (const Protocol::Change& change : changes) {
        if (change.type != Protocol::Change::CellSet)
            continue;
        for (const FaceMaterial& face : change.block.faces) {
            if (face.texture < Protocol::FirstPictureTexture ||
                !offered.insert(face.texture).second)
                continue;
            const CityPictures::Bytes png = picturesIn.source(face.texture);
            if (png && png->size() <= Protocol::MaxPictureBytes)
                client.sendPicture(face.texture, *png);
            else if (png)
                tell(notices, "PICTURE " + std::to_string(face.texture) + " TOO LARGE TO SHARE");
        }
    }
}

void SharedCity::takePicture(Protocol::Message& message, std::vector<std::string>* notices) {
    Picture picture;
    std::string why;
    if (!Protocol::decodePicture(message, &picture, &why)) {
        tell(notices, "THE SERVER SENT AN UNSOUND PICTURE");
        client.disconnect();
        return;
    }
    // The server has it now: it is not offered again.
    offered.insert(message.texture);
    if (picturesIn.hook)
        picturesIn.hook(message.texture,
                        std::make_shared<const std::vector<uint8_t>>(std::move(message.png)),
                        picture);
}

void SharedCity::update(uint32_t waitMs, std::vector<std::string>* notices) {
    send(world.takeOwnChanges());
    std::vector<Protocol::Message> received;
    client.service(waitMs, &received);
    // The greeting is out: the pictures one has follow it.
    if (!heldSent && (client.state() == CityClient::State::Greeted || client.joined())) {
        heldSent = true;
        client.sendHolding(picturesIn.held ? picturesIn.held()
                                           : std::vector<std::pair<int32_t, uint64_t>>());
    }
    // After leaving, what still arrives while the leave completes is not ours.
    if (current == Status::Joining || current == Status::Shared)
        for (Protocol::Message& message : received)
            handle(message, notices);
    if (current != Status::Disconnected && current != Status::Refused &&
        client.state() == CityClient::State::Disconnected) {
        current = Status::Disconnected;
        others.clear();
        world.keepUnreturned();
        tell(notices, "DISCONNECTED");
    }
}

void SharedCity::handle(Protocol::Message& message, std::vector<std::string>* notices) {
    switch (message.kind) {
    case Protocol::Kind::Welcome: {
        std::vector<uint8_t> city;
        std::string why;
        if (!Protocol::unpackCity(message, &city, &why) ||
            !world.replaceWorld(city, message.nextSpriteId, &why)) {
            tell(notices, "THE CITY SENT IS UNSOUND: " + upper(why));
            client.disconnect();
            return;
        }
        current = Status::Shared;
        tell(notices, "JOINED THE SHARED CITY");
        break;
    }
    case Protocol::Kind::Applied:
        world.applyFromServer(message.changes, message.person == client.personId());
        if (appliedHook)
            appliedHook(message.person, message.batch, message.changes);
        break;
    case Protocol::Kind::Joined:
        if (message.person != client.personId()) {
            others[message.person].name = message.name;
            tell(notices, upper(message.name) + " JOINED");
        }
        break;
    case Protocol::Kind::Left: {
        const auto found = others.find(message.person);
        if (found != others.end()) {
            tell(notices, upper(found->second.name) + " LEFT");
            others.erase(found);
        }
        break;
    }
    case Protocol::Kind::Moved: {
        const auto found = others.find(message.person);
        if (found != others.end()) {
            found->second.position = message.position;
            found->second.placed = true;
        }
        break;
    }
    case Protocol::Kind::PictureSent:
        takePicture(message, notices);
        break;
    case Protocol::Kind::Refused:
        current = Status::Refused;
        tell(notices, "REFUSED: " + upper(message.reason));
        break;
    default:
        break;
    }
}

void SharedCity::sendPosition(const Protocol::Position& position) {
    client.sendPosition(position);
}

void SharedCity::leave(bool wait) {
    const bool shared = current == Status::Shared;
    send(world.takeOwnChanges());
    client.disconnect(wait);
    if (shared)
        world.keepUnreturned();
    if (current != Status::Refused)
        current = Status::Disconnected;
}

SharedWorld::UndoOutcome SharedCity::undo() {
    send(world.takeOwnChanges());
    std::vector<Protocol::Change> changes;
    const SharedWorld::UndoOutcome outcome = world.undo(&changes);
    send(std::move(changes));
    return outcome;
}

SharedWorld::UndoOutcome SharedCity::redo() {
    send(world.takeOwnChanges());
    std::vector<Protocol::Change> changes;
    const SharedWorld::UndoOutcome outcome = world.redo(&changes);
    send(std::move(changes));
    return outcome;
}
