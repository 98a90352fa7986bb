// The identifier of a ship, turret or other object, as the server hands it out
// and as every message carries it (a u32 on the wire). Ships, turrets and other
// objects are counted and looked up separately, so their ranges may overlap.
// 0 is never given to a ship and means "no owner".
#pragma once

#include <cstdint>

using ObjectId = uint32_t;
