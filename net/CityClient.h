#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "net/Protocol.h"

struct _ENetHost;
struct _ENetPeer;

// One person's connection to a city server: connects, greets with the
// protocol version, name and password, then sends changes and positions and
// hands over what the server sends, checked. Runs on the caller's thread:
// service() does the work.
class CityClient {
public:
    enum class State { Idle, Connecting, Greeted, Joined, Refused, Disconnected };

    CityClient() = default;
    ~CityClient();
    CityClient(const CityClient&) = delete;
    CityClient& operator=(const CityClient&) = delete;

    // "HOST" or "HOST:PORT" (an address with colons in brackets); false,
    // *why naming the fault, when it is not of that form. ENet itself
    // reaches IPv4 addresses only.
    static bool parseAddress(const std::string& text, std::string* host, uint16_t* port,
                             std::string* why);
    // Starts connecting; the greeting goes out once connected.
    bool connect(const std::string& host, uint16_t port, const std::string& name,
                 const std::string& password, std::string* why);
    // Handles what arrived, waiting up to waitMs for the first event;
    // appends the server's messages to *received.
    void service(uint32_t waitMs, std::vector<Protocol::Message>* received);
    // Leaves politely, letting queued messages out first; wait: until the
    // server saw it (bounded), otherwise service() finishes it.
    void disconnect(bool wait = true);

    void sendChanges(uint32_t batch, const std::vector<Protocol::Change>& changes);
    void sendPosition(const Protocol::Position& position);
    // The pictures one has (after the greeting), and one used for the first time.
    void sendHolding(const std::vector<std::pair<int32_t, uint64_t>>& held);
    void sendPicture(int32_t texture, const std::vector<uint8_t>& png);

    State state() const { return current; }
    bool joined() const { return current == State::Joined; }
    uint32_t personId() const { return person; }
    // How much of a large message (the city at a join) has arrived, 0 to 1;
    // -1 when none is arriving.
    double arrivingFraction() const;
    // Why the server refused, or why the connection ended.
    const std::string& reason() const { return why; }

private:
    void send(const std::vector<uint8_t>& bytes, uint8_t channel);

    _ENetHost* host = nullptr;
    _ENetPeer* peer = nullptr;
    State current = State::Idle;
    std::string name, password, why;
    uint32_t person = 0;
};
