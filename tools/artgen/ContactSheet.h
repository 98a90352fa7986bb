// A contact sheet of every picture as the game shows it: each file is read
// back with the game's own Targa reader and laid out the way the game maps
// its rows to the screen, enlarged three times, with its name written in the
// game's own font. Ships appear a second time with their collision outline
// drawn over them, and the font is shown at full size and doubled, with a
// sample text set through the game's glyph table.
#pragma once

#include <string>

// Reads the pictures from `folder` and writes the sheet as a Targa file.
// False (with a message on standard error) when a picture is missing or the
// sheet cannot be written.
bool WriteContactSheet(const std::string& folder, const std::string& sheetPath);
