#include "support/FakeTicks.h"

uint32_t fakeNow = 0;

uint32_t fakeTicks() {
    return fakeNow;
}
