// The description of the system that the reports print after "Platform: ".
#pragma once
#include <cstddef>

#include "platform.h"

// Its length, or 0 (and an empty text) when the system version can't be read.
int PlatformText(char *out, size_t capacity);
// The description of the given facts.
int PlatformTextOf(const PlatformFacts &facts, char *out, size_t capacity);
