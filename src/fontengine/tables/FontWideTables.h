// The classes of the font-wide tables by registry index, for the engine's table
// factory: a new object of the index's class with the directory's numbers, or nullptr
// for an index whose class lives elsewhere.
#pragma once

#include <cstdint>
#include <memory>

#include "TTF_TABLE.h"

std::unique_ptr<TTF_TABLE> CreateFontWideTable(int index, TTObject* owner, uint32_t length = 0,
                                               uint32_t checksum = 0, uint32_t offset = 0);
