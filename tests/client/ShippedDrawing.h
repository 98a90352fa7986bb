// For tests that draw: the recording backend in use, the texture cache
// empty, and pictures read from the repository's data folder (the shipped
// font and pictures), all put back as they were when it goes away.
#pragma once

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/support/ScopedEnv.h"

#include <cstdlib>
#include <string>

class CShippedDrawing
{
public:
    CShippedDrawing()
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(&backend);
    }
    ~CShippedDrawing()
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
    }
    CShippedDrawing(const CShippedDrawing&) = delete;
    CShippedDrawing& operator=(const CShippedDrawing&) = delete;

    // Pictures (and maps) come from `folder` from now on, read afresh; the
    // folder before this object is put back when it goes.
    static void UseData(const std::string& folder)
    {
        setenv("QUORVEX_DATA", folder.c_str(), 1);
        GetGraphics().GetTextureManager().Clear();
    }

    CRecordingBackend backend;

private:
    testing_support::ScopedEnv m_data{"QUORVEX_DATA", (std::string(QUORVEX_SOURCE_DIR) + "/data").c_str()};
};
