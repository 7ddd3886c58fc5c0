#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/ChangeApplier.h"
#include "net/Protocol.h"
#include "world/CityPictures.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHost;
struct _ENetHost;
struct _ENetPeer;

// The server of a shared city: holds the one world everybody builds, takes
// people in after the handshake (protocol version, password, room) with the
// city's file bytes, applies every change in the order it arrives and passes
// it on to everyone, the sender included, who apply it in that same order.
// It trusts nothing: a message that is malformed or too large disconnects its
// sender alone, with a line on the log. Changes beyond a person's rate wait
// their turn (a burst is allowed); a person who keeps sending faster than
// the rate for too long is disconnected. One log line per join, leave and
// refusal. Runs on the caller's thread: service() does the work. The world
// writes its records in the canonical order from then on, as every person's
// copy does, so that all write the same bytes.
class CityServer {
public:
    struct Options {
        // "0.0.0.0" for every interface; tests use "127.0.0.1".
        std::string address = "0.0.0.0";
        uint16_t port = Protocol::DefaultPort;  // 0: any free port
        int32_t maxPeople = Protocol::DefaultMaxPeople;
        std::string password;  // empty: none asked for
        double changesPerSecond = 400.0;
        double burstChanges = 1000.0;
        // Changes waiting beyond which the sender is disconnected.
        size_t maxWaitingChanges = 8000;
        // A connection that has not greeted within this is closed.
        double greetingSeconds = 10.0;
    };

    CityServer(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHost& host, Options options,
               std::ostream& log);
    ~CityServer();
    CityServer(const CityServer&) = delete;
    CityServer& operator=(const CityServer&) = delete;

    // Opens the port; false, *why naming the fault, when it cannot.
    bool start(std::string* why);
    // Handles what arrived, waiting up to waitMs for the first event.
    void service(uint32_t waitMs);
    // Says goodbye to everyone and lets the messages out (bounded).
    void stop();

    uint16_t port() const;
    int32_t peopleCount() const;
    // The count of changes applied since the start.
    uint64_t changesApplied() const { return applied; }
    // The pictures of the city's textures: those it was loaded with, and
    // each picture someone used first (checked: a PNG at texture size that
    // decodes, within the city's total). A person who joins gets those
    // they lack; a new one goes to everyone else.
    void setPictures(CityPictures kept) { pictures = std::move(kept); }
    const CityPictures& cityPictures() const { return pictures; }
    // Told of each picture kept, before it is passed on (and so before any
    // batch that uses it is applied).
    void setPictureHook(std::function<void(int32_t texture, const CityPictures::Bytes& png)> hook) {
        pictureHook = std::move(hook);
    }
    // Told of every batch as applied, in order (author, changes), before it
    // is passed back to anyone.
    void setAppliedHook(std::function<void(uint32_t, const std::vector<Protocol::Change>&)> hook) {
        appliedHook = std::move(hook);
    }

private:
    struct Person;

    void receive(_ENetPeer* peer, const uint8_t* data, size_t size, uint8_t channel);
    void greet(Person& person, const Protocol::Message& hello);
    void refuse(Person& person, const std::string& reason);
    void drop(Person& person, const std::string& why);
    void runWaiting(Person& person, double now);
    void sendLacking(Person& person, const Protocol::Message& holding);
    void takePicture(Person& person, Protocol::Message& message);
    void broadcast(const std::vector<uint8_t>& bytes, uint8_t channel, const Person* except);
    void sendTo(_ENetPeer* peer, const std::vector<uint8_t>& bytes, uint8_t channel);
    // The city's file bytes, compressed, and their size before; made again
    // only after a change.
    const std::vector<uint8_t>& packedCity(uint64_t* size);
    std::string describe(const Person& person) const;

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    ChangeApplier applier;
    Options options;
    std::ostream& log;
    _ENetHost* host = nullptr;
    std::map<_ENetPeer*, std::unique_ptr<Person>> people;
    uint32_t nextPerson = 1;
    uint64_t applied = 0;
    std::vector<uint8_t> snapshot, packed;
    bool snapshotCurrent = false;
    CityPictures pictures;
    std::function<void(uint32_t, const std::vector<Protocol::Change>&)> appliedHook;
    std::function<void(int32_t, const CityPictures::Bytes&)> pictureHook;
};
