#include "app/TextureFitKeys.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/StatusCaption.h"
#include "engine/TamoEditorUserAvatar.h"
#include "engine/TamoEngineCore.h"
#include "platform/SystemClock.h"
#include "world/MapBlock.h"
#include "world/TamoMap.h"
#include "world/TextureFit.h"

TextureFitKeys::TextureFitKeys(TamoEngineCore& core_, StatusCaption& caption_)
        : core(core_), caption(caption_) {}

bool TextureFitKeys::faceUnderPointer(int32_t cell[3], int32_t* face) {
    TamoMap& map = *core.map;
    bool found = false;
    if (core.view3D) {
        Ray ray;
        BlockHit hit;
        found = map.cursorRay(&ray) &&
                map.pick(ray, TamoMap::CursorRayLength, TamoMap::FaceEditStep, &hit) &&
                TextureFit(map, nullptr).faceAt(hit, ray, cell, face);
    } else {
        found = core.avatar != nullptr && core.avatar->planCellUnderCursor(cell);
        *face = FaceTop;
    }
    if (!found)
        caption.show("NO BLOCK UNDER THE POINTER", getTickCount());
    return found;
}

namespace {

void tell(StatusCaption& caption, const char* done, const TextureFit::Result& result) {
    if (result.done) {
        caption.show((std::string(done) + " " + std::to_string(result.faces)).c_str(),
                     getTickCount());
        return;
    }
    std::fprintf(stderr, "tamotown: %s refused: %s\n", done, result.why.c_str());
    caption.show("NOT DONE", getTickCount(), StatusCaption::ShowMilliseconds, result.why);
}

}  // namespace

void TextureFitKeys::fit() {
    int32_t cell[3], face = 0;
    if (faceUnderPointer(cell, &face))
        tell(caption, "FITTED", TextureFit(*core.map, core.history).fit(cell, face, core.material));
}

void TextureFitKeys::continueTexture() {
    int32_t cell[3], face = 0;
    if (faceUnderPointer(cell, &face))
        tell(caption, "CONTINUED", TextureFit(*core.map, core.history).continueFrom(cell, face));
}
