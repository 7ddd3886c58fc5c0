#include "media/MediaArchive.h"

#include "media/Archive.h"

void declareMediaArchive(const char* path) {
    setArchiveFile(path);
    for (const ArchiveImage& member : MediaArchiveMembers)
        addArchiveEntry(member.name, member.size());
}
