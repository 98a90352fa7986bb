// The gamepads, through SDL's GameController API: every pad SDL knows a
// mapping for is opened as it is plugged in and closed when it is pulled out,
// and all of them are read as one (platform::PadState). SDL's own mapping
// database is used, plus the player's "gamecontrollerdb.txt" when there is
// one; SDL itself also reads mappings from $SDL_GAMECONTROLLERCONFIG.
#pragma once

#include "platform/InputDevices.h"

#include <cstdint>
#include <string>
#include <vector>

union SDL_Event;

namespace platform
{

constexpr const char* kPadMappingFileName = "gamecontrollerdb.txt";

class CSdlGamepads
{
public:
    // Adds the mappings of `mappingFile` (empty or missing: none) and opens
    // the pads already plugged in at the next Read.
    explicit CSdlGamepads(const std::string& mappingFile);
    ~CSdlGamepads();
    CSdlGamepads(const CSdlGamepads&) = delete;
    CSdlGamepads& operator=(const CSdlGamepads&) = delete;

    // Notes pads plugged in or pulled out and button presses; SDL's event
    // watch hands it every event as it is queued.
    void NoteEvent(const SDL_Event& event);
    // The pads as one. A button pressed and released again since the last
    // read counts as held for this read, as a key does. SDL's events are
    // not pumped here: the window's event loop does that.
    bool Read(PadState& state);
    // How many pads are open.
    size_t Count() const { return m_open.size(); }

private:
    void OpenNewPads();
    void CloseGonePads();

    // Instance ids, not pointers: when SDL's controller subsystem has ended
    // first, a lookup finds nothing instead of a freed controller.
    std::vector<int32_t> m_open;
    bool m_devicesChanged = true;
    uint32_t m_tappedButtons = 0;
};

} // namespace platform
