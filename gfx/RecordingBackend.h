// A render backend for tests: it draws nothing and records, in order, what
// the drawing code asked for (binds, quads, triangles, lines, uploads), each
// with the texture, colour and texturing switch in force at that moment, so
// a test can check a frame exactly without a display. Texture names count up
// from 1; an upload error can be injected for the next upload.
#pragma once

#include "gfx/RenderBackend.h"

#include <array>
#include <optional>
#include <vector>

class CRecordingBackend : public CRenderBackend
{
public:
    // The drawing state a primitive was drawn with.
    struct State
    {
        uint32_t texture = 0;
        RenderColour colour;
        bool texturing = false;
        // The clip in force (none: the whole window).
        std::optional<PixelBox> clip;
    };
    struct Quad
    {
        std::array<RenderVertex, 4> vertices;
        State state;
    };
    struct Triangle
    {
        std::array<RenderVertex, 3> vertices;
        State state;
    };
    struct Line
    {
        RenderVertex from, to;
        uint16_t stipple = 0;
        State state;
    };
    struct LineLoop
    {
        std::vector<RenderVertex> vertices;
        State state;
    };
    struct Projection
    {
        double left = 0, right = 0, bottom = 0, top = 0, nearZ = 0, farZ = 0;
    };
    struct Viewport
    {
        int32_t x = 0, y = 0, width = 0, height = 0;
    };
    struct Upload
    {
        uint32_t name = 0;
        int32_t width = 0, height = 0;
        std::vector<uint8_t> rgba;
    };

    TextureUpload UploadTexture(int32_t width, int32_t height, const uint8_t* rgba) override;
    void DeleteTexture(uint32_t name) override { m_deleted.push_back(name); }
    void BindTexture(uint32_t name) override;
    uint32_t GetError() override;
    std::string ErrorText(uint32_t error) override;
    void SetColour(const RenderColour& colour) override { m_state.colour = colour; }
    void SetTexturing(bool enabled) override { m_state.texturing = enabled; }
    void SetPolygonMode(PolygonFill front, PolygonFill back) override;
    void LoadIdentity() override {}
    void SetFixedState() override { m_fixedState = true; }
    void SetBlending(bool enabled) override { m_blending = enabled; }
    void SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) override
    {
        m_viewport = {x, y, width, height};
    }
    void SetLineScale(float pixelsPerUnit) override { m_lineScale = pixelsPerUnit; }
    void SetOrthoProjection(double left, double right, double bottom, double top, double nearZ,
                            double farZ) override
    {
        m_projection = {left, right, bottom, top, nearZ, farZ};
    }
    void Clear(const RenderColour& colour) override { m_clears.push_back(colour); }
    void SetClip(const PixelBox* box) override
    {
        m_state.clip = box ? std::optional<PixelBox>(*box) : std::nullopt;
    }
    void DrawQuads(const RenderVertex* vertices, size_t count) override;
    void DrawTriangles(const RenderVertex* vertices, size_t count) override;
    void DrawLines(const RenderVertex* vertices, size_t count, uint16_t stipple) override;
    void DrawLineLoop(const RenderVertex* vertices, size_t count) override;

    // The next upload reports `error`.
    void FailNextUpload(uint32_t error) { m_failNext = error; }
    // GetError reports `error` once, as a library with an error pending would.
    void SetPendingError(uint32_t error) { m_pendingError = error; }
    // Forgets the recorded frame; textures, uploads and state stay.
    void ClearFrame();

    const std::vector<uint32_t>& Binds() const { return m_binds; }
    const std::vector<Quad>& Quads() const { return m_quads; }
    const std::vector<Triangle>& Triangles() const { return m_triangles; }
    const std::vector<Line>& Lines() const { return m_lines; }
    const std::vector<LineLoop>& LineLoops() const { return m_loops; }
    const std::vector<Upload>& Uploads() const { return m_uploads; }
    const std::vector<uint32_t>& Deleted() const { return m_deleted; }
    const State& CurrentState() const { return m_state; }
    const std::vector<RenderColour>& Clears() const { return m_clears; }
    const Projection& LastProjection() const { return m_projection; }
    const Viewport& LastViewport() const { return m_viewport; }
    float LineScale() const { return m_lineScale; }
    bool FixedStateSet() const { return m_fixedState; }
    bool Blending() const { return m_blending; }
    PolygonFill FrontFill() const { return m_front; }
    PolygonFill BackFill() const { return m_back; }

private:
    State m_state;
    PolygonFill m_front = PolygonFill::Fill;
    PolygonFill m_back = PolygonFill::Fill;
    uint32_t m_nextName = 1;
    uint32_t m_failNext = 0;
    uint32_t m_pendingError = 0;
    std::vector<uint32_t> m_binds;
    std::vector<Quad> m_quads;
    std::vector<Triangle> m_triangles;
    std::vector<Line> m_lines;
    std::vector<LineLoop> m_loops;
    std::vector<Upload> m_uploads;
    std::vector<uint32_t> m_deleted;
    std::vector<RenderColour> m_clears;
    Projection m_projection;
    Viewport m_viewport;
    float m_lineScale = 1;
    bool m_fixedState = false;
    bool m_blending = false;
};
