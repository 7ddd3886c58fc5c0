// A program for the sanitizer launcher's test, with faults named by its first
// argument: "leak", "crash" and "fail" are real faults that the sanitizers and
// GoogleTest report; "tracer" ends the program the way LeakSanitizer does when
// its tracer crashes at exit, after the tests ran. With a state file as second
// argument the tracer crash happens on the first run only.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string faults;

bool has(const char* fault) {
    return faults.find(fault) != std::string::npos;
}

TEST(Subject, FailsWhenTold) {
    EXPECT_FALSE(has("fail")) << "failing as told";
}

void* volatile lost = nullptr;

bool firstRun(const char* stateFile) {
    if (stateFile == nullptr)
        return true;
    if (FILE* seen = std::fopen(stateFile, "r")) {
        std::fclose(seen);
        return false;
    }
    if (FILE* mark = std::fopen(stateFile, "w"))
        std::fclose(mark);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    faults = argc > 1 ? argv[1] : "";
    if (has("leak")) {
        lost = std::malloc(4096);
        lost = nullptr;
    }
    if (has("crash")) {
        // A write to a low, unmapped address: a segmentation fault.
        volatile int* nowhere = reinterpret_cast<int*>(static_cast<uintptr_t>(argc) * 16);
        *nowhere = 1;
    }
    int gtestArgc = 1;
    testing::InitGoogleTest(&gtestArgc, argv);
    const int result = RUN_ALL_TESTS();
    if (has("tracer") && firstRun(argc > 2 ? argv[2] : nullptr)) {
        std::fprintf(stderr,
                     "Tracer caught signal 11: addr=0x0 pc=0x4a2b4c sp=0x7f0000001000\n"
                     "==%d==LeakSanitizer has encountered a fatal error.\n"
                     "==%d==HINT: For debugging, try setting environment variable "
                     "LSAN_OPTIONS=verbosity=1:log_threads=1\n",
                     static_cast<int>(getpid()), static_cast<int>(getpid()));
        std::fflush(stderr);
        _exit(1);
    }
    return result;
}
