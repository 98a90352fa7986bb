// The game screen (screen state 10): connecting to the server picked in the
// browser, playing, and the typed console line.
#pragma once

// The loop of the game screen.
void RunGame();
// A typed character while the console line is open.
void GameScreenChar(char c);
