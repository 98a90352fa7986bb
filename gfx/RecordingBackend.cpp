#include "gfx/RecordingBackend.h"

TextureUpload CRecordingBackend::UploadTexture(int32_t width, int32_t height, const uint8_t* rgba)
{
    Upload upload{m_nextName++, width, height, {}};
    if (rgba && width > 0 && height > 0)
        upload.rgba.assign(rgba, rgba + size_t(width) * size_t(height) * 4);
    m_uploads.push_back(upload);
    m_state.texture = upload.name;
    uint32_t error = m_failNext;
    m_failNext = 0;
    return {upload.name, error};
}

void CRecordingBackend::BindTexture(uint32_t name)
{
    m_state.texture = name;
    m_binds.push_back(name);
}

uint32_t CRecordingBackend::GetError()
{
    uint32_t error = m_pendingError;
    m_pendingError = 0;
    return error;
}

std::string CRecordingBackend::ErrorText(uint32_t error)
{
    return "recorded error " + std::to_string(error);
}

void CRecordingBackend::SetPolygonMode(PolygonFill front, PolygonFill back)
{
    m_front = front;
    m_back = back;
}

void CRecordingBackend::DrawQuads(const RenderVertex* vertices, size_t count)
{
    for (size_t i = 0; i + 4 <= count; i += 4)
        m_quads.push_back({{vertices[i], vertices[i + 1], vertices[i + 2], vertices[i + 3]}, m_state});
}

void CRecordingBackend::DrawTriangles(const RenderVertex* vertices, size_t count)
{
    for (size_t i = 0; i + 3 <= count; i += 3)
        m_triangles.push_back({{vertices[i], vertices[i + 1], vertices[i + 2]}, m_state});
}

void CRecordingBackend::DrawLines(const RenderVertex* vertices, size_t count, uint16_t stipple)
{
    for (size_t i = 0; i + 2 <= count; i += 2)
        m_lines.push_back({vertices[i], vertices[i + 1], stipple, m_state});
}

void CRecordingBackend::DrawLineLoop(const RenderVertex* vertices, size_t count)
{
    m_loops.push_back({std::vector<RenderVertex>(vertices, vertices + count), m_state});
}

void CRecordingBackend::ClearFrame()
{
    m_binds.clear();
    m_quads.clear();
    m_triangles.clear();
    m_lines.clear();
    m_loops.clear();
    m_clears.clear();
}
