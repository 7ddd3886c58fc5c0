#include "platform/ScreenSize.h"

int32_t ScreenWidth = 640;
int32_t ScreenHeight = 480;
