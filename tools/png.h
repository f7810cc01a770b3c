// 8-bit PNG pictures for the tools: the prover's level pictures and the
// game's icons (the game itself loads BMP).
#pragma once

#include <allegro.h>
#include <string>

// Writes `bmp` as an RGB PNG, or as RGBA when `alpha` is given: one byte a
// pixel, row by row, 0 clear to 255 solid.
bool write_png(const std::string &path, BITMAP *bmp, const std::string *alpha = nullptr);
