#include "net/Protocol.h"

#include <zstd.h>

#include <algorithm>
#include <cmath>

#include "media/PictureDecoder.h"
#include "media/PictureScaler.h"
#include "platform/DynArray.h"
#include "world/ByteReader.h"
#include "world/ByteWriter.h"
#include "world/MapFormat.h"

namespace Protocol {

namespace {

constexpr int CompressionLevel = 3;

bool fail(std::string* why, const char* text) {
    if (why)
        *why = text;
    return false;
}

void writeString(ByteWriter& out, const std::string& text) {
    out.bytes(text.c_str(), text.size() + 1);
}

void writeU32(ByteWriter& out, uint32_t value) {
    out.i32(static_cast<int32_t>(value));
}

void writePosition(ByteWriter& out, const Position& position) {
    out.f32(position.point.x);
    out.f32(position.point.y);
    out.f32(position.point.z);
    out.f32(position.heading);
}

void writeChange(ByteWriter& out, const Change& change) {
    out.u8(change.type);
    DynArray<MapBlock> blocks;
    switch (change.type) {
    case Change::SectorAdd:
    case Change::SectorRemove:
        MapFormat::writeSector(out, change.size, change.origin, blocks);
        break;
    case Change::CellSet:
    case Change::CellClear: {
        MapBlock block = change.block;
        block.used = true;
        if (change.type == Change::CellClear)
            std::fill(std::begin(block.faces), std::end(block.faces), FaceMaterial());
        blocks.append(block);
        MapFormat::writeSector(out, change.size, change.origin, blocks);
        break;
    }
    case Change::SpriteAdd:
    case Change::SpriteEdit:
        MapFormat::writeSprite(out, change.sprite);
        break;
    case Change::SpriteRemove:
        out.i32(change.sprite.id);
        break;
    case Change::SpriteRestore:
        MapFormat::writeSprite(out, change.sprite);
        out.i32(change.place);
        out.u8(change.followed ? 1 : 0);
        out.i32(change.following);
        break;
    }
}

template <class Write>
std::vector<uint8_t> message(Kind kind, Write write) {
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    out.u8(static_cast<uint8_t>(kind));
    write(out);
    out.finish();
    return bytes;
}

bool readU32(ByteReader& in, uint32_t* value) {
    int32_t field = 0;
    if (!in.i32(&field))
        return false;
    *value = static_cast<uint32_t>(field);
    return true;
}

bool readString(ByteReader& in, size_t longest, std::string* text) {
    return in.string(text) && text->size() <= longest;
}

bool readPosition(ByteReader& in, Position* position) {
    float x = 0, y = 0, z = 0, heading = 0;
    if (!in.f32(&x) || !in.f32(&y) || !in.f32(&z) || !in.f32(&heading))
        return false;
    for (float value : {x, y, z, heading})
        if (!std::isfinite(value))
            return false;
    position->point = Vector3(x, y, z);
    position->heading = heading;
    return true;
}

bool readChange(ByteReader& in, Change* change, std::string* why) {
    const uint8_t* type = in.take(1);
    if (!type)
        return fail(why, "a change is cut short");
    change->type = static_cast<Change::Type>(*type);
    switch (*type) {
    case Change::SectorAdd:
    case Change::SectorRemove:
    case Change::CellSet:
    case Change::CellClear: {
        TamoSectorData sector;
        if (!MapFormat::parseSector(in, &sector, why))
            return false;
        const bool cell = *type == Change::CellSet || *type == Change::CellClear;
        const size_t blocks = cell ? 1 : 0;
        if (sector.blocks.size() != blocks)
            return fail(why, "a change holds the wrong number of blocks");
        change->origin = sector.origin;
        change->size = sector.size;
        if (blocks)
            change->block = sector.blocks[0];
        change->block.used = *type == Change::CellSet;
        return true;
    }
    case Change::SpriteAdd:
    case Change::SpriteEdit:
        if (!MapFormat::parseSprite(in, &change->sprite, why))
            return false;
        if (change->sprite.name.size() > MaxSpriteNameBytes)
            return fail(why, "a sprite name is too long");
        return true;
    case Change::SpriteRemove:
        if (!in.i32(&change->sprite.id))
            return fail(why, "a change is cut short");
        return true;
    case Change::SpriteRestore: {
        if (!MapFormat::parseSprite(in, &change->sprite, why))
            return false;
        if (change->sprite.name.size() > MaxSpriteNameBytes)
            return fail(why, "a sprite name is too long");
        const uint8_t* followed = nullptr;
        if (!in.i32(&change->place) || !(followed = in.take(1)) || !in.i32(&change->following))
            return fail(why, "a change is cut short");
        if (change->place < 0 || *followed > 1)
            return fail(why, "a sprite's place is out of range");
        change->followed = *followed == 1;
        return true;
    }
    default:
        return fail(why, "a change of unknown type");
    }
}

bool readChanges(ByteReader& in, std::vector<Change>* changes, std::string* why) {
    const uint8_t* field = in.take(2);
    if (!field)
        return fail(why, "the message is cut short");
    const size_t count = field[0] | (static_cast<size_t>(field[1]) << 8);
    if (count > MaxChangesPerMessage)
        return fail(why, "too many changes in one message");
    changes->resize(count);
    for (Change& change : *changes)
        if (!readChange(in, &change, why))
            return false;
    return true;
}

void writeChanges(ByteWriter& out, const std::vector<Change>& changes) {
    out.u8(static_cast<uint8_t>(changes.size() & 0xff));
    out.u8(static_cast<uint8_t>(changes.size() >> 8));
    for (const Change& change : changes)
        writeChange(out, change);
}

bool readPicture(ByteReader& in, Message* message, std::string* why) {
    if (!in.i32(&message->texture))
        return fail(why, "a picture is cut short");
    if (message->texture < FirstPictureTexture)
        return fail(why, "a picture of a texture that is not a block texture");
    const size_t count = in.remaining();
    if (count == 0 || count > MaxPictureBytes)
        return fail(why, "a picture is empty or larger than allowed");
    const uint8_t* bytes = in.take(count);
    message->png.assign(bytes, bytes + count);
    return true;
}

bool readHolding(ByteReader& in, Message* message, std::string* why) {
    const uint8_t* field = in.take(2);
    if (!field)
        return fail(why, "a list of pictures is cut short");
    const size_t count = field[0] | (static_cast<size_t>(field[1]) << 8);
    if (count > MaxHeldPictures)
        return fail(why, "a list of too many pictures");
    for (size_t i = 0; i < count; ++i) {
        int32_t texture = 0, low = 0, high = 0;
        if (!in.i32(&texture) || !in.i32(&low) || !in.i32(&high))
            return fail(why, "a list of pictures is cut short");
        message->held.emplace_back(texture,
                                   (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) |
                                       static_cast<uint32_t>(low));
    }
    return true;
}

// The fields after the kind byte of the messages both sides know.
bool decodeBody(ByteReader& in, Message* message, std::string* why) {
    switch (message->kind) {
    case Kind::Hello:
        if (!readU32(in, &message->version))
            return fail(why, "the greeting is cut short");
        if (message->version != Version) {
            // Another version's greeting may hold anything after its
            // version: enough to refuse it in plain words.
            in.take(in.remaining());
            return true;
        }
        if (!readString(in, MaxNameBytes, &message->name))
            return fail(why, "the name is missing or too long");
        if (!readString(in, MaxPasswordBytes, &message->password))
            return fail(why, "the password is missing or too long");
        return true;
    case Kind::Submit:
        if (!readU32(in, &message->batch))
            return fail(why, "the message is cut short");
        return readChanges(in, &message->changes, why);
    case Kind::Move:
        return readPosition(in, &message->position) || fail(why, "a position is unsound");
    case Kind::Holding:
        return readHolding(in, message, why);
    case Kind::Picture:
    case Kind::PictureSent:
        return readPicture(in, message, why);
    case Kind::Refused:
        return readString(in, 1024, &message->reason) || fail(why, "a refusal is unsound");
    case Kind::Welcome: {
        int32_t low = 0, high = 0;
        if (!readU32(in, &message->person) || !in.i32(&message->nextSpriteId) || !in.i32(&low) ||
            !in.i32(&high))
            return fail(why, "the welcome is cut short");
        message->cityBytes =
            (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | static_cast<uint32_t>(low);
        if (message->cityBytes > MaxCityBytes)
            return fail(why, "the city is too large");
        const size_t count = in.remaining();
        const uint8_t* rest = in.take(count);
        message->compressed.assign(rest, rest + count);
        return true;
    }
    case Kind::Applied:
        if (!readU32(in, &message->person) || !readU32(in, &message->batch))
            return fail(why, "the message is cut short");
        return readChanges(in, &message->changes, why);
    case Kind::Joined:
        if (!readU32(in, &message->person) || !readString(in, MaxNameBytes, &message->name))
            return fail(why, "a join notice is unsound");
        return true;
    case Kind::Left:
        return readU32(in, &message->person) || fail(why, "a leave notice is unsound");
    case Kind::Moved:
        if (!readU32(in, &message->person) || !readPosition(in, &message->position))
            return fail(why, "a position is unsound");
        return true;
    }
    return fail(why, "a message of unknown kind");
}

bool decode(const uint8_t* data, size_t size, bool fromPerson, Message* out, std::string* why) {
    if (size == 0 || !data)
        return fail(why, "an empty message");
    const uint8_t kind = data[0];
    const bool pictureKind = kind == static_cast<uint8_t>(Kind::Picture);
    if (fromPerson && size > (pictureKind ? MaxPictureMessageBytes : MaxClientMessageBytes))
        return fail(why, "a message larger than allowed");
    const bool personKind =
        kind >= static_cast<uint8_t>(Kind::Hello) && kind <= static_cast<uint8_t>(Kind::Picture);
    const bool serverKind = kind >= static_cast<uint8_t>(Kind::Refused) &&
                            kind <= static_cast<uint8_t>(Kind::PictureSent);
    if (fromPerson ? !personKind : !serverKind)
        return fail(why, "a message of unknown kind");
    ByteReader in(data + 1, size - 1);
    Message message;
    message.kind = static_cast<Kind>(kind);
    try {
        if (!decodeBody(in, &message, why))
            return false;
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the message");
    }
    if (in.remaining() != 0)
        return fail(why, "a message holds unexpected bytes at its end");
    *out = std::move(message);
    return true;
}

}  // namespace

std::vector<uint8_t> hello(const std::string& name, const std::string& password) {
    return message(Kind::Hello, [&](ByteWriter& out) {
        writeU32(out, Version);
        writeString(out, name);
        writeString(out, password);
    });
}

std::vector<uint8_t> submit(uint32_t batch, const std::vector<Change>& changes) {
    return message(Kind::Submit, [&](ByteWriter& out) {
        writeU32(out, batch);
        writeChanges(out, changes);
    });
}

std::vector<uint8_t> move(const Position& position) {
    return message(Kind::Move, [&](ByteWriter& out) { writePosition(out, position); });
}

std::vector<uint8_t> refused(const std::string& reason) {
    return message(Kind::Refused, [&](ByteWriter& out) { writeString(out, reason); });
}

std::vector<uint8_t> packCity(const std::vector<uint8_t>& city) {
    std::vector<uint8_t> packed(ZSTD_compressBound(city.size()));
    const size_t size =
        ZSTD_compress(packed.data(), packed.size(), city.data(), city.size(), CompressionLevel);
    if (ZSTD_isError(size))
        return {};
    packed.resize(size);
    return packed;
}

std::vector<uint8_t> welcome(uint32_t person, int32_t nextSpriteId, uint64_t cityBytes,
                             const std::vector<uint8_t>& packed) {
    return message(Kind::Welcome, [&](ByteWriter& out) {
        writeU32(out, person);
        out.i32(nextSpriteId);
        out.i32(static_cast<int32_t>(static_cast<uint32_t>(cityBytes)));
        out.i32(static_cast<int32_t>(static_cast<uint32_t>(cityBytes >> 32)));
        out.bytes(packed.data(), packed.size());
    });
}

std::vector<uint8_t> applied(uint32_t author, uint32_t batch, const std::vector<Change>& changes) {
    return message(Kind::Applied, [&](ByteWriter& out) {
        writeU32(out, author);
        writeU32(out, batch);
        writeChanges(out, changes);
    });
}

std::vector<uint8_t> joined(uint32_t person, const std::string& name) {
    return message(Kind::Joined, [&](ByteWriter& out) {
        writeU32(out, person);
        writeString(out, name);
    });
}

std::vector<uint8_t> left(uint32_t person) {
    return message(Kind::Left, [&](ByteWriter& out) { writeU32(out, person); });
}

std::vector<uint8_t> moved(uint32_t person, const Position& position) {
    return message(Kind::Moved, [&](ByteWriter& out) {
        writeU32(out, person);
        writePosition(out, position);
    });
}

std::vector<uint8_t> holding(const std::vector<std::pair<int32_t, uint64_t>>& held) {
    return message(Kind::Holding, [&](ByteWriter& out) {
        const size_t count = std::min(held.size(), MaxHeldPictures);
        out.u8(static_cast<uint8_t>(count & 0xff));
        out.u8(static_cast<uint8_t>(count >> 8));
        for (size_t i = 0; i < count; ++i) {
            out.i32(held[i].first);
            out.i32(static_cast<int32_t>(static_cast<uint32_t>(held[i].second)));
            out.i32(static_cast<int32_t>(static_cast<uint32_t>(held[i].second >> 32)));
        }
    });
}

std::vector<uint8_t> picture(Kind kind, int32_t texture, const std::vector<uint8_t>& png) {
    return message(kind, [&](ByteWriter& out) {
        out.i32(texture);
        out.bytes(png.data(), png.size());
    });
}

bool decodeFromPerson(const uint8_t* data, size_t size, Message* out, std::string* why) {
    return decode(data, size, true, out, why);
}

bool decodeFromServer(const uint8_t* data, size_t size, Message* out, std::string* why) {
    return decode(data, size, false, out, why);
}

bool decodePicture(const Message& message, Picture* picture, std::string* why) {
    PictureDecoder::Limits limits;
    limits.maxSide = PictureScaler::MaxTextureSide;
    limits.maxFileBytes = MaxPictureBytes;
    Picture decoded;
    if (!PictureDecoder::decode(message.png.data(), message.png.size(), limits, &decoded, why))
        return false;
    if (PictureScaler::textureSide(decoded.width) != decoded.width ||
        PictureScaler::textureSide(decoded.height) != decoded.height)
        return fail(why, "the picture's sides are not powers of two");
    *picture = std::move(decoded);
    return true;
}

bool unpackCity(const Message& welcome, std::vector<uint8_t>* city, std::string* why) {
    const unsigned long long stated =
        ZSTD_getFrameContentSize(welcome.compressed.data(), welcome.compressed.size());
    if (stated == ZSTD_CONTENTSIZE_ERROR || stated == ZSTD_CONTENTSIZE_UNKNOWN ||
        stated != welcome.cityBytes)
        return fail(why, "the city sent is damaged");
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(welcome.cityBytes));
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the city");
    }
    const size_t size = ZSTD_decompress(bytes.data(), bytes.size(), welcome.compressed.data(),
                                        welcome.compressed.size());
    if (ZSTD_isError(size) || size != bytes.size())
        return fail(why, "the city sent is damaged");
    city->swap(bytes);
    return true;
}

}  // namespace Protocol
