#include "client/controls/InputNames.h"

#include "platform/Files.h"
#include "platform/sdl/SdlInputDevices.h"

#include <SDL2/SDL.h>

#include <array>

namespace
{
constexpr std::array<const char*, kPadEnd - kPadBase> kPadNames = {
    "Pad A",
    "Pad B",
    "Pad X",
    "Pad Y",
    "Pad Back",
    "Pad Guide",
    "Pad Start",
    "Pad Left Stick",
    "Pad Right Stick",
    "Pad Left Shoulder",
    "Pad Right Shoulder",
    "Pad Up",
    "Pad Down",
    "Pad Left",
    "Pad Right",
    "Pad Left Stick Left",
    "Pad Left Stick Right",
    "Pad Left Stick Up",
    "Pad Left Stick Down",
    "Pad Right Stick Left",
    "Pad Right Stick Right",
    "Pad Right Stick Up",
    "Pad Right Stick Down",
    "Pad Left Trigger",
    "Pad Right Trigger",
};
} // namespace

std::string InputName(InputId input)
{
    if (IsPadInput(input))
        return kPadNames[static_cast<size_t>(input - kPadBase)];
    if (!IsKeyInput(input))
        return {};
    const int scancode = platform::KeyCodeToScancode(static_cast<uint8_t>(input));
    return scancode > 0 ? SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode)) : "";
}

std::optional<InputId> InputNamed(std::string_view name)
{
    for (size_t i = 0; i < kPadNames.size(); ++i)
        if (platform::CompareNoCase(name, kPadNames[i]) == 0)
            return static_cast<InputId>(kPadBase + i);
    const std::string text(name);
    const SDL_Scancode scancode = SDL_GetScancodeFromName(text.c_str());
    const uint8_t code = platform::ScancodeToKeyCode(scancode);
    if (scancode == SDL_SCANCODE_UNKNOWN || code == 0)
        return std::nullopt;
    return code;
}
