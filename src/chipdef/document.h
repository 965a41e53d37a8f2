// The built-in chip-definition document (77q41.xml), embedded at build time as its lines.
#pragma once

#include <cstddef>

extern const char* const kChipDefLines[];
extern const size_t kChipDefLineCount;
