// Loopback ports for tests that run servers side by side.
#pragma once

#include <cstdint>

namespace testing_support
{

// A UDP port on 127.0.0.1 that was free a moment ago (a UdpSocket's, in
// RawDatagrams.cpp).
uint16_t FreeUdpPort();

} // namespace testing_support
