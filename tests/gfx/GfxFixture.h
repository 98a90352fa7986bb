// A fixture for tests that draw or load textures: the recording backend is
// in use, the texture cache starts empty, and data is looked up in a fresh
// folder (QUORVEX_DATA) whose Graphics/ the test fills.
#pragma once

#include "gfx/Graphics.h"
#include "gfx/RecordingBackend.h"
#include "tests/gfx/ImageBytes.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

class GfxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir.File("Graphics"));
        SetRenderBackend(&m_backend);
        GetGraphics().GetTextureManager().Clear();
    }

    void TearDown() override
    {
        GetGraphics().GetTextureManager().Clear();
        SetRenderBackend(nullptr);
    }

    // The folder before the test comes back when the test ends.
    void UseDataFolder(const std::string& folder) { setenv("QUORVEX_DATA", folder.c_str(), 1); }

    // Writes `bytes` to `path` in the data folder.
    void WriteData(const std::string& path, const Bytes& bytes)
    {
        m_dir.Write(path, std::string(bytes.begin(), bytes.end()));
    }
    void WriteGraphic(const std::string& name, const Bytes& bytes) { WriteData("Graphics/" + name, bytes); }

    CRecordingBackend m_backend;
    testing_support::TempDir m_dir;

private:
    testing_support::ScopedEnv m_data{"QUORVEX_DATA", m_dir.Path().c_str()};
};
