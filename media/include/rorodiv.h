// ROrodiv: the public operations a game calls. Texts are Shift-JIS (cp932) byte strings.
// Results: 0 on success, -1 on failure, unless an operation says otherwise.
#pragma once
#include <cstdint>

// Start-up and shutdown. InitMediaLayer returns 0 also when the layer already runs;
// EndMediaLayer does nothing when it does not.
int InitMediaLayer();
int EndMediaLayer();

// One frame's window messages: 0 while the program may go on, -1 once the window has gone.
// Holds the caller while the window is inactive.
int PumpMessages();

// Settings, made before start-up (they also act at once after it).
int SetWindowTitle(const char* title);  // at most 255 bytes are kept; 0
int SetLogEnabled(int enable);          // 0 switches "Log.txt" off; 0
int ChangeWindowMode(int windowed);     // 1 windowed, 0 full-screen
