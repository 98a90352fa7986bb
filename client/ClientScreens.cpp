#include "client/ClientScreens.h"

#include "client/ClientContext.h"

CClientScreens::CClientScreens(CClientContext& context)
    : mainMenu(context), options(context), controls(context), addressEntry(context),
      lanBrowser(context, options, nullptr), internetBrowser(context, options, &addressEntry),
      instructions(context), credits(context), game(context)
{
    options.ShowSettings(context.settings);
}

std::vector<CScreen*> CClientScreens::All()
{
    return {&intro,           &mainMenu,     &options, &addressEntry, &lanBrowser,
            &internetBrowser, &instructions, &credits, &game,         &controls};
}
