#include "app/Executable.h"

#include "app/ExecutableList.h"

Executable::Executable(ExecutableList* owner_) {
    if (owner_)
        owner_->enter(this);
}

Executable::~Executable() = default;

void Executable::execute() {}

void Executable::executeSecondState() {}

int32_t Executable::getState() const {
    return state;
}

int32_t Executable::getPriority() const {
    return priority;
}

const char* Executable::getName(int32_t index) const {
    if (index < 0 || index >= nameCount())
        return nullptr;
    return names[static_cast<size_t>(index)].c_str();
}

bool Executable::nameAtIs(const char* name, int32_t index) const {
    const char* stored = getName(index);
    return stored && name && names[static_cast<size_t>(index)] == name;
}

bool Executable::hasName(const char* name) const {
    if (!name)
        return false;
    for (const std::string& stored : names)
        if (stored == name)
            return true;
    return false;
}

void Executable::setPriority(int8_t priority_) {
    priority = priority_;
}

void Executable::addName(const char* text) {
    names.emplace_back(text ? text : "");
}

void Executable::setState(int32_t state_) {
    if (state_ == New || state == Finished)
        return;
    state = state_;
}
