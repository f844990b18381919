// The game's entry and its frame loop.
#pragma once

// Configures and starts the media layer, builds the map, runs the loop and ends the layer.
// 0 after a normal run, -1 when the layer cannot start. The arguments are not used.
int GameMain(void* instance, void* previousInstance, char* commandLine, int showMode);

// Frames until the window closes or Escape is held.
void RunGameLoop();
