#include "app/SpriteNameKeys.h"

#include "world/TamoSpriteObjectSet.h"

namespace {

// The C locale's alphanumeric codes; codes outside 0..255 are never characters.
bool isAlphanumericCode(int32_t code) {
    return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
           (code >= 'a' && code <= 'z');
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

void applyNameKey(int32_t keyCode, TamoSpriteObjectSet& sprites) {
    char ch = 0;
    switch (nameKeyAction(keyCode, &ch)) {
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
}
