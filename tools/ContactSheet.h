#pragma once
#include "tools/Art.h"

// One picture for reviewing the media: a mock-up of the 640 x 480 screen with
// every panel in place (once plain, once with the button regions outlined),
// then every image enlarged, key-coloured pixels shown as a grey checkerboard.
Canvas makeContactSheet(const MediaSet& media);
