// Sound handles (kind 2, 4096 slots) and music handles (kind 11, 256 slots).
#pragma once

// Delete every existing handle of the kind; shutdown calls these before the device goes.
void DeleteAllSoundHandles();
void DeleteAllMusicHandles();
