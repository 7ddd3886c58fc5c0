// Writes the program's media into a folder: the six archive members as loose
// files under Media/, the archive "TamoData.arc" assembled from them, the
// loose textures under Textures/, the click sound "pip.wav" and the icon
// "tamotown.png". Output is the same byte for byte on every run. With
// --contact-sheet it also writes a PNG that shows every picture for review.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <string>
#include <vector>

#include "media/Archive.h"
#include "media/MediaArchive.h"
#include "platform/PathName.h"
#include "media/PngWriter.h"
#include "tools/Art.h"
#include "tools/ContactSheet.h"
#include "tools/MediaLayout.h"

#ifndef TAMO_DEFAULT_FONT
#define TAMO_DEFAULT_FONT "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif

namespace {

struct Options {
    std::string outputDir;
    std::string contactSheet;
    std::string font = TAMO_DEFAULT_FONT;
};

void usage() {
    std::fprintf(stderr, "usage: tamo_media_generator [OUTPUT-FOLDER] [--contact-sheet FILE.png] "
                         "[--font FILE.ttf]\n");
}

bool parseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        if (arg == "--contact-sheet") {
            if (!value(options.contactSheet))
                return false;
        } else if (arg == "--font") {
            if (!value(options.font))
                return false;
        } else if (!arg.empty() && arg[0] != '-' && options.outputDir.empty()) {
            options.outputDir = arg;
        } else {
            return false;
        }
    }
    return !options.outputDir.empty() || !options.contactSheet.empty();
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        std::fprintf(stderr, "tamo_media_generator: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

bool writeCanvasPng(const Canvas& canvas, const std::string& path) {
    return writePng(path, canvas.bytes().data(), canvas.width(), canvas.height());
}

bool makeFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0)
        return true;
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return true;
    std::fprintf(stderr, "tamo_media_generator: cannot create folder %s\n", path.c_str());
    return false;
}

// Removes texture files of an earlier run that this run does not write, so the
// numbering stays exactly 0 .. count - 1.
void removeStaleTextures(const std::string& folder, const std::vector<std::string>& keep) {
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> stale;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        int n = 0, w = 0, h = 0;
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".raw") != 0)
            continue;
        if (std::sscanf(name.c_str(), "%d_%d_%d.raw", &n, &w, &h) != 3)
            continue;
        bool kept = false;
        for (const std::string& k : keep)
            kept = kept || k == name;
        if (!kept)
            stale.push_back(folder + "/" + name);
    }
    closedir(dir);
    for (const std::string& path : stale)
        std::remove(path.c_str());
}

// The pictures of the archive members, in archive order.
std::array<const Canvas*, ArchiveMemberCount> archiveMembers(const MediaSet& media) {
    std::array<const Canvas*, ArchiveMemberCount> members{};
    members[MemberCurrentLevelTile] = &media.currentTile;
    members[MemberOtherLevelTile] = &media.otherTile;
    members[MemberFont] = &media.font;
    members[MemberSky] = &media.sky;
    members[MemberWorldSprites] = &media.worldSprites;
    members[MemberInterfaceSprites] = &media.interfaceSprites;
    return members;
}

bool makeMedia(const Options& options, MediaSet& media) {
    const GlyphRenderer fontGlyphs(options.font);
    if (!fontGlyphs.ok()) {
        std::fprintf(stderr, "tamo_media_generator: cannot load font %s\n", options.font.c_str());
        return false;
    }
    // Button labels use the same face, narrowed to fit the small buttons.
    const GlyphRenderer labels(options.font, 0.9f);

    media.currentTile = makeCurrentLevelTile();
    media.otherTile = makeOtherLevelTile();
    media.font = makeFontImage(fontGlyphs);
    media.sky = makeSkyImage();
    media.worldSprites = makeWorldSprites();
    media.textures = makeLooseTextures();
    media.interfaceSprites = makeInterfaceSprites(labels, media.textures);
    media.clickSound = makeClickSound();
    media.icon = makeIcon();

    const auto members = archiveMembers(media);
    for (int i = 0; i < ArchiveMemberCount; ++i) {
        const ArchiveImage& m = MediaArchiveMembers[i];
        if (members[i]->width() != m.width || members[i]->height() != m.height) {
            std::fprintf(stderr, "tamo_media_generator: %s came out %d x %d instead of %d x %d\n",
                         m.name, members[i]->width(), members[i]->height(), m.width, m.height);
            return false;
        }
    }
    if (static_cast<int>(media.textures.size()) != media_layout::LooseTextureCount) {
        std::fprintf(stderr, "tamo_media_generator: wrong number of loose textures\n");
        return false;
    }
    return true;
}

bool writeMedia(const std::string& folder, const MediaSet& media) {
    if (!makeFolder(folder) || chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "tamo_media_generator: cannot enter %s\n", folder.c_str());
        return false;
    }
    if (!makeFolder("Media") || !makeFolder("Textures"))
        return false;

    const auto members = archiveMembers(media);
    for (int i = 0; i < ArchiveMemberCount; ++i)
        if (!writeFile(nativePath(MediaArchiveMembers[i].name), members[i]->bytes()))
            return false;

    std::vector<std::string> textureNames;
    for (size_t n = 0; n < media.textures.size(); ++n) {
        const Canvas& t = media.textures[n];
        const std::string name = std::to_string(n) + "_" + std::to_string(t.width()) + "_" +
                                 std::to_string(t.height()) + ".raw";
        if (!writeFile("Textures/" + name, t.bytes()))
            return false;
        textureNames.push_back(name);
    }
    removeStaleTextures("Textures", textureNames);
    if (!writeFile("pip.wav", media.clickSound))
        return false;
    if (!writeCanvasPng(media.icon, "tamotown.png")) {
        std::fprintf(stderr, "tamo_media_generator: cannot write tamotown.png\n");
        return false;
    }

    // The archive is assembled by the program's own archive writer from the loose members.
    clearArchiveEntries();
    declareMediaArchive();
    const bool built = buildArchive();
    clearArchiveEntries();
    struct stat st {};
    if (!built || stat(MediaArchiveFile, &st) != 0 || st.st_size != mediaArchiveSize()) {
        std::fprintf(stderr, "tamo_media_generator: could not build TamoData.arc\n");
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseArguments(argc, argv, options)) {
        usage();
        return 2;
    }
    MediaSet media;
    if (!makeMedia(options, media))
        return 1;

    // The contact sheet path is taken before changing into the output folder.
    if (!options.contactSheet.empty() &&
        !writeCanvasPng(makeContactSheet(media), options.contactSheet)) {
        std::fprintf(stderr, "tamo_media_generator: cannot write %s\n",
                     options.contactSheet.c_str());
        return 1;
    }
    if (!options.outputDir.empty() && !writeMedia(options.outputDir, media))
        return 1;
    return 0;
}
