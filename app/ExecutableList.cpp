#include "app/ExecutableList.h"

#include <cstdlib>

#include "app/Executable.h"

namespace {

// Tasks by ascending priority; empty slots after every task.
int compareSlots(const void* left, const void* right) {
    const Executable* a = *static_cast<Executable* const*>(left);
    const Executable* b = *static_cast<Executable* const*>(right);
    if (!a || !b)
        return (a == nullptr) - (b == nullptr);
    const int32_t pa = a->getPriority();
    const int32_t pb = b->getPriority();
    return (pa > pb) - (pa < pb);
}

}  // namespace

ExecutableList::ExecutableList() : slots(InitialCapacity, nullptr) {}

ExecutableList::~ExecutableList() {
    for (Executable* task : slots)
        delete task;
}

void ExecutableList::enter(Executable* task) {
    if (!task)
        return;
    task->setState(Executable::Running);
    task->owner = this;
    for (Executable*& slot : slots) {
        if (!slot) {
            slot = task;
            return;
        }
    }
    const size_t firstNew = slots.size();
    slots.resize(slots.empty() ? 1 : slots.size() * 2, nullptr);
    slots[firstNew] = task;
}

void ExecutableList::step() {
    int32_t previousPriority = -127;
    bool unsorted = false;
    bool someFinished = false;
    // Indexes, not iterators: a running task may enter new tasks.
    for (size_t i = 0; i < slots.size(); ++i) {
        Executable* task = slots[i];
        if (!task)
            continue;
        const int32_t priority = task->getPriority();
        if (priority < previousPriority)
            unsorted = true;
        previousPriority = priority;
        switch (task->getState()) {
        case Executable::Running:
            task->execute();
            break;
        case Executable::SecondRunning:
            task->executeSecondState();
            break;
        case Executable::Finished:
            someFinished = true;
            break;
        default:
            break;
        }
    }
    if (someFinished) {
        for (Executable*& slot : slots) {
            if (slot && slot->getState() == Executable::Finished) {
                delete slot;
                slot = nullptr;
            }
        }
    }
    if (someFinished || unsorted)
        sortSlots();
}

void ExecutableList::clear() {
    for (Executable*& task : slots) {
        delete task;
        task = nullptr;
    }
    std::vector<Executable*>(InitialCapacity, nullptr).swap(slots);
}

Executable* ExecutableList::slot(int32_t index) const {
    if (index < 0 || index >= capacity())
        return nullptr;
    return slots[static_cast<size_t>(index)];
}

void ExecutableList::sortSlots() {
    std::qsort(slots.data(), slots.size(), sizeof(Executable*), compareSlots);
}

ExecutableList& taskList() {
    static ExecutableList list;
    return list;
}
