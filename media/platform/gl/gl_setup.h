// Inside the platform layer: what the probe and the device context share.
#pragma once

namespace ror {

// Starts the video system and loads its GL library once. 0 / -1.
int LoadGlLibrary();
// Lets the library go (before the video system stops).
void UnloadGlLibrary();
// The context attributes for OpenGL 3.3 core, or ES 3.0 with es = 1.
void RequestGlContextAttributes(int es);
// 1 when the renderer's name is one of a CPU rasteriser.
int RendererIsCpu(const char* renderer);
// The kind of context the last successful probe made (1 = ES 3.0).
int GlProbedEs();
// Keeps the GL drivers loaded now mapped until the process ends.
void PinGlDrivers();

}  // namespace ror
