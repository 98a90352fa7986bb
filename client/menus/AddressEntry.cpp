#include "client/menus/AddressEntry.h"

ScreenId CAddressEntry::OnChar(char c)
{
    if (c == platform::kCharReturn)
    {
        m_confirmed = true;
        return ScreenId::InternetBrowser;
    }
    m_text.Type(c);
    return Id();
}

void CAddressEntry::DrawContents(float hh)
{
    DrawCentred(hh - 100, kMenuGreen, "Enter IP Address or Hostname (host:port)");
    if (m_text.HasText())
        DrawCentred(hh - 120, kMenuWhite, m_text.Text());
    DrawCentred(60 - hh, kMenuWhite, "Type To Enter an IP Address or Hostname");
    DrawCentred(40 - hh, kMenuWhite, "Enter Confirms the IP Address or Hostname");
    DrawCentred(20 - hh, kMenuWhite, "Escape Returns to Main Menu");
}
