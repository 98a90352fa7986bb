#include "tools/artgen/Artwork.h"

TargaOrigin OriginFor(ScreenMapping mapping)
{
    // The reader reverses the rows of both kinds of file (it keeps a file's
    // order only when the descriptor's bit 4 is set), so world pictures are
    // stored bottom row first to come out top row first, and the font the
    // other way round.
    return mapping == ScreenMapping::World ? TargaOrigin::BottomLeft : TargaOrigin::TopLeft;
}

std::vector<Picture> MakeAllPictures()
{
    std::vector<Picture> all;
    for (auto* make : {MakeShips, MakeEffects, MakeIcons, MakeStructures})
        for (Picture& picture : make())
            all.push_back(std::move(picture));
    all.push_back(MakeFont());
    all.push_back(MakeWindowIcon());
    return all;
}
