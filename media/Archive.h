#pragma once
#include <cstdint>
#include <string>

// The media archive: members laid end to end without any header, in the order
// they are declared. The declarations are the archive's directory: member i
// starts at the sum of the sizes of members 0 to i-1. Names are looked up
// ignoring letter case; the first declaration of a name wins, but every
// declaration counts towards the offsets of later members.

struct ArchiveEntry {
    const char* name;  // not copied: must outlive the registry (string literals)
    int32_t size;
};

// Remembers the archive's file name (copied). Always true for a non-null name.
bool setArchiveFile(const char* fileName);

// Declares the next member. False when memory runs out, and for a null name or
// a negative size, which could not be laid out; the registry is then unchanged.
bool addArchiveEntry(const char* name, int32_t size);

// A new buffer (release with delete[]) of exactly the member's declared size
// holding its bytes, or null when no member of that name is declared (the
// archive file is then not touched). When the archive is missing or too short,
// the part that could not be read is zero-filled and the failure is recorded
// for lastArchiveLoadError.
uint8_t* loadArchiveEntry(const char* name);

// Declared size of a member, or -1 when it is not declared.
int32_t archiveEntrySize(const char* name);

// Empty after a load that read its whole member; otherwise a message naming the
// member and the archive path, e.g. for the main window to print.
const std::string& lastArchiveLoadError();

// Writes the archive file from the loose files named by the members. A missing
// or short loose file still gets its full slot (zero-filled where nothing could
// be read) so later members keep their offsets. The archive is written to a
// temporary file that replaces an earlier archive only when all of it reached
// the disk. True when every member was read in full and the archive written.
bool buildArchive();

// Forgets every declaration (for tests and for a clean re-declaration).
void clearArchiveEntries();
