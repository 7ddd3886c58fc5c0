#include "platform/DisplayListIds.h"

namespace {
int32_t nextId = 1;
}

int32_t nextDisplayListId() {
    return nextId++;
}
