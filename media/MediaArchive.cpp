#include "media/MediaArchive.h"

#include "media/Archive.h"

void declareMediaArchive() {
    setArchiveFile(MediaArchiveFile);
    for (const ArchiveImage& member : MediaArchiveMembers)
        addArchiveEntry(member.name, member.size());
}
