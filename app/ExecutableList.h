#pragma once
#include <cstdint>
#include <vector>

class Executable;

// Slots of tasks (empty slots are null) that the run loop advances once per
// frame. The list owns its tasks.
class ExecutableList {
public:
    static constexpr int32_t InitialCapacity = 10;

    ExecutableList();
    ~ExecutableList();
    ExecutableList(const ExecutableList&) = delete;
    ExecutableList& operator=(const ExecutableList&) = delete;

    // Starts the task (state 1) and puts it into the first empty slot,
    // doubling the capacity when there is none.
    void enter(Executable* task);
    // Runs every task by its state, deletes the finished ones, and sorts the
    // slots by ascending priority (empty slots last) when a task finished or
    // a priority is lower than the one before it.
    void step();
    // Deletes every task and returns to the initial capacity.
    void clear();

    int32_t capacity() const { return static_cast<int32_t>(slots.size()); }
    // The task in slot index, or null.
    Executable* slot(int32_t index) const;

private:
    void sortSlots();

    std::vector<Executable*> slots;
};

// The program's task list, advanced by the run loop.
ExecutableList& taskList();
