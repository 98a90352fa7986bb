// Text a client sends (chat lines, player names, map requests) goes into the
// server's log, onto its standard output and into every player's console.
// Control characters there could move the cursor, clear a terminal or start a
// line that looks like the server's own, so each is shown as "?" instead.
#pragma once

#include <string>

// `text` with every byte below 32, and 127, replaced by '?'; "" for null.
std::string PrintableText(const char* text);
