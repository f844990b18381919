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

// The screen mode (800 x 600, 32 bits, 60 Hz ...): stored before start-up, applied at once
// after it (-2 when it fell back to 640 x 480 at 16 bits). Colour depth 8, 16 or 32.
int SetScreenMode(int width, int height, int colorBits, int refreshRate);
int SetUseHardware(int flag);  // 0: never try the hardware path; before start-up only

// Colours: a value in the screen's pixel layout from 8-bit red, green and blue.
// Before start-up white is 0xFFFFFFFF.
uint32_t PackColor(int red, int green, int blue);
int UnpackColor(uint32_t color, int* red, int* green, int* blue);

// One frame: clear the draw target, draw, show it in the window.
int ClearScreen();
int PresentScreen();  // -1 before start-up

// Lines and rectangles, right and bottom exclusive. A segment thicker than 1 is a band of
// that width centred on it with square ends.
int DrawRect(int x1, int y1, int x2, int y2, uint32_t color, int filled);
int DrawSegment(int x1, int y1, int x2, int y2, uint32_t color, int thickness);

// The drawing state.
int SetDrawTarget(int handle);                    // -2 back screen, -4 front screen, or a graphic
int SetDrawRegion(int x1, int y1, int x2, int y2);
int SetBlendMode(int mode, int param);            // 0 none, 1 alpha, 2 add, 3 subtract, 4 multiply
int SetDrawBrightness(int red, int green, int blue);
int SetWaitVsync(int flag);

// Graphics: images named by handles.
int CreateBlankGraphic(int width, int height);
int CreateSubGraphic(int x, int y, int width, int height, int source);
int DestroyGraphic(int handle);
int PaintGraphic(int handle, int red, int green, int blue, int alpha);
int PutGraphic(int x, int y, int handle, int useTransparency);
int PutGraphicQuad(const float corners[4][2], int handle, int useTransparency);
int SetBlendImage(int handle, int border, int range);

// Pictures (BMP, JPEG, PNG, TGA, DDS, raw "BGRA") loaded into graphics; a picture with alpha
// gives a graphic with an alpha channel. The handle, or -1.
int LoadGraphic(const char* path);
int LoadGraphicFromMemory(const void* data, int32_t size);
// A sheet of `count` equal cells, `columns` to a row, left to right and top to bottom, into
// handles[0 .. count-1]; 0, or -1 with no graphic made.
int LoadDividedGraphic(const char* path, int count, int columns, int rows, int cellWidth, int cellHeight,
                       int* handles);
int LoadDividedGraphicFromMemory(const void* data, int32_t size, int count, int columns, int rows, int cellWidth,
                                 int cellHeight, int* handles);
