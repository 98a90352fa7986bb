// Any bytes as the text form of a map. The parser must finish without
// reading out of bounds and without a grid larger than the text allows; what
// it accepts must survive the trip to text and back and to a map file and
// back unchanged, and the arena checks must run on it.
#include "tests/fuzz/FuzzCheck.h"
#include "tools/maptool/MapChecks.h"
#include "tools/maptool/MapGrid.h"
#include "tools/maptool/MapText.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    maptool::MapGrid grid;
    maptool::TextError error;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!maptool::ParseMapText(text, grid, error))
    {
        Check(!error.message.empty() && error.line >= 0 && error.column >= 0);
        return 0;
    }
    Check(grid.columns >= 1 && grid.rows >= 1 && size_t(grid.columns) * size_t(grid.rows) <= size);
    std::string formatted, reason;
    Check(maptool::FormatMapText(grid, formatted, reason));
    maptool::MapGrid again;
    Check(maptool::ParseMapText(formatted, again, error) && again == grid);
    maptool::MapGrid decoded;
    Check(maptool::DecodeMapFile(maptool::EncodeMapFile(grid), decoded, reason) && decoded == grid);
    maptool::CheckArena(grid);
    return 0;
}
