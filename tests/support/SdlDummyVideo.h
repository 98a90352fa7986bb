// A test fixture with SDL's video and game controllers started on the
// "dummy" video driver, which needs no display: one 1024 x 768 true-colour
// mode, and no OpenGL. Header only: the support library links no SDL.
#pragma once

#include "platform/sdl/Window.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>

namespace testing_support
{

class SdlDummyVideo : public testing::Test
{
protected:
    void SetUp() override
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        std::string error;
        ASSERT_TRUE(platform::InitVideo(error)) << error;
    }
    void TearDown() override
    {
        platform::ShutdownVideo();
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    }
};

} // namespace testing_support
