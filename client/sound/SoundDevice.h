// Opens the audio device with the game's effects loaded, for CSoundPlayer.
// Without a device, or when it fails to open, it says so in one line on
// standard error and returns null: the game then plays silently.
#pragma once

#include "platform/SoundOutput.h"

#include <memory>

std::unique_ptr<platform::ISoundOutput> OpenSoundDevice();
