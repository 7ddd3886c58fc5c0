#pragma once
#include <cstdint>

// Every OpenGL display list of the program takes its id from here: a
// process-wide counter starting at 1. Ids are never returned or reused.
int32_t nextDisplayListId();
