// The address entry: the player types an IP address or host name, either
// with an optional ":port", and carriage return opens the internet browser,
// which asks it. The text is kept between visits.
#pragma once

#include "client/menus/MenuScreen.h"
#include "client/menus/TextField.h"

#include <utility>

class CAddressEntry : public CMenuScreen
{
public:
    explicit CAddressEntry(CClientContext& context) : CMenuScreen(ScreenId::AddressEntry, context, true) {}

    ScreenId OnChar(char c) override;

    void GetText(char* buffer, size_t size) const { m_text.GetText(buffer, size); }
    void SetText(const char* text) { m_text.SetText(text); }
    // True once after carriage return confirmed the text: the browser then
    // asks that address instead of its usual list.
    bool TakeConfirmed() { return std::exchange(m_confirmed, false); }

protected:
    void DrawContents(float hh) override;

private:
    CTextField m_text;
    bool m_confirmed = false;
};
