#pragma once
#include <string>

// The program's folders in the user's account, as the XDG base directories
// name them: $XDG_<KIND>_HOME/tamotown when that names an absolute folder,
// else $HOME/.local/<kind>/tamotown; empty when neither variable helps. Not
// made here: whoever writes into one does.
class UserFolder {
public:
    // The user's data: the marker of an earlier start.
    static std::string data();
    // The program's state: the autosaves.
    static std::string state();

private:
    static std::string of(const char* variable, const char* belowHome);
};
