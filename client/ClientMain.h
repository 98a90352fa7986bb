// The client program: its command line, start-up (settings, display, window),
// the screens, and a shutdown that always gives the display its mode back.
#pragma once

#include "client/ClientContext.h"
#include "client/Screen.h"

// Runs the client; the exit status.
int ClientMain(int argc, char** argv);

// The command line's choices go to `options`. Returns -1 to go on, or the
// exit status when the program should end at once (--help: 0; a bad
// option: 2, with usage on standard error).
int ParseClientOptions(int argc, char** argv, ClientOptions& options);

// The screen the program starts on: the intro, or with --connect the game,
// which then joins the first server that answers at that host.
ScreenId FirstScreen(CClientContext& context);
