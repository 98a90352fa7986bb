// QuorvexArtGen: draws every picture the game uses and writes them as Targa
// files, or writes a contact sheet of the pictures in a folder.
#include "tools/artgen/Artwork.h"
#include "tools/artgen/ContactSheet.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

namespace
{
void PrintUsage(std::FILE* out)
{
    std::fputs(
        "Usage: QuorvexArtGen [--out FOLDER] [--contact-sheet FILE.tga] [--desktop-icons FOLDER] [--help]\n"
        "Draws the game's pictures (ships, shield and cloak, projectiles, powerups,\n"
        "turrets, fuel block, font, window icon) and writes them as Targa files.\n"
        "  --out FOLDER             where to write them (default: data/Graphics)\n"
        "  --contact-sheet FILE.tga instead, read the pictures from the --out folder\n"
        "                           and write one sheet showing them as the game does\n"
        "  --desktop-icons FOLDER   instead, write the window icon at every desktop size\n"
        "                           as FOLDER/quorvex-SIZE.tga (packaging/icons/make-icons.sh\n"
        "                           turns them into the committed PNG files)\n"
        "  --help                   show this text\n",
        out);
}

int WritePictures(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    int written = 0;
    for (const Picture& picture : MakeAllPictures())
    {
        std::string path = folder + "/" + picture.name;
        if (!WriteTarga(path, picture.canvas, OriginFor(picture.mapping)))
        {
            std::fprintf(stderr, "QuorvexArtGen: cannot write %s\n", path.c_str());
            return 1;
        }
        ++written;
    }
    std::printf("Wrote %d pictures to %s\n", written, folder.c_str());
    return 0;
}

int WriteDesktopIcons(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (int size : kDesktopIconSizes)
    {
        std::string path = folder + "/quorvex-" + std::to_string(size) + ".tga";
        if (!WriteTarga(path, MakeDesktopIcon(size), OriginFor(ScreenMapping::World)))
        {
            std::fprintf(stderr, "QuorvexArtGen: cannot write %s; check that the folder is writable\n",
                         path.c_str());
            return 1;
        }
    }
    std::printf("Wrote %zu desktop icons to %s\n", std::size(kDesktopIconSizes), folder.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    std::string folder = "data/Graphics", sheet, desktopIcons;
    for (int i = 1; i < argc; ++i)
    {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
        {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--out") == 0 && hasValue)
            folder = argv[++i];
        else if (std::strcmp(argv[i], "--contact-sheet") == 0 && hasValue)
            sheet = argv[++i];
        else if (std::strcmp(argv[i], "--desktop-icons") == 0 && hasValue)
            desktopIcons = argv[++i];
        else
        {
            std::fprintf(stderr, "QuorvexArtGen: unknown or incomplete option '%s'\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
    }
    if (!desktopIcons.empty())
        return WriteDesktopIcons(desktopIcons);
    if (!sheet.empty())
    {
        if (!WriteContactSheet(folder, sheet))
            return 1;
        std::printf("Wrote contact sheet %s\n", sheet.c_str());
        return 0;
    }
    return WritePictures(folder);
}
