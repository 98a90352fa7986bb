// Drawing the map: the cells around the view point, walked without wrapping
// so the screen positions run on across the seam while each tile is looked
// up at its wrapped cell. Cell (c, r) has its corner of smallest world x and
// y at screen (c x 32 - view x + 100, -(r x 32 - view y)), the transform every
// object's Draw uses; world y grows down the screen.
#include "game/Map.h"

#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "gfx/Texture.h"

namespace
{
const char* const kTextureNames[] = {
    "FuelBlock.tga",        "turret_ok_up.tga",     "turret_dead_up.tga",
    "turret_ok_left.tga",   "turret_dead_left.tga", "turret_ok_down.tga",
    "turret_dead_down.tga", "turret_ok_right.tga",  "turret_dead_right.tga",
};

// The cells a frame covers: a block of `columns` x `rows` cells from the
// first one, unwrapped.
struct CellWindow
{
    int64_t firstColumn, firstRow;
    int32_t columns, rows;
    int32_t viewX, viewY;
};

int64_t FloorDivide(int64_t value, int64_t divisor)
{
    int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// Calls fn(code, screen x, screen y) for every cell of the window, the screen
// point being the cell's corner of smallest world x and y.
template <class Fn> void ForEachCell(const CMap& map, const CellWindow& window, Fn fn)
{
    const int64_t w = map.GetTileWidth(), h = map.GetTileHeight();
    for (int64_t c = window.firstColumn; c < window.firstColumn + window.columns; ++c)
        for (int64_t r = window.firstRow; r < window.firstRow + window.rows; ++r)
        {
            int32_t code = map.GetTile(static_cast<int32_t>(c % map.GetColumns()),
                                       static_cast<int32_t>(r % map.GetRows()));
            float x = static_cast<float>(c * w - window.viewX + 100);
            float y = static_cast<float>(-(r * h - window.viewY));
            fn(code, x, y);
        }
}

// A point `lx`, `ly` world units into the cell whose corner is at (x, y).
RenderVertex At(float x, float y, float lx, float ly, float u = 0, float v = 0)
{
    return RenderVertex{x + lx, y - ly, 0, u, v};
}

// Half walls as triangles in cell units, right angle in the middle.
void AddHalfWall(std::vector<RenderVertex>& out, int32_t code, float x, float y)
{
    const float s = CMap::kTileSize;
    static const float corners[4][3][2] = {
        {{1, 0}, {1, 1}, {0, 1}}, // 2: lower right
        {{1, 1}, {0, 1}, {0, 0}}, // 3: lower left
        {{0, 1}, {0, 0}, {1, 0}}, // 4: upper left
        {{0, 0}, {1, 0}, {1, 1}}, // 5: upper right
    };
    for (const auto& corner : corners[code - TILE_WALL_LOWER_RIGHT])
        out.push_back(At(x, y, corner[0] * s, corner[1] * s));
}

// The square's four edges, leaving out the diagonal a triangle pair would show.
void AddSquareEdges(std::vector<RenderVertex>& out, float x, float y)
{
    const float s = CMap::kTileSize;
    const float corners[5][2] = {{0, 0}, {s, 0}, {s, s}, {0, s}, {0, 0}};
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(At(x, y, corners[i][0], corners[i][1]));
        out.push_back(At(x, y, corners[i + 1][0], corners[i + 1][1]));
    }
}

void DrawWalls(const CMap& map, const CellWindow& window)
{
    std::vector<RenderVertex> edges, triangles;
    ForEachCell(map, window,
                [&](int32_t code, float x, float y)
                {
                    if (code == TILE_WALL)
                        AddSquareEdges(edges, x, y);
                    else if (code >= TILE_WALL_LOWER_RIGHT && code <= TILE_WALL_UPPER_RIGHT)
                        AddHalfWall(triangles, code, x, y);
                });
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetTexturing(false);
    backend.SetPolygonMode(PolygonFill::Line, PolygonFill::Line);
    backend.SetColour(RenderColour{0, 0, 1, 1});
    if (!triangles.empty())
        backend.DrawTriangles(triangles.data(), triangles.size());
    if (!edges.empty())
        backend.DrawLines(edges.data(), edges.size());
}

void DrawFuelBlocks(const CMap& map, const CellWindow& window, const CTexture* texture)
{
    const float s = CMap::kTileSize;
    const TextureSource source = texture ? texture->Source() : TextureSource{};
    const TextureRegion& t = source.region;
    std::vector<RenderVertex> triangles;
    ForEachCell(map, window,
                [&](int32_t code, float x, float y)
                {
                    if (code != TILE_FUEL)
                        return;
                    // The same corners and texture coordinates as an object's quad.
                    RenderVertex a = At(x, y, 0, 0, t.u0, t.v0), b = At(x, y, 0, s, t.u0, t.v1),
                                 c = At(x, y, s, s, t.u1, t.v1), d = At(x, y, s, 0, t.u1, t.v0);
                    triangles.insert(triangles.end(), {b, c, d, d, a, b});
                });
    if (triangles.empty())
        return;
    CRenderBackend& backend = GetRenderBackend();
    backend.SetPolygonMode(PolygonFill::Fill, PolygonFill::Line);
    backend.SetColour(RenderColour{1, 1, 1, 1});
    bool textured = texture != nullptr;
    backend.SetTexturing(textured);
    if (textured)
        backend.BindTexture(source.name);
    backend.DrawTriangles(triangles.data(), triangles.size());
    if (textured)
        backend.BindTexture(0);
}

void DrawCellOutlines(const CMap& map, const CellWindow& window)
{
    CRenderBackend& backend = GetRenderBackend();
    backend.SetTexturing(false);
    backend.SetColour(RenderColour{1, 0, 0, 1});
    const float half = CMap::kTileSize / 2;
    ForEachCell(map, window,
                [&](int32_t code, float x, float y)
                {
                    std::vector<RenderVertex> loop;
                    CollisionPolygon outline = CMap::OutlineForCode(code);
                    for (const CollisionPolygon::Point& p : outline.GetPoints())
                        loop.push_back(At(x, y, half + p.x, half + p.y));
                    if (!loop.empty())
                        backend.DrawLineLoop(loop.data(), loop.size());
                });
}
} // namespace

void CMap::SetDisplaySize(int32_t width, int32_t height)
{
    if (width < 1 || height < 1 || width > 16384 || height > 16384)
        return;
    m_displayWidth = width;
    m_displayHeight = height;
}

bool CMap::LoadTextures()
{
    return AddTexturesByName(kTextureNames);
}

bool CMap::Draw(int32_t viewX, int32_t viewY)
{
    if (HasCells())
    {
        CellWindow window;
        window.columns = m_displayWidth / kTileSize + 2;
        window.rows = m_displayHeight / kTileSize + 2;
        window.firstColumn = FloorDivide(viewX, m_tileWidth) - window.columns / 2;
        window.firstRow = FloorDivide(viewY, m_tileHeight) - window.rows / 2;
        window.viewX = viewX;
        window.viewY = viewY;
        DrawWalls(*this, window);
        DrawFuelBlocks(*this, window, GetTexture(0));
        if (GetDrawToggles().outlines)
            DrawCellOutlines(*this, window);
    }
    return CheckGraphicsError();
}
