// The game screen (screen state 10): a new world with the local ship, a new
// connection to the server picked in the browser, and then, frame by frame,
// the held keys to the server, the server's messages applied, the world
// advanced and drawn with the side panel, the HUD and the console (or the
// score screen while a round is over). Leaving the screen closes the
// connection, so every game starts with a fresh one.
#pragma once

// The loop of the game screen.
void RunGame();
// A typed character while the console line is open.
void GameScreenChar(char c);
