#include "app/SpriteNameKeys.h"

#include <string>

#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

namespace {

// The C locale's alphanumeric codes; codes outside 0..255 are never characters.
bool isAlphanumericCode(int32_t code) {
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
           (code >= 'a' && code <= 'z');
}

// Names the selection by position and id: a typing run continues only while
// the same objects stay selected.
std::string selectionTag(const TamoSpriteObjectSet& sprites) {
    std::string tag = "names";
    for (int32_t i = 0; i < sprites.count(); ++i)
        if (sprites.object(i).selected)
            tag += " " + std::to_string(i) + ":" + std::to_string(sprites.object(i).id);
    return tag;
}

}  // namespace

NameKeyAction nameKeyAction(int32_t keyCode, char* ch) {
    if (isAlphanumericCode(keyCode)) {
        if (ch != nullptr)
            *ch = static_cast<char>(keyCode);
        return NameKeyAction::AppendChar;
    }
    if (keyCode == KeyBackspace)
        return NameKeyAction::EraseLastChar;
    if (keyCode == KeyDelete)
        return NameKeyAction::DeleteSelected;
    return NameKeyAction::None;
}

void applyNameKey(int32_t keyCode, TamoSpriteObjectSet& sprites, WorldHistory* history) {
    char ch = 0;
    const NameKeyAction action = nameKeyAction(keyCode, &ch);
    if (action == NameKeyAction::None)
        return;
    if (history != nullptr) {
        if (action == NameKeyAction::DeleteSelected)
            history->closeAction();
        else
            history->continueAction(selectionTag(sprites));
    }
    switch (action) {
    case NameKeyAction::AppendChar:
        sprites.appendNameChar(ch);
        break;
    case NameKeyAction::EraseLastChar:
        sprites.eraseLastNameChar();
        break;
    case NameKeyAction::DeleteSelected:
        sprites.deleteSelected();
        break;
    case NameKeyAction::None:
        break;
    }
    if (history != nullptr)
        history->closeAction();
}
