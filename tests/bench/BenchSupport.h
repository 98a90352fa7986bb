// What the benches share: the shipped maps they play on, and the command line
// of the standalone ones, read through the tools' own option table.
#pragma once

#include "common/OptionTable.h"
#include "game/Map.h"

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

namespace bench
{
// A shipped map from the source tree, for a world to own. A bench without its
// map has nothing to measure, so a map that does not load ends the run.
inline CMap* LoadShippedMap(const std::string& name = "Caves")
{
    std::string path = std::string(QUORVEX_SOURCE_DIR) + "/data/Maps/" + name + ".smp";
    auto* map = new CMap();
    if (!map->LoadFromFile(path))
    {
        std::fprintf(stderr, "cannot load %s\n", path.c_str());
        std::exit(1);
    }
    return map;
}

// Reads a standalone bench's options against `table`, whose "--help" is a
// StopOption. Help prints `usage` and ends the run; so does a mistake, named
// first, with status 2.
inline void ReadOptions(std::span<const cmdline::Option> table, int argc, char** argv, const char* usage)
{
    std::string error;
    if (cmdline::ParseToolOptions(table, argc, argv, error))
        return;
    if (!error.empty())
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    std::fprintf(error.empty() ? stdout : stderr, "usage: %s %s\n", argv[0], usage);
    std::exit(error.empty() ? 0 : 2);
}
} // namespace bench
