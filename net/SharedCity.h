#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "media/Picture.h"
#include "net/CityClient.h"
#include "net/SharedWorld.h"
#include "world/CityPictures.h"

// A person's side of a shared city: the connection and the shared world
// together. update() sends what was changed here since the last call and
// applies what the server sent, in its order; it names what people should
// hear of (joins, leaves, the connection lost) as caption lines.
class SharedCity {
public:
    enum class Status { Joining, Shared, Refused, Disconnected };
    struct Person {
        std::string name;
        Protocol::Position position;
        bool placed = false;  // a position has arrived
    };

    // All four must outlive this.
    SharedCity(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history, WorldHost& host);

    bool join(const std::string& host, uint16_t port, const std::string& name,
              const std::string& password, std::string* why);
    // Sends one's own changes, then handles what arrived, waiting up to
    // waitMs for it; lines to show are appended to *notices (when given).
    void update(uint32_t waitMs, std::vector<std::string>* notices = nullptr);
    void sendPosition(const Protocol::Position& position);
    // Leaves politely; wait: until the server saw it (bounded), otherwise
    // update() finishes it. The world stays as it is.
    void leave(bool wait = true);

    // Undo and redo of one's own actions (see SharedWorld).
    SharedWorld::UndoOutcome undo();
    SharedWorld::UndoOutcome redo();

    Status status() const { return current; }
    const std::string& reason() const { return client.reason(); }
    uint32_t personId() const { return client.personId(); }
    // While joining: how much of the city has arrived (0 to 1), or -1.
    double cityArrived() const { return client.arrivingFraction(); }
    // The number of the last batch of own changes sent (0: none yet); the
    // server returns each with its number.
    uint32_t lastBatchSent() const { return nextBatch - 1; }
    // The others in the city, by person number.
    const std::map<uint32_t, Person>& people() const { return others; }
    // Pictures: source gives the PNG bytes of a texture one may have to send
    // (null for one every program has), held lists those one has at the
    // join, and the hook is told of each picture the server sends, checked
    // (a PNG at texture size that decodes).
    struct Pictures {
        std::function<CityPictures::Bytes(int32_t texture)> source;
        std::function<std::vector<std::pair<int32_t, uint64_t>>()> held;
        std::function<void(int32_t texture, CityPictures::Bytes png, const Picture& picture)> hook;
    };
    void usePictures(Pictures pictures) { picturesIn = std::move(pictures); }
    // Told of every batch applied here, after it was (author, batch, changes).
    void setAppliedHook(
        std::function<void(uint32_t, uint32_t, const std::vector<Protocol::Change>&)> hook) {
        appliedHook = std::move(hook);
    }

private:
    void handle(Protocol::Message& message, std::vector<std::string>* notices);
    void send(std::vector<Protocol::Change>&& changes);
    // Sends the pictures of the textures the changes use that the server
    // was not yet offered.
    void offerPictures(const std::vector<Protocol::Change>& changes,
                       std::vector<std::string>* notices);
    void takePicture(Protocol::Message& message, std::vector<std::string>* notices);

    SharedWorld world;
    CityClient client;
    Status current = Status::Joining;
    uint32_t nextBatch = 1;
    std::map<uint32_t, Person> others;
    Pictures picturesIn;
    bool heldSent = false;
    std::set<int32_t> offered;
    std::function<void(uint32_t, uint32_t, const std::vector<Protocol::Change>&)> appliedHook;
};
