#include "app/PictureCommands.h"

#include "app/MediaFolder.h"
#include "app/PictureTextures.h"
#include "app/StatusCaption.h"
#include "app/TextureShelf.h"
#include "engine/TamoEngineCore.h"
#include "media/Textures.h"
#include "platform/GLContext.h"
#include "platform/SystemClock.h"

PictureCommands::PictureCommands(TamoEngineCore& core, StatusCaption& caption, GLContext& gl)
        : core(core), caption(caption) {
    textures = std::make_unique<TextureShelf>([this, &gl](int32_t id, const Picture& picture) {
        createPictureTexture(gl.textures.get(), picture, id);
        const AverageColour colour = PictureTextures::averageColour(picture);
        this->core.setTextureColour({id, colour.red, colour.green, colour.blue});
        this->core.pictureTextureIds = textures->pictureIds();
    });
}

PictureCommands::~PictureCommands() = default;

void PictureCommands::setRawTextures(std::map<int32_t, std::string> names) {
    textures->setRawTextures(std::move(names));
}

void PictureCommands::reload(bool byKey) {
    const TextureShelf::Report report =
        textures->loadFolders(mediaFolder().path("Textures"), PictureTextures::userFolder());
    if (!report.problems.empty()) {
        const size_t more = report.problems.size() - 1;
        caption.show(report.problems[0].caption.c_str(), getTickCount(),
                     StatusCaption::ShowMilliseconds,
                     report.problems[0].detail +
                         (more ? " (and " + std::to_string(more) + " more)" : std::string()));
    } else if (byKey) {
        caption.show("TEXTURES RELOADED", getTickCount(), StatusCaption::ShowMilliseconds,
                     std::to_string(report.loaded) + " pictures read");
    }
}

void PictureCommands::loadCity(const std::string& mapPath) {
    const TextureShelf::Report report = textures->loadCity(mapPath);
    if (!report.problems.empty())
        caption.show(report.problems[0].caption.c_str(), getTickCount(),
                     StatusCaption::ShowMilliseconds, report.problems[0].detail);
}

CityPictures PictureCommands::cityPictures(const std::set<int32_t>& used) {
    return textures->cityPictures(used);
}
