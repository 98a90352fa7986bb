// Drawing the map: the cells around the view point, walked without wrapping
// so the screen positions run on across the seam while each tile is looked
// up at its wrapped cell. Cell (c, r) has its corner of smallest world x and
// y at screen (c x 32 - view x + 100, -(r x 32 - view y)), the transform every
// object's Draw uses; world y grows down the screen.
#include "game/Map.h"

#include "gfx/Graphics.h"
#include "gfx/RenderBackend.h"
#include "gfx/Texture.h"

#include <vector>

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

// The walls as lines on the cell grid. A square wall's four edges and a half
// wall's two legs lie on grid lines; an edge two cells share is drawn once,
// and the edges along one grid line join into runs, so a block of walls costs
// a line per grid line instead of four per cell. The pixels stay those of the
// separate edges: joined collinear lines cover what their pieces covered.
// The half walls' diagonals are lines of their own, each from the third
// corner to the first, as an outlined triangle draws them.
class CWallLines
{
public:
    void Build(const CMap& map, const CellWindow& window);
    const std::vector<RenderVertex>& Vertices() const { return m_lines; }

private:
    void AddCell(int32_t code, int32_t column, int32_t row);
    void AddDiagonal(int32_t code, int32_t column, int32_t row);
    void AddRuns();
    void AddRun(const RenderVertex& from, const RenderVertex& to, const RenderVertex& lastCell,
                bool endDrawn);
    float ColumnX(int64_t column) const;
    float RowY(int64_t row) const;
    // Edge flags: m_across[row * columns + column] is the edge on the grid
    // line above window row `row` (world y smaller) over `column`;
    // m_down[column * rows + row] the edge on the grid line left of `column`.
    std::vector<uint8_t> m_across, m_down;
    std::vector<RenderVertex> m_lines;
    CellWindow m_window{};
    int64_t m_tileWidth = CMap::kTileSize, m_tileHeight = CMap::kTileSize;
};

// The corner points of each half wall in cell units, as its triangle runs
// (right angle in the middle).
constexpr float kHalfWallCorners[4][3][2] = {
    {{1, 0}, {1, 1}, {0, 1}}, // 2: lower right
    {{1, 1}, {0, 1}, {0, 0}}, // 3: lower left
    {{0, 1}, {0, 0}, {1, 0}}, // 4: upper left
    {{0, 0}, {1, 0}, {1, 1}}, // 5: upper right
};

void CWallLines::Build(const CMap& map, const CellWindow& window)
{
    m_window = window;
    m_tileWidth = map.GetTileWidth();
    m_tileHeight = map.GetTileHeight();
    m_across.assign(static_cast<size_t>(window.columns) * (window.rows + 1), 0);
    m_down.assign(static_cast<size_t>(window.rows) * (window.columns + 1), 0);
    m_lines.clear();
    int32_t index = 0;
    ForEachCell(map, window,
                [&](int32_t code, float, float)
                {
                    // ForEachCell walks each column top to bottom.
                    AddCell(code, index / window.rows, index % window.rows);
                    ++index;
                });
    AddRuns();
}

void CWallLines::AddCell(int32_t code, int32_t column, int32_t row)
{
    const int32_t columns = m_window.columns, rows = m_window.rows;
    auto across = [&](int32_t r, int32_t c) { m_across[static_cast<size_t>(r) * columns + c] = 1; };
    auto down = [&](int32_t c, int32_t r) { m_down[static_cast<size_t>(c) * rows + r] = 1; };
    if (code == TILE_WALL)
    {
        across(row, column);
        across(row + 1, column);
        down(column, row);
        down(column + 1, row);
        return;
    }
    if (code < TILE_WALL_LOWER_RIGHT || code > TILE_WALL_UPPER_RIGHT)
        return;
    // The legs: the edges through the right angle's corner (the middle one).
    const float(&corner)[2] = kHalfWallCorners[code - TILE_WALL_LOWER_RIGHT][1];
    across(row + static_cast<int32_t>(corner[1]), column);
    down(column + static_cast<int32_t>(corner[0]), row);
    AddDiagonal(code, column, row);
}

void CWallLines::AddDiagonal(int32_t code, int32_t column, int32_t row)
{
    const auto& corners = kHalfWallCorners[code - TILE_WALL_LOWER_RIGHT];
    const float x = ColumnX(column), y = RowY(row), s = CMap::kTileSize;
    m_lines.push_back(At(x, y, corners[2][0] * s, corners[2][1] * s));
    m_lines.push_back(At(x, y, corners[0][0] * s, corners[0][1] * s));
}

// Each grid line's flagged edges as runs, left to right and top to bottom.
void CWallLines::AddRuns()
{
    const int32_t columns = m_window.columns, rows = m_window.rows;
    for (int32_t r = 0; r <= rows; ++r)
        for (int32_t c = 0; c < columns; ++c)
        {
            const uint8_t* line = &m_across[static_cast<size_t>(r) * columns];
            if (!line[c])
                continue;
            int32_t end = c;
            while (end < columns && line[end])
                ++end;
            const bool endDrawn = r < rows && m_down[static_cast<size_t>(end) * rows + r];
            AddRun({ColumnX(c), RowY(r), 0, 0, 0}, {ColumnX(end), RowY(r), 0, 0, 0},
                   {ColumnX(end - 1), RowY(r), 0, 0, 0}, endDrawn);
            c = end;
        }
    for (int32_t c = 0; c <= columns; ++c)
        for (int32_t r = 0; r < rows; ++r)
        {
            const uint8_t* line = &m_down[static_cast<size_t>(c) * rows];
            if (!line[r])
                continue;
            int32_t end = r;
            while (end < rows && line[end])
                ++end;
            const bool endDrawn = c < columns && m_across[static_cast<size_t>(end) * columns + c];
            AddRun({ColumnX(c), RowY(r), 0, 0, 0}, {ColumnX(c), RowY(end), 0, 0, 0},
                   {ColumnX(c), RowY(end - 1), 0, 0, 0}, endDrawn);
            r = end;
        }
}

// A line leaves out its last pixel, while the separate edges, drawn round each
// cell, left none of a corner's pixels out: the run's last cell is drawn back
// from its end (from `to` to `lastCell`) too.
void CWallLines::AddRun(const RenderVertex& from, const RenderVertex& to, const RenderVertex& lastCell,
                        bool endDrawn)
{
    m_lines.insert(m_lines.end(), {from, to});
    if (!endDrawn)
        m_lines.insert(m_lines.end(), {to, lastCell});
}

// The screen x of the grid line left of window column `column`, as
// ForEachCell places a cell's corner.
float CWallLines::ColumnX(int64_t column) const
{
    return static_cast<float>((m_window.firstColumn + column) * m_tileWidth - m_window.viewX + 100);
}

float CWallLines::RowY(int64_t row) const
{
    return static_cast<float>(-((m_window.firstRow + row) * m_tileHeight - m_window.viewY));
}

void DrawWalls(const CMap& map, const CellWindow& window)
{
    // Kept between frames so a frame allocates nothing.
    static CWallLines walls;
    walls.Build(map, window);
    CRenderBackend& backend = GetRenderBackend();
    backend.LoadIdentity();
    backend.SetTexturing(false);
    backend.SetPolygonMode(PolygonFill::Line, PolygonFill::Line);
    backend.SetColour(RenderColour{0, 0, 1, 1});
    if (!walls.Vertices().empty())
        backend.DrawLines(walls.Vertices().data(), walls.Vertices().size());
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
