// For tests that draw: the recording backend in use, the texture cache
// empty, and pictures read from the repository's data folder (the shipped
// font and pictures), all put back as they were when it goes away.
#pragma once

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"

#include <cstdlib>
#include <string>

class CShippedDrawing
{
public:
    CShippedDrawing()
    {
        if (const char* old = std::getenv("QUORVEX_DATA"))
            m_oldData = old;
        UseData(std::string(QUORVEX_SOURCE_DIR) + "/data");
        SetRenderBackend(&backend);
    }
    ~CShippedDrawing()
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
        if (m_oldData.empty())
            unsetenv("QUORVEX_DATA");
        else
            setenv("QUORVEX_DATA", m_oldData.c_str(), 1);
    }
    CShippedDrawing(const CShippedDrawing&) = delete;
    CShippedDrawing& operator=(const CShippedDrawing&) = delete;

    // Pictures (and maps) come from `folder` from now on, read afresh.
    static void UseData(const std::string& folder)
    {
        setenv("QUORVEX_DATA", folder.c_str(), 1);
        GetGraphics().GetTextureManager().Clear();
    }

    CRecordingBackend backend;

private:
    std::string m_oldData;
};
