#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "media/Picture.h"
#include "platform/Vector3.h"
#include "world/MapBlock.h"
#include "world/SpriteObject.h"
#include "world/WorldEdit.h"

// The shared city's wire protocol, the one home of its layout and version.
// Every message is one ENet packet: a kind byte, then little-endian fields
// with no padding; strings are zero-terminated. Changes travel on the
// reliable ordered channel, positions on the unreliable one.
//
// A change is one unit of what the undo history records, encoded with the
// map file's own records: a sector record header (with no blocks, or the
// one block of a cell) or a sprite record.
//
// Decoding checks every field against the bytes that remain and every value
// against what the world can hold, and fills its output only when the whole
// message is sound.
namespace Protocol {

// Raised whenever a message's layout or meaning changes.
constexpr uint32_t Version = 3;
constexpr uint16_t DefaultPort = 7878;
constexpr int32_t DefaultMaxPeople = 16;
constexpr uint8_t ChangeChannel = 0;    // reliable, ordered
constexpr uint8_t PositionChannel = 1;  // unreliable
constexpr size_t ChannelCount = 2;

// Largest message a person may send; a larger one disconnects its sender.
constexpr size_t MaxClientMessageBytes = 64 * 1024;
constexpr size_t MaxChangesPerMessage = 256;
constexpr size_t MaxNameBytes = 32;
constexpr size_t MaxPasswordBytes = 256;
// Sprite names in changes: as long as a typed name may grow, with room.
constexpr size_t MaxSpriteNameBytes = 1024;
// Largest city the server sends at a join (before compression).
constexpr size_t MaxCityBytes = size_t{1} << 30;
// Pictures of textures: each a PNG file's bytes at texture size, for the
// block textures from FirstPictureTexture on (those below are the program's
// own). A picture message may be that much larger than other messages.
constexpr int32_t FirstPictureTexture = 100;
constexpr size_t MaxPictureBytes = size_t{4} << 20;
constexpr size_t MaxPictureMessageBytes = MaxPictureBytes + 16;
// What the server keeps of all pictures of its city together.
constexpr size_t MaxCityPictureBytes = size_t{256} << 20;
// Pictures a person may list as held at a join.
constexpr size_t MaxHeldPictures = 4096;

enum class Kind : uint8_t {
    // person -> server
    Hello = 1,    // u32 version, name, password
    Submit = 2,   // u32 batch, u16 count, changes
    Move = 3,     // position
    Holding = 4,  // u16 count, count x (i32 texture, u64 hash): pictures one has
    Picture = 5,  // i32 texture, PNG bytes: a picture one uses for the first time
    // server -> person
    Refused = 10,      // reason in plain words
    Welcome = 11,      // u32 person, i32 next sprite id, u64 city bytes, zstd-compressed world file
    Applied = 12,      // u32 author, u32 batch, u16 count, changes
    Joined = 13,       // u32 person, name
    Left = 14,         // u32 person
    Moved = 15,        // u32 person, position
    PictureSent = 16,  // i32 texture, PNG bytes: a picture of the city
};

// One change to the world, keyed as the undo history keys it.
using Change = WorldEdit;

// Where a person stands and looks.
struct Position {
    Vector3 point;
    float heading = 0.0f;
};

// A decoded message of either direction; only the fields of kind are set.
struct Message {
    Kind kind = Kind::Hello;
    uint32_t version = 0;
    uint32_t person = 0;
    uint32_t batch = 0;
    std::string name;      // Hello, Joined
    std::string password;  // Hello
    std::string reason;    // Refused
    std::vector<Change> changes;
    Position position;
    uint64_t cityBytes = 0;           // Welcome: the world file's size
    int32_t nextSpriteId = 0;         // Welcome: the id the next sprite added takes
    std::vector<uint8_t> compressed;  // Welcome
    int32_t texture = 0;              // Picture, PictureSent
    std::vector<uint8_t> png;         // Picture, PictureSent
    // Holding: the pictures one has, by texture, with the hash of their bytes.
    std::vector<std::pair<int32_t, uint64_t>> held;
};

std::vector<uint8_t> hello(const std::string& name, const std::string& password);
std::vector<uint8_t> submit(uint32_t batch, const std::vector<Change>& changes);
std::vector<uint8_t> move(const Position& position);
std::vector<uint8_t> refused(const std::string& reason);
// A world file's bytes compressed for a Welcome (once for everyone who
// joins while the city stays as it is); empty when compression failed.
std::vector<uint8_t> packCity(const std::vector<uint8_t>& city);
// The next sprite id travels beside the file, which does not hold it: ids
// of figures deleted at the end are not given again.
std::vector<uint8_t> welcome(uint32_t person, int32_t nextSpriteId, uint64_t cityBytes,
                             const std::vector<uint8_t>& packed);
std::vector<uint8_t> applied(uint32_t author, uint32_t batch, const std::vector<Change>& changes);
std::vector<uint8_t> joined(uint32_t person, const std::string& name);
std::vector<uint8_t> left(uint32_t person);
std::vector<uint8_t> moved(uint32_t person, const Position& position);
std::vector<uint8_t> holding(const std::vector<std::pair<int32_t, uint64_t>>& held);
// A picture message of either direction (Picture or PictureSent).
std::vector<uint8_t> picture(Kind kind, int32_t texture, const std::vector<uint8_t>& png);

// A message a person sent (Hello, Submit, Move): false, *why naming the
// fault, for anything else or anything unsound.
bool decodeFromPerson(const uint8_t* data, size_t size, Message* out, std::string* why);
// A message the server sent.
bool decodeFromServer(const uint8_t* data, size_t size, Message* out, std::string* why);
// The picture a Picture or PictureSent message holds: a PNG that decodes,
// already at texture size (sides powers of two, at most 1024), as every
// program sends them; false, *why naming the fault, for anything else.
bool decodePicture(const Message& message, Picture* picture, std::string* why);
// The world file a Welcome holds; false when it does not decompress to
// exactly its stated size.
bool unpackCity(const Message& welcome, std::vector<uint8_t>* city, std::string* why);

}  // namespace Protocol
