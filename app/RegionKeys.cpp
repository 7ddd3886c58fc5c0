#include "app/RegionKeys.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/KeyTable.h"
#include "app/MapFileCommands.h"
#include "app/StatusCaption.h"
#include "engine/TamoEditorUserAvatar.h"
#include "engine/TamoEngineCore.h"
#include "platform/GLContext.h"
#include "platform/SystemClock.h"
#include "world/RegionEdit.h"
#include "world/StampFile.h"

namespace {

constexpr const char* StampFileName = "stamp.map";

}  // namespace

RegionKeys::RegionKeys(TamoEngineCore& core_, StatusCaption& caption_)
        : core(core_), caption(caption_) {}

void RegionKeys::run(KeyCommand command, const MapFileCommands& commands) {
    Selection& selection = core.selection;
    switch (command) {
    case KeyCommand::ClearSelection:
        if (selection.active())
            caption.hide();  // the size it showed
        selection.clear();
        pastePreview.stop();
        break;
    case KeyCommand::GrowSelection:
    case KeyCommand::ShrinkSelection:
        if (command == KeyCommand::GrowSelection ? selection.growUp() : selection.shrinkDown())
            showSelection();
        else
            say("NO SELECTION");
        break;
    case KeyCommand::Paste:
        paste();
        break;
    case KeyCommand::RotateClipboard:
    case KeyCommand::MirrorClipboard:
        turnClipboard(command == KeyCommand::MirrorClipboard);
        break;
    case KeyCommand::MoveLeft:
    case KeyCommand::MoveRight:
    case KeyCommand::MoveForward:
    case KeyCommand::MoveBack:
    case KeyCommand::MoveUp:
    case KeyCommand::MoveDown:
        move(command);
        break;
    case KeyCommand::SaveStamp:
        saveStamp(commands);
        break;
    case KeyCommand::LoadStamp:
        loadStamp(commands);
        break;
    default:
        edit(command);
        break;
    }
    // What the command did to the selection is in its caption already.
    shownActive = selection.active();
    if (shownActive)
        shownBox = selection.box();
}

void RegionKeys::drawSelection() {
    const Selection& selection = core.selection;
    selection.draw(*core.glContext, core, core);
    pastePreview.draw(core, held);
    if (selection.active() != shownActive || (shownActive && selection.box() != shownBox)) {
        shownActive = selection.active();
        if (shownActive) {
            shownBox = selection.box();
            showSelection();
        }
    }
}

bool RegionKeys::needSelection() {
    if (core.selection.active())
        return true;
    say("NO SELECTION");
    return false;
}

void RegionKeys::edit(KeyCommand command) {
    if (!needSelection())
        return;
    const CellBox box = core.selection.box();
    RegionEdit region(*core.map, *core.sprites, core.history);
    RegionEdit::Result result;
    const char* done = "";
    switch (command) {
    case KeyCommand::Fill:
        result = region.fill(box, core.material);
        done = "FILLED";
        break;
    case KeyCommand::Hollow:
        result = region.hollow(box, core.material);
        done = "HOLLOWED";
        break;
    case KeyCommand::Remove:
        result = region.remove(box);
        done = "REMOVED";
        break;
    case KeyCommand::Paint:
        result = region.paint(box, core.material);
        done = "PAINTED";
        break;
    case KeyCommand::Copy:
        result = region.copy(box, &held);
        done = "COPIED";
        break;
    case KeyCommand::Cut:
        result = region.cut(box, &held);
        done = "CUT";
        break;
    default:
        return;
    }
    if (!result.done) {
        std::fprintf(stderr, "tamotown: %s refused: %s\n", done, result.why.c_str());
        sayWithSize(box.withinLimit() ? "NOT DONE" : "BOX TOO LARGE", core.selection.sizeText());
        return;
    }
    if (command == KeyCommand::Copy || command == KeyCommand::Cut)
        pastePreview.start();
    say(done, result.blocks);
}

void RegionKeys::paste() {
    if (!held.holdsBox()) {
        say("CLIPBOARD EMPTY");
        return;
    }
    int32_t cell[3];
    if (!PastePreview::pasteCell(core, cell)) {
        say("NO PLACE UNDER THE POINTER");
        return;
    }
    RegionEdit region(*core.map, *core.sprites, core.history);
    const RegionEdit::Result result = region.paste(held, cell[0], cell[1], cell[2]);
    if (!result.done) {
        std::fprintf(stderr, "tamotown: pasting refused: %s\n", result.why.c_str());
        sayWithSize("BOX TOO LARGE", clipboardSize());
        return;
    }
    core.selection.set(result.box);
    pastePreview.stop();
    say("PASTED", result.blocks);
}

