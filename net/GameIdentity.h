// The identity every Quorvex server and client share: the application GUID a
// session is hosted and searched under, and the game's UDP port.
#pragma once

#include "session/SessionTypes.h"

#include <cstdint>

namespace game_identity
{

constexpr const char* kApplicationGuidText = "{1A0FA2EB-7FEB-44C0-999E-E930A50FFE80}";
constexpr uint16_t kGamePort = 3001;

const session::Guid& ApplicationGuid();

} // namespace game_identity
