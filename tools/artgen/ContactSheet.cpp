#include "tools/artgen/ContactSheet.h"

#include "gfx/TargaImage.h"
#include "gfx/Text.h"
#include "tools/artgen/Artwork.h"

#include <cstdio>
#include <map>

namespace
{
constexpr int kSheetWidth = 1040;
constexpr int kTilePitchX = 208;
constexpr int kTilePitchY = 128;
constexpr int kZoom = 3;

// A loaded picture turned back into the way the screen shows it.
bool LoadAsSeen(const std::string& folder, const Picture& picture, CCanvas& seen)
{
    CTargaImage image;
    image.Load(folder + "/" + picture.name);
    if (image.IsEmpty())
    {
        std::fprintf(stderr, "QuorvexArtGen: cannot read %s/%s\n", folder.c_str(), picture.name.c_str());
        return false;
    }
    image.ConvertFormat(PIXEL_FORMAT_RGBA);
    int w = image.GetWidth(), h = image.GetHeight();
    seen = CCanvas(w, h);
    const std::vector<uint8_t>& px = image.GetPixels();
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x)
        {
            const uint8_t* p = px.data() + (size_t(row) * w + x) * 4;
            int y = picture.mapping == ScreenMapping::Text ? h - 1 - row : row;
            seen.Set(x, y, {p[0], p[1], p[2], p[3]});
        }
    return true;
}

// Text in the game's font: each character's cell copied as the game draws it.
void Write(CCanvas& sheet, const CCanvas& font, int x, int y, const std::string& text, Colour tint)
{
    for (char c : text)
    {
        GlyphCell cell = FindGlyph(c);
        int cellTop = font.Height() - (cell.row + 1) * 16;
        for (int dy = 0; dy < 16; ++dy)
            for (int dx = 0; dx < 10; ++dx)
            {
                Colour g = font.Get(cell.column * 10 + dx, cellTop + dy);
                sheet.Blend(x + dx, y + dy,
                            {uint8_t(g.r * tint.r / 255), uint8_t(g.g * tint.g / 255),
                             uint8_t(g.b * tint.b / 255), g.a});
            }
        x += 10;
    }
}

void Backdrop(CCanvas& sheet)
{
    for (int y = 0; y < sheet.Height(); ++y)
        for (int x = 0; x < sheet.Width(); ++x)
            sheet.Set(x, y, ((x / 8 + y / 8) % 2) ? Colour{18, 20, 30, 255} : Colour{26, 29, 42, 255});
}

void OutlineOver(CCanvas& tile, const std::vector<std::vector<Point>>& polygons)
{
    for (const std::vector<Point>& polygon : polygons)
        for (size_t i = 0; i < polygon.size(); ++i)
        {
            Point a = FromObject(polygon[i].x, polygon[i].y),
                  b = FromObject(polygon[(i + 1) % polygon.size()].x, polygon[(i + 1) % polygon.size()].y);
            tile.Line({a.x * kZoom, a.y * kZoom}, {b.x * kZoom, b.y * kZoom}, {255, 40, 40, 255});
        }
}

std::string Label(const std::string& name)
{
    return name.substr(0, name.rfind('.'));
}

constexpr int kIconSectionHeight = 20 + 64 * kZoom + 16;

// The window icon at the sizes desktops show it, and enlarged.
void IconSection(CCanvas& sheet, const CCanvas& font, const CCanvas& icon, int top)
{
    Write(sheet, font, 16, top, "QuorvexIcon at 64, 32 and 16 pixels, and tripled:", {0, 255, 0, 255});
    sheet.Paste(icon, 16, top + 20);
    sheet.Paste(icon.Shrunk(2), 96, top + 20);
    sheet.Paste(icon.Shrunk(4), 144, top + 20);
    sheet.Paste(icon, 176, top + 20, kZoom);
}
} // namespace

bool WriteContactSheet(const std::string& folder, const std::string& sheetPath)
{
    std::vector<Picture> pictures = MakeAllPictures();
    std::map<std::string, CCanvas> seen;
    for (const Picture& picture : pictures)
    {
        CCanvas canvas(1, 1);
        if (!LoadAsSeen(folder, picture, canvas))
            return false;
        seen.emplace(picture.name, canvas);
    }
    const CCanvas& font = seen.at("Font2.tga");
    std::vector<std::pair<std::string, CCanvas>> tiles;
    for (const Picture& picture : pictures)
        if (picture.mapping == ScreenMapping::World && picture.name != kWindowIconName)
        {
            const CCanvas& art = seen.at(picture.name);
            CCanvas tile(art.Width() * kZoom, art.Height() * kZoom);
            tile.Paste(art, 0, 0, kZoom);
            tiles.emplace_back(Label(picture.name), tile);
        }
    for (const ShipOutline& ship : ShipOutlines())
    {
        CCanvas tile(32 * kZoom, 32 * kZoom);
        tile.Paste(seen.at(ship.file), 0, 0, kZoom);
        OutlineOver(tile, ship.polygons);
        tiles.emplace_back(Label(ship.file) + " hit", tile);
    }
    int perRow = kSheetWidth / kTilePitchX;
    int tileRows = (int(tiles.size()) + perRow - 1) / perRow;
    int iconTop = 16 + tileRows * kTilePitchY;
    int fontTop = iconTop + kIconSectionHeight;
    CCanvas sheet(kSheetWidth, fontTop + 16 + 128 + 24 + 256 + 110);
    Backdrop(sheet);
    for (size_t i = 0; i < tiles.size(); ++i)
    {
        int x = 16 + int(i % perRow) * kTilePitchX, y = 16 + int(i / perRow) * kTilePitchY;
        sheet.Paste(tiles[i].second, x, y);
        Write(sheet, font, x, y + 98, tiles[i].first, {255, 255, 255, 255});
    }
    IconSection(sheet, font, seen.at(kWindowIconName), iconTop);
    Write(sheet, font, 16, fontTop, "Font2 at full size and doubled:", {0, 255, 0, 255});
    sheet.Paste(font, 16, fontTop + 20);
    sheet.Paste(font, 16, fontTop + 20 + 128 + 16, 2);
    int textTop = fontTop + 20 + 128 + 16 + 256 + 10;
    Write(sheet, font, 16, textTop, "Quorvex! The quick brown fox jumps over the lazy dog: 0123456789",
          {255, 255, 255, 255});
    Write(sheet, font, 16, textTop + 18,
          "SPHINX OF BLACK QUARTZ, JUDGE MY VOW. (a+b)=c-d/e 'x' \"y\" @ 50% ~ ?", {0, 255, 0, 255});
    Write(sheet, font, 16, textTop + 36, "Player1 fragged Player2 with a missile.   Ping: 42   FPS: 60",
          {255, 0, 0, 255});
    Write(sheet, font, 16, textTop + 54, "Server Name                  Players/Max   07/15",
          {255, 255, 255, 255});
    return WriteTarga(sheetPath, sheet, TargaOrigin::TopLeft);
}