void RegionKeys::arrowStep(KeyCommand command, int32_t* dx, int32_t* dz) const {
    // Forward: up the screen in the plan view (rows grow along z); in the 3D
    // view the axis nearest the view direction.
    int32_t fx = 0, fz = -1;
    if (core.view3D) {
        const Vector3& d = core.glContext->direction;
        if (std::fabs(d.x) >= std::fabs(d.z))
            fx = d.x >= 0.0f ? 1 : -1, fz = 0;
        else
            fx = 0, fz = d.z >= 0.0f ? 1 : -1;
    }
    // Right of forward, as the walking keys turn: +x forward has +z right.
    const int32_t rx = -fz, rz = fx;
    switch (command) {
    case KeyCommand::MoveForward:
        *dx = fx, *dz = fz;
        break;
    case KeyCommand::MoveBack:
        *dx = -fx, *dz = -fz;
        break;
    case KeyCommand::MoveRight:
        *dx = rx, *dz = rz;
        break;
    case KeyCommand::MoveLeft:
        *dx = -rx, *dz = -rz;
        break;
    default:
        *dx = 0, *dz = 0;
        break;
    }
}

void RegionKeys::move(KeyCommand command) {
    if (!needSelection())
        return;
    int32_t dx = 0, dz = 0;
    arrowStep(command, &dx, &dz);
    const int32_t dy = command == KeyCommand::MoveUp ? 1 : command == KeyCommand::MoveDown ? -1 : 0;
    RegionEdit region(*core.map, *core.sprites, core.history);
    const RegionEdit::Result result = region.move(core.selection.box(), dx, dy, dz);
    if (!result.done) {
        std::fprintf(stderr, "tamotown: moving refused: %s\n", result.why.c_str());
        sayWithSize("BOX TOO LARGE", core.selection.sizeText());
        return;
    }
    core.selection.set(result.box);
    say("MOVED", result.blocks);
}

void RegionKeys::turnClipboard(bool mirror) {
    if (!held.holdsBox()) {
        say("CLIPBOARD EMPTY");
        return;
    }
    if (mirror)
        held.mirror();
    else
        held.rotateQuarter();
    sayClipboard(mirror ? "MIRRORED" : "ROTATED");
}

void RegionKeys::saveStamp(const MapFileCommands& commands) {
    if (!needSelection())
        return;
    Clipboard stamp;
    RegionEdit region(*core.map, *core.sprites, nullptr);
    const RegionEdit::Result taken = region.copy(core.selection.box(), &stamp);
    if (!taken.done) {
        std::fprintf(stderr, "tamotown: saving the stamp refused: %s\n", taken.why.c_str());
        sayWithSize("BOX TOO LARGE", core.selection.sizeText());
        return;
    }
    // Never the city's own name: a stamp saved over it would replace the city.
    MapFileCommands stampCommands = commands;
    stampCommands.proposedName = StampFileName;
    char name[MapFileNameBufferSize];
    if (!stampCommands.chooseFile(true, name))
        return;
    std::string why;
    if (!StampFile::saveFile(name, stamp, &why)) {
        std::fprintf(stderr, "tamotown: saving the stamp %s failed: %s\n", name, why.c_str());
        say("SAVE FAILED");
        return;
    }
    const std::string path = name;
    caption.show("SAVED", getTickCount(), StatusCaption::ShowMilliseconds,
                 path.substr(path.rfind('/') + 1));
}

void RegionKeys::loadStamp(const MapFileCommands& commands) {
    char name[MapFileNameBufferSize];
    if (!commands.chooseFile(false, name))
        return;
    std::string why;
    if (!StampFile::loadFile(name, core.blockWidth, core.blockHeight, &held, &why)) {
        std::fprintf(stderr, "tamotown: opening the stamp %s failed: %s\n", name, why.c_str());
        say("LOAD FAILED");
        return;
    }
    pastePreview.start();
    sayClipboard("LOADED");
}

void RegionKeys::say(const char* text, int64_t count) {
    std::string line = text;
    if (count >= 0)
        line += " " + std::to_string(count);
    caption.show(line.c_str(), getTickCount());
}

void RegionKeys::sayWithSize(const char* text, const std::string& size) {
    caption.show(text, getTickCount(), StatusCaption::ShowMilliseconds, size);
}

std::string RegionKeys::clipboardSize() const {
    return Selection::sizeText(held.sizeX(), held.sizeY(), held.sizeZ());
}

void RegionKeys::sayClipboard(const char* text) {
    caption.show((std::string(text) + " " + clipboardSize()).c_str(), getTickCount());
}

void RegionKeys::showSelection() {
    caption.show(core.selection.sizeText().c_str(), getTickCount());
}
