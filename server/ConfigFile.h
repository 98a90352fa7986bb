// The server's configuration file: the settings table written as text, one
// "key value" line per setting under section comments, and read back from
// any arrangement of whitespace-separated keys and values.
#pragma once

#include <cstdio>

// Writes every setting as it stands. False when the file cannot be opened.
bool SaveConfig(const char* path);

// Reads keys and values to the end of the file; unknown tokens and values that
// do not parse as their key's type are reported on `messages` and skipped;
// values outside the setting's range (SettingRanges.h) are reported with
// their line ("line N: VALUE out of range for KEY; keeping DEFAULT").
// False for a null path or a file that cannot be opened.
bool LoadConfig(const char* path, std::FILE* messages = stdout);
