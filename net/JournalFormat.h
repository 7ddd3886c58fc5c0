#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "net/Protocol.h"
#include "world/CityPictures.h"
#include "world/WorldFileStamp.h"

// The layout of a served city's journal (CITY.journal beside CITY): every
// batch the server applied since the city file was last written whole, so
// that a server that was killed loses nothing it had written down. The file
// starts with an eight-byte mark, then records, each a u32 length and a u32
// CRC-32 of its body, then the body (little-endian, no padding):
//   Base        u8 1, u64 seq, i32 next sprite id, city identity
//   Batch       u8 2, u64 seq, the protocol's Applied message (author, changes)
//   Checkpoint  u8 3, u64 seq, i32 next sprite id, city identity
//   Picture     u8 4, u64 seq, the protocol's PictureSent message (texture,
//               PNG bytes): a picture the city kept after batch seq
// A city identity is u8 known, u64 device, u64 inode, i64 size, i64 and i64
// modification time: the file that holds every batch up to seq (nothing
// written yet: known 0). A Base opens the journal; a Checkpoint is written
// just before a new city file replaces the old, so that whichever of the two
// is found after a crash is known. Batches are numbered one after another;
// a picture comes before the batches that use it, numbered as the batch
// before it (the base's seq when none is).
namespace JournalFormat {

constexpr char Mark[8] = {'T', 'A', 'M', 'O', 'J', 'R', 'N', '1'};
// Far above the largest batch a person may send.
constexpr uint32_t MaxRecordBytes = 1u << 20;
// A picture record: its type, seq and the largest picture message.
constexpr uint32_t MaxPictureRecordBytes = 1 + 8 + Protocol::MaxPictureMessageBytes;

// A point from which the journal applies: the city file of that identity
// holds the batches up to seq, and the next sprite id was nextSpriteId then.
struct Anchor {
    uint64_t seq = 0;
    int32_t nextSpriteId = 0;
    WorldFileStamp city;
};

struct Entry {
    enum Type : uint8_t { Base = 1, Batch = 2, Checkpoint = 3, Picture = 4 };
    Type type = Base;
    Anchor anchor;  // Base, Checkpoint (anchor.seq is the seq of every type)
    uint32_t author = 0;
    std::vector<Protocol::Change> changes;
    int32_t texture = 0;          // Picture: a PNG that decodes at texture size
    CityPictures::Bytes png;      // Picture
    std::vector<uint8_t> record;  // as it lies in the file, framing included
};

struct Contents {
    bool present = false;  // the file exists
    std::vector<Entry> entries;
    // Why reading stopped before the end; empty when every record is sound.
    std::string damage;
    uint64_t soundBytes = 0;  // up to the first damaged record
    uint64_t fileBytes = 0;
};

// Framed records.
std::vector<uint8_t> anchorRecord(Entry::Type type, const Anchor& anchor);
std::vector<uint8_t> batchRecord(uint64_t seq, uint32_t author,
                                 const std::vector<Protocol::Change>& changes);
std::vector<uint8_t> pictureRecord(uint64_t seq, int32_t texture, const std::vector<uint8_t>& png);

// Reads path record by record, checking each (framing, checksum, fields,
// numbering), and stops at the first that is not sound, keeping those
// before it. False, *why naming the fault, when the file exists but cannot
// be read; a missing file is an empty, sound journal.
bool read(const std::string& path, Contents* out, std::string* why);

// Whether stamp describes the file now at path (both missing counts).
bool sameFile(const WorldFileStamp& stamp, const WorldFileStamp& now);

}  // namespace JournalFormat
