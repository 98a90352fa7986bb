#include "gfx/RenderBackend.h"

namespace
{
CNullBackend g_nullBackend;
CRenderBackend* g_backend = &g_nullBackend;
} // namespace

CRenderBackend& GetRenderBackend()
{
    return *g_backend;
}

void SetRenderBackend(CRenderBackend* backend)
{
    g_backend = backend ? backend : &g_nullBackend;
}
