// Writes 32-bit uncompressed Targa files for the artwork generator. The
// canvas is always given as seen on screen (top row first); `origin` says
// how the file stores its rows, and the generator picks it so that the game's
// reader puts the rows where the game's drawing expects them (see Artwork.h).
#pragma once

#include "tools/artgen/Canvas.h"

#include <string>

enum class TargaOrigin
{
    BottomLeft, // rows bottom first, descriptor 0x08
    TopLeft,    // rows top first, descriptor 0x28
};

// False when the file could not be written.
bool WriteTarga(const std::string& path, const CCanvas& canvas, TargaOrigin origin);
