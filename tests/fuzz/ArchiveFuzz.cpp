// The archive reader against any archive file and any directory of members.
// The input's first byte gives the number of declarations (0 to 7) and
// whether the archive file exists at all; each declaration takes three bytes
// (a name from a small pool, in either letter case, and a 12-bit size, made
// negative or huge by two flag bits); the rest is the archive file. Each
// member reads as the file's bytes at the sum of the earlier sizes, zeros
// where the file ends; the first declaration of a name wins.
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/ScratchFile.h"
#include "media/Archive.h"

namespace {

// Names live as long as the registry: literals only. Pairs differ only in case.
const char* const MemberNames[] = {"Media\\Block0_8.raw", "MEDIA\\BLOCK0_8.RAW", "sky", "SKY",
                                   "Media\\Font.raw",     "media\\font.raw",     "",    ""};

std::string lowered(const char* name) {
    std::string text(name);
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct Declared {
    const char* name;
    int32_t size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const size_t count = data[0] & 7;
    const bool archiveExists = (data[0] & 0x80) == 0;
    if (size < 1 + 3 * count)
        return 0;
    static const fuzz::ScratchFile archive;
    clearArchiveEntries();
    setArchiveFile(archiveExists ? archive.c_str() : "/nonexistent/TamoData.arc");

    std::vector<Declared> accepted;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* at = data + 1 + 3 * i;
        const char* name = MemberNames[at[0] & 7];
        int32_t memberSize = at[1] | ((at[2] & 0x0F) << 8);
        if (at[0] & 0x40)
            memberSize = -1 - memberSize;
        else if (at[0] & 0x80)
            memberSize = INT32_MAX - memberSize;
        const bool added = addArchiveEntry(name, memberSize);
        if (added != (memberSize >= 0))
            fuzz::finding("a declaration was refused or accepted wrongly");
        if (added)
            accepted.push_back(Declared{name, memberSize});
    }
    const uint8_t* file = data + 1 + 3 * count;
    const int64_t fileSize = static_cast<int64_t>(size - 1 - 3 * count);
    archive.write(file, static_cast<size_t>(fileSize));

    for (const char* name : MemberNames) {
        // The first declaration of the name, ignoring case, and its offset.
        int64_t offset = 0;
        const Declared* member = nullptr;
        for (const Declared& d : accepted) {
            if (lowered(d.name) == lowered(name)) {
                member = &d;
                break;
            }
            offset += d.size;
        }
        if (archiveEntrySize(name) != (member ? member->size : -1))
            fuzz::finding("the declared size is not the first declaration's");
        if (member == nullptr) {
            if (loadArchiveEntry(name) != nullptr)
                fuzz::finding("an undeclared member loaded");
            continue;
        }
        if (member->size > (1 << 12))
            continue;  // declared only to push later offsets past 2 GB
        uint8_t* bytes = loadArchiveEntry(name);
        if (bytes == nullptr)
            fuzz::finding("a declared member did not load");
        for (int64_t i = 0; i < member->size; ++i) {
            const int64_t at = offset + i;
            const uint8_t expected = archiveExists && at < fileSize ? file[at] : 0;
            if (bytes[i] != expected)
                fuzz::finding("a member byte is not the file's byte at its offset");
        }
        delete[] bytes;
        const bool whole = archiveExists && offset + member->size <= fileSize;
        if (lastArchiveLoadError().empty() != (whole || member->size == 0))
            fuzz::finding("the load error does not say whether the member was whole");
    }
    clearArchiveEntries();
    return 0;
}
