#include "app/SpriteNameKeys.h"

#include <gtest/gtest.h>

namespace {

char appended(int32_t code) {
    char ch = 0;
    EXPECT_EQ(nameKeyAction(code, &ch), NameKeyAction::AppendChar) << "code " << code;
    return ch;
}

}  // namespace

TEST(SpriteNameKeys, LettersDigitsAndLowerCaseCodesAppendThemselves) {
    EXPECT_EQ(appended(65), 'A');
    EXPECT_EQ(appended(90), 'Z');
    EXPECT_EQ(appended(48), '0');
    EXPECT_EQ(appended(57), '9');
    EXPECT_EQ(appended(97), 'a');   // numeric pad 1
    EXPECT_EQ(appended(106), 'j');  // numeric pad multiply
    EXPECT_EQ(appended(112), 'p');  // F1
    EXPECT_EQ(appended(122), 'z');  // F11
}

TEST(SpriteNameKeys, OtherCodesDoNothingOrEditTheName) {
    char ch = 'x';
    EXPECT_EQ(nameKeyAction(96, &ch), NameKeyAction::None);   // numeric pad 0
    EXPECT_EQ(nameKeyAction(123, &ch), NameKeyAction::None);  // F12
    EXPECT_EQ(nameKeyAction(64, &ch), NameKeyAction::None);
    EXPECT_EQ(nameKeyAction(91, &ch), NameKeyAction::None);
    EXPECT_EQ(nameKeyAction(32, &ch), NameKeyAction::None);
    EXPECT_EQ(nameKeyAction(-1, &ch), NameKeyAction::None);
    EXPECT_EQ(nameKeyAction(256 + 'A', &ch), NameKeyAction::None);
    EXPECT_EQ(nameKeyAction(0xE9, &ch), NameKeyAction::None);
    EXPECT_EQ(ch, 'x');
    EXPECT_EQ(nameKeyAction(8, &ch), NameKeyAction::EraseLastChar);
    EXPECT_EQ(nameKeyAction(46, &ch), NameKeyAction::DeleteSelected);
}
