#include "platform/sdl/SdlGamepads.h"

#include "platform/Files.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace platform
{
namespace
{
// The value of the two that is further from rest.
int16_t FurtherFromRest(int16_t a, int16_t b)
{
    return std::abs(int{b}) > std::abs(int{a}) ? b : a;
}

void AddState(SDL_GameController* pad, PadState& state)
{
    state.connected = true;
    for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX && button < 32; ++button)
        if (SDL_GameControllerGetButton(pad, static_cast<SDL_GameControllerButton>(button)) != 0)
            state.buttons |= uint32_t{1} << button;
    for (int axis = 0; axis < kPadAxisCount; ++axis)
    {
        const int16_t value = SDL_GameControllerGetAxis(pad, static_cast<SDL_GameControllerAxis>(axis));
        state.axes[axis] = FurtherFromRest(state.axes[axis], value);
    }
}

void AddMappings(const std::string& mappingFile)
{
    if (mappingFile.empty() || !FileExists(mappingFile))
        return;
    if (SDL_GameControllerAddMappingsFromFile(mappingFile.c_str()) < 0)
        std::fprintf(stderr, "%s: no pad mappings read: %s\n", mappingFile.c_str(), SDL_GetError());
}
} // namespace

CSdlGamepads::CSdlGamepads(const std::string& mappingFile)
{
    AddMappings(mappingFile);
}

CSdlGamepads::~CSdlGamepads()
{
    for (int32_t id : m_open)
        if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(id))
            SDL_GameControllerClose(pad);
}

void CSdlGamepads::NoteEvent(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
        // Opened at the next read rather than here: SDL is in the middle of
        // adding or removing the device while it calls its event watches.
        m_devicesChanged = true;
        break;
    case SDL_CONTROLLERBUTTONDOWN:
        if (event.cbutton.button < 32)
            m_tappedButtons |= uint32_t{1} << event.cbutton.button;
        break;
    default:
        break;
    }
}

void CSdlGamepads::OpenNewPads()
{
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index)
    {
        const int32_t id = SDL_JoystickGetDeviceInstanceID(index);
        if (!SDL_IsGameController(index) || std::find(m_open.begin(), m_open.end(), id) != m_open.end())
            continue;
        if (SDL_GameControllerOpen(index) != nullptr)
            m_open.push_back(id);
    }
}

void CSdlGamepads::CloseGonePads()
{
    std::erase_if(m_open,
                  [](int32_t id)
                  {
                      SDL_GameController* pad = SDL_GameControllerFromInstanceID(id);
                      if (pad != nullptr && SDL_GameControllerGetAttached(pad) == SDL_TRUE)
                          return false;
                      if (pad != nullptr)
                          SDL_GameControllerClose(pad);
                      return true;
                  });
}

bool CSdlGamepads::Read(PadState& state)
{
    state = PadState{};
    if (m_devicesChanged)
    {
        CloseGonePads();
        OpenNewPads();
        m_devicesChanged = false;
    }
    for (int32_t id : m_open)
        if (SDL_GameController* pad = SDL_GameControllerFromInstanceID(id))
            AddState(pad, state);
    if (state.connected)
        state.buttons |= m_tappedButtons;
    m_tappedButtons = 0;
    return state.connected;
}

} // namespace platform
