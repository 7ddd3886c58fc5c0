#include "net/CityClient.h"

#include <enet/enet.h>

#include <chrono>

#include "net/EnetStartup.h"

namespace {

// The city at a join may be large: the client takes what the protocol allows.
constexpr size_t LargestPacketBytes = Protocol::MaxCityBytes;
constexpr uint32_t ConnectTimeoutMs = 5000;

}  // namespace

CityClient::~CityClient() {
    if (peer && current != State::Disconnected && current != State::Refused)
        enet_peer_reset(peer);
    if (host)
        enet_host_destroy(host);
}

bool CityClient::parseAddress(const std::string& text, std::string* hostName, uint16_t* port,
                              std::string* reason) {
    std::string name = text;
    std::string portText;
    if (!name.empty() && name[0] == '[') {
        const size_t close = name.find(']');
        if (close == std::string::npos) {
            *reason = "the address " + text + " has no closing ]";
            return false;
        }
        if (close + 1 < name.size()) {
            if (name[close + 1] != ':') {
                *reason = "the address " + text + " is not HOST[:PORT]";
                return false;
            }
            portText = name.substr(close + 2);
        }
        name = name.substr(1, close - 1);
    } else if (name.find(':') != std::string::npos) {
        if (name.find(':') != name.rfind(':')) {
            *reason = "an IPv6 address goes in brackets: [ADDRESS]:PORT";
            return false;
        }
        portText = name.substr(name.find(':') + 1);
        name = name.substr(0, name.find(':'));
    }
    *port = Protocol::DefaultPort;
    if (!portText.empty() || text.back() == ':') {
        char* end = nullptr;
        const long value = std::strtol(portText.c_str(), &end, 10);
        if (portText.empty() || *end != '\0' || value < 1 || value > 65535) {
            *reason = "the port in " + text + " is not a number from 1 to 65535";
            return false;
        }
        *port = static_cast<uint16_t>(value);
    }
    if (name.empty()) {
        *reason = "the address " + text + " names no host";
        return false;
    }
    *hostName = name;
    return true;
}

bool CityClient::connect(const std::string& hostName, uint16_t port, const std::string& who,
                         const std::string& secret, std::string* reason) {
    if (!enetReady()) {
        *reason = "the network library did not start";
        return false;
    }
    ENetAddress address;
    if (enet_address_set_host(&address, hostName.c_str()) != 0) {
        *reason = "the host " + hostName + " is not known";
        return false;
    }
    address.port = port;
    host = enet_host_create(nullptr, 1, Protocol::ChannelCount, 0, 0);
    if (!host) {
        *reason = "no network connection can be made";
        return false;
    }
    host->maximumPacketSize = LargestPacketBytes;
    peer = enet_host_connect(host, &address, Protocol::ChannelCount, 0);
    if (!peer) {
        *reason = "no network connection can be made";
        return false;
    }
    enet_peer_timeout(peer, 0, ConnectTimeoutMs, ConnectTimeoutMs * 2);
    name = who.substr(0, Protocol::MaxNameBytes);
    password = secret;
    current = State::Connecting;
    return true;
}

void CityClient::send(const std::vector<uint8_t>& bytes, uint8_t channel) {
    if (!peer || (current != State::Joined && current != State::Greeted))
        return;
    const enet_uint32 flags = channel == Protocol::ChangeChannel ? ENET_PACKET_FLAG_RELIABLE : 0;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), flags);
    if (packet && enet_peer_send(peer, channel, packet) != 0)
        enet_packet_destroy(packet);
}

void CityClient::sendChanges(uint32_t batch, const std::vector<Protocol::Change>& changes) {
    for (size_t start = 0; start < changes.size(); start += Protocol::MaxChangesPerMessage) {
        const size_t end = std::min(changes.size(), start + Protocol::MaxChangesPerMessage);
        const std::vector<Protocol::Change> part(changes.begin() + static_cast<long>(start),
                                                 changes.begin() + static_cast<long>(end));
        send(Protocol::submit(batch, part), Protocol::ChangeChannel);
    }
}

void CityClient::sendPosition(const Protocol::Position& position) {
    if (current == State::Joined)
        send(Protocol::move(position), Protocol::PositionChannel);
}

void CityClient::sendHolding(const std::vector<std::pair<int32_t, uint64_t>>& held) {
    send(Protocol::holding(held), Protocol::ChangeChannel);
}

void CityClient::sendPicture(int32_t texture, const std::vector<uint8_t>& png) {
    send(Protocol::picture(Protocol::Kind::Picture, texture, png), Protocol::ChangeChannel);
}

void CityClient::service(uint32_t waitMs, std::vector<Protocol::Message>* received) {
    if (!host)
        return;
    ENetEvent event;
    int result = enet_host_service(host, &event, waitMs);
    while (result > 0) {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            current = State::Greeted;
            send(Protocol::hello(name, password), Protocol::ChangeChannel);
            break;
        case ENET_EVENT_TYPE_RECEIVE: {
            Protocol::Message message;
            std::string fault;
            if (Protocol::decodeFromServer(event.packet->data, event.packet->dataLength, &message,
                                           &fault)) {
                if (message.kind == Protocol::Kind::Welcome) {
                    current = State::Joined;
                    person = message.person;
                } else if (message.kind == Protocol::Kind::Refused) {
                    current = State::Refused;
                    why = message.reason;
                }
                received->push_back(std::move(message));
            } else {
                why = "the server sent something unsound (" + fault + ")";
                enet_peer_disconnect(peer, 0);
            }
            enet_packet_destroy(event.packet);
            break;
        }
        case ENET_EVENT_TYPE_DISCONNECT:
            if (current != State::Refused) {
                if (why.empty())
                    why = current == State::Connecting ? "the server does not answer"
                                                       : "the connection to the server is lost";
                current = State::Disconnected;
            }
            peer = nullptr;
            break;
        default:
            break;
        }
        if (!host)
            break;
        result = enet_host_check_events(host, &event);
    }
    enet_host_flush(host);
}

double CityClient::arrivingFraction() const {
    if (!peer || peer->channelCount <= Protocol::ChangeChannel)
        return -1.0;
    // ENet keeps a fragmented message among the channel's incoming commands
    // until its last fragment is in.
    ENetList& incoming = peer->channels[Protocol::ChangeChannel].incomingReliableCommands;
    for (ENetListIterator at = enet_list_begin(&incoming); at != enet_list_end(&incoming);
         at = enet_list_next(at)) {
        const auto* command = reinterpret_cast<const ENetIncomingCommand*>(at);
        if (command->fragmentCount > 1)
            return 1.0 - static_cast<double>(command->fragmentsRemaining) /
                             static_cast<double>(command->fragmentCount);
    }
    return -1.0;
}

void CityClient::disconnect(bool wait) {
    if (!peer || current == State::Disconnected || current == State::Refused) {
        current = current == State::Refused ? current : State::Disconnected;
        return;
    }
    if (why.empty())
        why = "left the city";
    enet_peer_disconnect_later(peer, 0);
    if (!wait) {
        enet_host_flush(host);
        return;
    }
    std::vector<Protocol::Message> ignored;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (peer && std::chrono::steady_clock::now() < end)
        service(10, &ignored);
    if (peer)
        enet_peer_reset(peer);
    peer = nullptr;
    current = State::Disconnected;
}
