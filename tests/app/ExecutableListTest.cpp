#include <gtest/gtest.h>

#include <vector>

#include "app/Executable.h"
#include "app/ExecutableList.h"

namespace {

// A task that logs its runs and its deletion.
class LoggingTask : public Executable {
public:
    LoggingTask(ExecutableList* list, int id_, int8_t priority, std::vector<int>* log_,
                int* deleted_ = nullptr)
            : Executable(nullptr), id(id_), log(log_), deleted(deleted_) {
        setPriority(priority);
        if (list)
            list->enter(this);
    }
    ~LoggingTask() override {
        if (deleted)
            ++*deleted;
    }
    void execute() override { log->push_back(id); }
    void executeSecondState() override { log->push_back(-id); }

    int id;
    std::vector<int>* log;
    int* deleted;
};

}  // namespace

TEST(Executable, NamesPriorityAndState) {
    Executable task;
    EXPECT_EQ(task.getState(), 0);
    EXPECT_EQ(task.getPriority(), 0);
    EXPECT_EQ(task.ownerList(), nullptr);
    task.addName("walk");
    task.addName("run");
    EXPECT_STREQ(task.getName(1), "run");
    EXPECT_EQ(task.getName(2), nullptr);
    EXPECT_EQ(task.getName(-1), nullptr);
    EXPECT_TRUE(task.nameAtIs("walk", 0));
    EXPECT_FALSE(task.nameAtIs("walk", 1));
    EXPECT_FALSE(task.nameAtIs("walk", 5));
    EXPECT_TRUE(task.hasName("run"));
    EXPECT_FALSE(task.hasName("fly"));
    EXPECT_FALSE(task.hasName(nullptr));
    task.setPriority(-100);
    EXPECT_EQ(task.getPriority(), -100);

    task.setState(2);
    EXPECT_EQ(task.getState(), 2);
    task.setState(0);  // never back to new
    EXPECT_EQ(task.getState(), 2);
    task.setState(3);
    task.setState(1);  // finished stays finished
    EXPECT_EQ(task.getState(), 3);
}

TEST(ExecutableList, EnteringStartsTheTaskAndDoublesWhenFull) {
    ExecutableList list;
    EXPECT_EQ(list.capacity(), 10);
    std::vector<int> log;
    std::vector<LoggingTask*> tasks;
    for (int i = 0; i < 11; ++i)
        tasks.push_back(new LoggingTask(&list, i, 0, &log));
    EXPECT_EQ(tasks[0]->getState(), 1);
    EXPECT_EQ(tasks[0]->ownerList(), &list);
    EXPECT_EQ(list.capacity(), 20);
    EXPECT_EQ(list.slot(10), tasks[10]);
    EXPECT_EQ(list.slot(11), nullptr);

    // A task constructed with its list enters it by itself.
    auto* own = new Executable(&list);
    EXPECT_EQ(list.slot(11), own);
    EXPECT_EQ(own->getState(), 1);
}

TEST(ExecutableList, StepRunsTasksByStateAndDeletesFinishedOnes) {
    ExecutableList list;
    std::vector<int> log;
    int deleted = 0;
    auto* a = new LoggingTask(&list, 1, 0, &log, &deleted);
    auto* b = new LoggingTask(&list, 2, 0, &log, &deleted);
    auto* c = new LoggingTask(&list, 3, 0, &log, &deleted);
    b->setState(2);
    list.step();
    EXPECT_EQ(log, (std::vector<int>{1, -2, 3}));

    a->setState(3);
    log.clear();
    list.step();
    // Deleted in the frame that first sees it finished; the others move up.
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(log, (std::vector<int>{-2, 3}));
    EXPECT_EQ(list.slot(0), b);
    EXPECT_EQ(list.slot(1), c);
    EXPECT_EQ(list.slot(2), nullptr);

    list.clear();
    EXPECT_EQ(deleted, 3);
    EXPECT_EQ(list.capacity(), 10);
    EXPECT_EQ(list.slot(0), nullptr);
}

TEST(ExecutableList, ALowerPriorityAfterAHigherOneSortsInTheSameStep) {
    ExecutableList list;
    std::vector<int> log;
    auto* high = new LoggingTask(&list, 1, 5, &log);
    auto* low = new LoggingTask(&list, 2, -3, &log);
    auto* mid = new LoggingTask(&list, 3, 0, &log);
    list.step();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));  // run in slot order, then sorted
    EXPECT_EQ(list.slot(0), low);
    EXPECT_EQ(list.slot(1), mid);
    EXPECT_EQ(list.slot(2), high);
    for (int i = 3; i < list.capacity(); ++i)
        EXPECT_EQ(list.slot(i), nullptr);
    log.clear();
    list.step();
    EXPECT_EQ(log, (std::vector<int>{2, 3, 1}));
}

TEST(ExecutableList, EmptySlotsSortAfterEveryTask) {
    ExecutableList list;
    std::vector<int> log;
    auto* first = new LoggingTask(&list, 1, 0, &log);
    auto* second = new LoggingTask(&list, 2, 1, &log);
    auto* third = new LoggingTask(&list, 3, -1, &log);
    first->setState(3);  // frees slot 0 and forces a sort
    list.step();
    EXPECT_EQ(list.slot(0), third);
    EXPECT_EQ(list.slot(1), second);
    EXPECT_EQ(list.slot(2), nullptr);
    // The freed slot is the first a new task takes.
    auto* fourth = new LoggingTask(&list, 4, 0, &log);
    EXPECT_EQ(list.slot(2), fourth);
}
