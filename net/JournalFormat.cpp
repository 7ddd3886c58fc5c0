#include "net/JournalFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#include "media/FileStream.h"
#include "media/LittleEndian.h"
#include "world/ByteReader.h"

namespace JournalFormat {

namespace {

constexpr size_t FrameBytes = 8;  // length, checksum
constexpr size_t IdentityBytes = 1 + 5 * 8;

uint32_t checksum(const uint8_t* data, size_t size) {
    return static_cast<uint32_t>(crc32_z(crc32_z(0, nullptr, 0), data, size));
}

void putU64(std::vector<uint8_t>& out, uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint64_t loadU64(const uint8_t* at) {
    return static_cast<uint64_t>(littleEndian::loadU32(at)) |
           static_cast<uint64_t>(littleEndian::loadU32(at + 4)) << 32;
}

void putI32(std::vector<uint8_t>& out, int32_t value) {
    uint8_t field[4];
    littleEndian::storeI32(field, value);
    out.insert(out.end(), field, field + 4);
}

// Length and checksum before the body.
std::vector<uint8_t> framed(const std::vector<uint8_t>& body) {
    std::vector<uint8_t> record(FrameBytes);
    littleEndian::storeU32(record.data(), static_cast<uint32_t>(body.size()));
    littleEndian::storeU32(record.data() + 4, checksum(body.data(), body.size()));
    record.insert(record.end(), body.begin(), body.end());
    return record;
}

// The body's fields after its type byte.
bool parseBody(Entry::Type type, ByteReader& in, Entry* entry) {
    const uint8_t* seq = in.take(8);
    if (!seq)
        return false;
    entry->anchor.seq = loadU64(seq);
    if (type == Entry::Batch) {
        Protocol::Message message;
        const size_t size = in.remaining();
        if (!Protocol::decodeFromServer(in.take(size), size, &message, nullptr) ||
            message.kind != Protocol::Kind::Applied)
            return false;
        entry->author = message.person;
        entry->changes = std::move(message.changes);
        return true;
    }
    if (type == Entry::Picture) {
        // The checks the server made before it kept the picture.
        Protocol::Message message;
        Picture decoded;
        const size_t size = in.remaining();
        if (!Protocol::decodeFromServer(in.take(size), size, &message, nullptr) ||
            message.kind != Protocol::Kind::PictureSent ||
            !Protocol::decodePicture(message, &decoded, nullptr))
            return false;
        entry->texture = message.texture;
        entry->png = std::make_shared<const std::vector<uint8_t>>(std::move(message.png));
        return true;
    }
    const uint8_t* known = nullptr;
    if (!in.i32(&entry->anchor.nextSpriteId) || !(known = in.take(1)) || *known > 1 ||
        in.remaining() != IdentityBytes - 1)
        return false;
    const uint8_t* fields = in.take(IdentityBytes - 1);
    WorldFileStamp& city = entry->anchor.city;
    city.known = *known == 1;
    city.device = loadU64(fields);
    city.inode = loadU64(fields + 8);
    city.size = static_cast<int64_t>(loadU64(fields + 16));
    city.modifiedSeconds = static_cast<int64_t>(loadU64(fields + 24));
    city.modifiedNanoseconds = static_cast<int64_t>(loadU64(fields + 32));
    return true;
}

// Whether entry may follow what was read so far: a Base first and only
// first, batches numbered on from the last, a checkpoint at or before the
// last batch, a picture numbered as the last batch.
bool follows(const Entry& entry, const Contents& so, uint64_t lastSeq) {
    if (so.entries.empty())
        return entry.type == Entry::Base;
    switch (entry.type) {
    case Entry::Batch:
        return entry.anchor.seq == lastSeq + 1;
    case Entry::Checkpoint:
        return entry.anchor.seq <= lastSeq && entry.anchor.seq >= so.entries[0].anchor.seq;
    case Entry::Picture:
        return entry.anchor.seq == lastSeq;
    default:
        return false;
    }
}

}  // namespace

std::vector<uint8_t> anchorRecord(Entry::Type type, const Anchor& anchor) {
    std::vector<uint8_t> body{static_cast<uint8_t>(type)};
    putU64(body, anchor.seq);
    putI32(body, anchor.nextSpriteId);
    body.push_back(anchor.city.known ? 1 : 0);
    putU64(body, anchor.city.device);
    putU64(body, anchor.city.inode);
    putU64(body, static_cast<uint64_t>(anchor.city.size));
    putU64(body, static_cast<uint64_t>(anchor.city.modifiedSeconds));
    putU64(body, static_cast<uint64_t>(anchor.city.modifiedNanoseconds));
    return framed(body);
}

std::vector<uint8_t> batchRecord(uint64_t seq, uint32_t author,
                                 const std::vector<Protocol::Change>& changes) {
    std::vector<uint8_t> body{static_cast<uint8_t>(Entry::Batch)};
    putU64(body, seq);
    // The sender's own batch number means nothing once it is gone.
    const std::vector<uint8_t> message = Protocol::applied(author, 0, changes);
    body.insert(body.end(), message.begin(), message.end());
    return framed(body);
}

std::vector<uint8_t> pictureRecord(uint64_t seq, int32_t texture, const std::vector<uint8_t>& png) {
    std::vector<uint8_t> body{static_cast<uint8_t>(Entry::Picture)};
    putU64(body, seq);
    const std::vector<uint8_t> message =
        Protocol::picture(Protocol::Kind::PictureSent, texture, png);
    body.insert(body.end(), message.begin(), message.end());
    return framed(body);
}

bool read(const std::string& path, Contents* out, std::string* why) {
    *out = Contents();
    struct stat info;
    if (stat(path.c_str(), &info) != 0 && errno == ENOENT)
        return true;
    std::vector<uint8_t> bytes;
    {
        FileStream stream(path.c_str(), "rb");
        const int64_t size = stream.size();
        if (stream.openFailed() || size < 0) {
            *why = stream.failureReason().empty() ? "it cannot be read" : stream.failureReason();
            return false;
        }
        try {
            bytes.resize(static_cast<size_t>(size));
        } catch (const std::bad_alloc&) {
            *why = "there is not enough memory to read it";
            return false;
        }
        for (size_t at = 0; at < bytes.size();) {
            const int32_t chunk =
                static_cast<int32_t>(std::min<size_t>(bytes.size() - at, 1u << 30));
            if (!stream.readBytes(bytes.data() + at, chunk)) {
                *why =
                    stream.failureReason().empty() ? "it cannot be read" : stream.failureReason();
                return false;
            }
            at += static_cast<size_t>(chunk);
        }
    }
    out->present = true;
    out->fileBytes = bytes.size();
    if (bytes.size() < sizeof Mark || std::memcmp(bytes.data(), Mark, sizeof Mark) != 0) {
        out->damage = "it does not start as a journal does";
        return true;
    }
    size_t at = sizeof Mark;
    uint64_t lastSeq = 0;
    while (at < bytes.size()) {
        const size_t left = bytes.size() - at;
        const uint32_t length = left >= FrameBytes ? littleEndian::loadU32(&bytes[at]) : 0;
        if (left < FrameBytes || length > left - FrameBytes) {
            out->damage = "record " + std::to_string(out->entries.size() + 1) + " at byte " +
                          std::to_string(at) + " is cut short";
            break;
        }
        const uint8_t* body = &bytes[at + FrameBytes];
        Entry entry;
        bool sound =
            length >= 1 &&
            length <= (body[0] == Entry::Picture ? MaxPictureRecordBytes : MaxRecordBytes) &&
            checksum(body, length) == littleEndian::loadU32(&bytes[at + 4]);
        if (sound) {
            entry.type = static_cast<Entry::Type>(body[0]);
            ByteReader in(body + 1, length - 1);
            sound = body[0] >= Entry::Base && body[0] <= Entry::Picture &&
                    parseBody(entry.type, in, &entry) && follows(entry, *out, lastSeq);
        }
        if (!sound) {
            out->damage = "record " + std::to_string(out->entries.size() + 1) + " at byte " +
                          std::to_string(at) + " is damaged";
            break;
        }
        if (entry.type != Entry::Checkpoint)
            lastSeq = entry.anchor.seq;
        entry.record.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(at + FrameBytes + length));
        out->entries.push_back(std::move(entry));
        at += FrameBytes + length;
    }
    if (out->entries.empty() && out->damage.empty())
        out->damage = "it holds no records";
    out->soundBytes = out->damage.empty() ? bytes.size() : at;
    return true;
}

bool sameFile(const WorldFileStamp& stamp, const WorldFileStamp& now) {
    if (!stamp.known || !now.known)
        return stamp.known == now.known;
    return stamp.device == now.device && stamp.inode == now.inode && stamp.size == now.size &&
           stamp.modifiedSeconds == now.modifiedSeconds &&
           stamp.modifiedNanoseconds == now.modifiedNanoseconds;
}

}  // namespace JournalFormat
