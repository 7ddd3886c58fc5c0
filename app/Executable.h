#pragma once
#include <cstdint>
#include <string>
#include <vector>

class ExecutableList;

// A task that the run loop advances once per frame while it is entered in a
// task list: state 1 runs execute(), state 2 runs executeSecondState(), and a
// task in state 3 (finished) is deleted by the list.
class Executable {
public:
    enum State : int32_t { New = 0, Running = 1, SecondRunning = 2, Finished = 3 };

    // With a list given, the task enters it (and so starts running).
    explicit Executable(ExecutableList* owner = nullptr);
    virtual ~Executable();
    Executable(const Executable&) = delete;
    Executable& operator=(const Executable&) = delete;

    virtual void execute();
    virtual void executeSecondState();
    virtual int32_t getState() const;
    virtual int32_t getPriority() const;
    // The name at index, or null outside 0..count-1.
    virtual const char* getName(int32_t index) const;
    virtual bool nameAtIs(const char* name, int32_t index) const;
    virtual bool hasName(const char* name) const;
    virtual void setPriority(int8_t priority);
    virtual void addName(const char* text);
    // Ignored for state 0 and once the task has finished.
    virtual void setState(int32_t state);

    ExecutableList* ownerList() const { return owner; }
    int32_t nameCount() const { return static_cast<int32_t>(names.size()); }

private:
    friend class ExecutableList;

    int32_t state = New;
    ExecutableList* owner = nullptr;
    std::vector<std::string> names;
    int8_t priority = 0;
};
