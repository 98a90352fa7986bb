// A fixture for tests that draw or load textures: the recording backend is
// in use, the texture cache starts empty, and data is looked up in a fresh
// folder (QUORVEX_DATA) whose Graphics/ the test fills.
#pragma once

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/gfx/ImageBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

class GfxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("QUORVEX_DATA"))
            m_oldData = old;
        UseDataFolder(m_dir.Path());
        std::filesystem::create_directories(m_dir.File("Graphics"));
        SetRenderBackend(&m_backend);
        GetGraphics().GetTextureManager().Clear();
    }

    void TearDown() override
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
        if (m_oldData.empty())
            unsetenv("QUORVEX_DATA");
        else
            setenv("QUORVEX_DATA", m_oldData.c_str(), 1);
    }

    void UseDataFolder(const std::string& folder) { setenv("QUORVEX_DATA", folder.c_str(), 1); }

    void WriteGraphic(const std::string& name, const Bytes& bytes)
    {
        std::ofstream out(m_dir.File("Graphics/" + name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    CRecordingBackend m_backend;
    testing_support::TempDir m_dir;

private:
    std::string m_oldData;
};
