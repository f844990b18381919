/// @file
/// ROrodiv: the public operations a game calls.
///
/// - Texts are Shift-JIS (cp932) byte strings, or UTF-8 after SetUseUtf8Texts(1).
/// - Results: 0 on success, -1 on failure, unless an operation says otherwise. A failure
///   that has a reason the caller cannot see writes it to the log ("Log.txt").
/// - Threads: call the layer from the thread that called InitMediaLayer, unless an
///   operation says otherwise.
/// - Drawing runs on one of two paths, chosen at start-up (GetDrawingPath): OpenGL, or the
///   software renderer. Every drawing operation draws the same pixels on both, except where
///   its comment says so.
/// - Handles (graphics, fonts, sounds, font files) are positive numbers that say what they
///   name; a handle of the wrong kind, a released one or a made-up number is refused with -1
///   and never touches memory.
#pragma once
#include <cstdint>

#include "rorodiv_api.h"

// Start-up and shutdown.

/// Starts the layer: the log, the window, the drawing path, input, sound and the default
/// font, with the settings made before. Returns 0, also when the layer runs already; -1 when
/// a step fails (the log says which), with what the earlier steps brought up released again,
/// or when another copy of the program runs (see SetAllowSecondCopy).
ROR_API int InitMediaLayer();
/// Ends the layer: every graphic, font, sound and file it holds is released and the window
/// closes. The settings stay for a later InitMediaLayer. 0; does nothing (0) when the layer
/// does not run.
ROR_API int EndMediaLayer();

/// One frame's window messages: 0 while the program may go on, -1 once the window has gone.
/// Holds the caller while the window is inactive.
ROR_API int PumpMessages();

// Settings, made before start-up; those that can also act at once after it say so.

/// The window's title, before or after start-up; at most 255 bytes are kept, cut at a
/// character's end. 0; -1 for a null title.
ROR_API int SetWindowTitle(const char* title);
/// enable 0 switches the log file "Log.txt" off, anything else on (the default). Takes effect
/// at the next start-up. Always 0.
ROR_API int SetLogEnabled(int enable);
/// windowed 1 runs in a window, 0 full-screen (the default). Before start-up it is recorded;
/// after it the mode changes at once, and, as every mode change, releases every graphic and
/// font handle (the default font comes back). 0; -1 when the change failed (the layer falls
/// back to the mode it can show).
ROR_API int ChangeWindowMode(int windowed);
/// 1: every text the layer takes or gives (titles, paths, log texts, strings to draw, font
/// face names) is UTF-8 instead of cp932, so ordinary string literals work as they are. 0
ROR_API int SetUseUtf8Texts(int enable);
/// A program refuses to start while a window of the same title (of any program on the layer,
/// for this user) is open: the second copy's InitMediaLayer returns -1. allow 1 lets this one
/// start anyway; it still takes the title's lock when it is free, so copies that keep the
/// check see it. 0 restores the check (the default). Before start-up only: -1 after it.
ROR_API int SetAllowSecondCopy(int allow);

// Input.

/// @{
/// Key codes for IsKeyDown and input events: keyboard scan codes 0..255 (0x80 and up are the
/// extended keys), named by the key's place on a US or Japanese keyboard.
constexpr int KEYCODE_ESCAPE = 0x01;
constexpr int KEYCODE_1 = 0x02, KEYCODE_2 = 0x03, KEYCODE_3 = 0x04, KEYCODE_4 = 0x05, KEYCODE_5 = 0x06,
              KEYCODE_6 = 0x07, KEYCODE_7 = 0x08, KEYCODE_8 = 0x09, KEYCODE_9 = 0x0A, KEYCODE_0 = 0x0B;
constexpr int KEYCODE_MINUS = 0x0C, KEYCODE_BACK = 0x0E, KEYCODE_TAB = 0x0F;
constexpr int KEYCODE_Q = 0x10, KEYCODE_W = 0x11, KEYCODE_E = 0x12, KEYCODE_R = 0x13, KEYCODE_T = 0x14,
              KEYCODE_Y = 0x15, KEYCODE_U = 0x16, KEYCODE_I = 0x17, KEYCODE_O = 0x18, KEYCODE_P = 0x19;
constexpr int KEYCODE_LBRACKET = 0x1A, KEYCODE_RBRACKET = 0x1B, KEYCODE_RETURN = 0x1C, KEYCODE_LCONTROL = 0x1D;
constexpr int KEYCODE_A = 0x1E, KEYCODE_S = 0x1F, KEYCODE_D = 0x20, KEYCODE_F = 0x21, KEYCODE_G = 0x22,
              KEYCODE_H = 0x23, KEYCODE_J = 0x24, KEYCODE_K = 0x25, KEYCODE_L = 0x26;
constexpr int KEYCODE_SEMICOLON = 0x27, KEYCODE_LSHIFT = 0x2A, KEYCODE_BACKSLASH = 0x2B;
constexpr int KEYCODE_Z = 0x2C, KEYCODE_X = 0x2D, KEYCODE_C = 0x2E, KEYCODE_V = 0x2F, KEYCODE_B = 0x30,
              KEYCODE_N = 0x31, KEYCODE_M = 0x32;
constexpr int KEYCODE_COMMA = 0x33, KEYCODE_PERIOD = 0x34, KEYCODE_SLASH = 0x35, KEYCODE_RSHIFT = 0x36,
              KEYCODE_MULTIPLY = 0x37, KEYCODE_LALT = 0x38, KEYCODE_SPACE = 0x39, KEYCODE_CAPSLOCK = 0x3A;
constexpr int KEYCODE_F1 = 0x3B, KEYCODE_F2 = 0x3C, KEYCODE_F3 = 0x3D, KEYCODE_F4 = 0x3E, KEYCODE_F5 = 0x3F,
              KEYCODE_F6 = 0x40, KEYCODE_F7 = 0x41, KEYCODE_F8 = 0x42, KEYCODE_F9 = 0x43, KEYCODE_F10 = 0x44,
              KEYCODE_F11 = 0x57, KEYCODE_F12 = 0x58;
constexpr int KEYCODE_NUMLOCK = 0x45, KEYCODE_SCROLL = 0x46;
constexpr int KEYCODE_NUMPAD7 = 0x47, KEYCODE_NUMPAD8 = 0x48, KEYCODE_NUMPAD9 = 0x49, KEYCODE_SUBTRACT = 0x4A,
              KEYCODE_NUMPAD4 = 0x4B, KEYCODE_NUMPAD5 = 0x4C, KEYCODE_NUMPAD6 = 0x4D, KEYCODE_ADD = 0x4E,
              KEYCODE_NUMPAD1 = 0x4F, KEYCODE_NUMPAD2 = 0x50, KEYCODE_NUMPAD3 = 0x51, KEYCODE_NUMPAD0 = 0x52,
              KEYCODE_DECIMAL = 0x53;
constexpr int KEYCODE_YEN = 0x7D, KEYCODE_AT = 0x91, KEYCODE_COLON = 0x92;
constexpr int KEYCODE_NUMPADENTER = 0x9C, KEYCODE_RCONTROL = 0x9D, KEYCODE_DIVIDE = 0xB5, KEYCODE_RALT = 0xB8,
              KEYCODE_PAUSE = 0xC5;
constexpr int KEYCODE_HOME = 0xC7, KEYCODE_UP = 0xC8, KEYCODE_PGUP = 0xC9, KEYCODE_LEFT = 0xCB, KEYCODE_RIGHT = 0xCD,
              KEYCODE_END = 0xCF, KEYCODE_DOWN = 0xD0, KEYCODE_PGDN = 0xD1, KEYCODE_INSERT = 0xD2,
              KEYCODE_DELETE = 0xD3;
/// @}

/// 1 while the key keyCode (KEYCODE_..., 0..255) is held, else 0 (also for a code out of
/// range). Pumps the window's messages. The first call after input was taken down sets it up
/// again and answers 0. Holds the caller while the window is inactive. Before start-up 0.
ROR_API int IsKeyDown(int keyCode);

/// The pointer in the drawing surface's coordinates (negative or past its size when outside
/// it). Either output may be null. Always 0.
ROR_API int ReadMousePosition(int32_t* outX, int32_t* outY);
/// @{
/// Mouse button bits, as ReadMouseButtons and input events give them.
constexpr int MOUSE_LEFT = 1, MOUSE_RIGHT = 2, MOUSE_MIDDLE = 4;
/// @}
/// The mouse buttons held now, as bits MOUSE_LEFT, MOUSE_RIGHT, MOUSE_MIDDLE; the fourth to
/// eighth buttons (8 .. 128) only with the input devices on. 0 before start-up.
ROR_API int ReadMouseButtons();

/// Before start-up: 0 runs input on the window system's key state alone (no keyboard, mouse
/// or pad devices); 1, the default, opens the devices. 0.
ROR_API int SetInputDevicesEnabled(int enable);

/// A joypad's state, read by ReadJoypadInput. Joypads are numbered from 1 (bit 0x1000 of a
/// number is ignored). Axes read -1000..1000 with a dead zone of a quarter around the
/// centre; for a pad the window system knows, x and y are the left stick and z and rz the
/// right one, and the buttons follow the pad's button order with the left and right
/// triggers after them.
struct JoypadInput {
    /// @{
    /// The axes, -1000..1000 (right and down positive).
    int32_t x, y, z, rz;
    /// @}
    int32_t pov;       ///< hundredths of degrees clockwise from up; -1 centred
    uint32_t buttons;  ///< bit i: button i held
};
/// The number of joypads (the highest pad number in use), 0 with the input devices off or
/// before start-up.
ROR_API int GetJoypadCount();
/// The state of joypad `pad` into *out: 0, or -1 (with a centred, released state) for a pad that does not exist or cannot be read.
ROR_API int ReadJoypadInput(int pad, JoypadInput* out);
/// Vibrates a pad at power 0..1000 for duration milliseconds (negative: until stopped); above
/// 500 the vibration pulses. 0; -1 for a pad that does not exist. A pad without rumble
/// motors takes the request and stays still.
ROR_API int StartPadVibration(int pad, int power, int duration);
/// Stops the pad's vibration. 0, also for a pad that does not vibrate or does not exist.
ROR_API int StopPadVibration(int pad);

/// Input events, the mouse wheel and pads by name.
#include "rorodiv_input.h"

// The screen and the drawing path.

/// The screen mode: width and height in pixels (-1 keeps the one set; 640 x 480 by default),
/// colour depth 8, 16 or 32 bits, refresh rate in Hz (0 any). Before start-up it is stored;
/// after it the mode changes at once and, as every mode change, releases every graphic and
/// font handle. 0; -2 when the display took only 640 x 480 at 16 bits instead; -1 for a size
/// of 0 or above the largest screen, another depth, or a mode the display refused.
ROR_API int SetScreenMode(int width, int height, int colorBits, int refreshRate);
/// keep 1: a mode change (ChangeWindowMode or SetScreenMode after start-up) keeps every
/// graphic and font handle valid, with its pixels and settings: graphics are read back before
/// the screen goes and made again on the new one (their pixels converted when the colour depth
/// changes; a graphic and its sub-graphics still share their pixels), fonts are made again
/// under the same handles. The draw target, draw region and blend image go back to their
/// start-up state as after any mode change. A graphic or font that cannot be made again is
/// released (a font's released flag is set). 0, the default, releases every graphic and font handle at a
/// mode change. Before or after start-up, on both drawing paths. Always 0.
ROR_API int SetKeepGraphicsAcrossModeChange(int keep);
/// flag 0: never try the hardware (OpenGL) path, draw in software. 1, the default, tries it
/// first. Before start-up only: 0; -1 after it.
ROR_API int SetUseHardware(int flag);
/// 1: a GL that rasterises on the CPU (Mesa llvmpipe and the like) may be the device; by default
/// such a GL is passed over for the faster software path. ROR_ACCEPT_CPU_GL=1 does the same.
ROR_API int SetAcceptCpuRasteriser(int flag);
/// @{
/// The drawing path in use, decided at start-up: DRAWING_PATH_HARDWARE (OpenGL) or
/// DRAWING_PATH_SOFTWARE; DRAWING_PATH_NONE before start-up and after shutdown.
constexpr int DRAWING_PATH_NONE = -1, DRAWING_PATH_SOFTWARE = 0, DRAWING_PATH_HARDWARE = 1;
/// @}
/// Takes no parameters and never fails: one of the three values above, at any time.
ROR_API int GetDrawingPath();
/// The name of what draws, for a game to show: the OpenGL renderer's own name on the hardware
/// path (for example "llvmpipe (LLVM 15.0.6, 256 bits)"), "Software" on the software path.
/// Copied into buffer with its terminating zero, cut to size - 1 bytes when longer. 0; -1 with
/// the buffer untouched before start-up, after shutdown, or for a null buffer or size below 1.
ROR_API int GetRendererName(char* buffer, int size);

/// A colour value in the screen's pixel layout from red, green and blue, 0..255 each (the
/// colour every drawing operation takes). The layout follows the screen mode, so make colours
/// after start-up and again after a mode change; before start-up white is 0xFFFFFFFF.
ROR_API uint32_t PackColor(int red, int green, int blue);
/// The red, green and blue (0..255) of a colour value made by PackColor. 0; -1 when any
/// output is null.
ROR_API int UnpackColor(uint32_t color, int* red, int* green, int* blue);

// One frame: clear the draw target, draw, show it in the window.

/// Clears the whole draw target (whatever the draw region) to black. 0; nothing happens
/// before start-up.
ROR_API int ClearScreen();
/// Shows the back screen in the window (waiting for the display's refresh when
/// SetWaitVsync(1), the default, and the display paces). 0; -1 before start-up.
ROR_API int PresentScreen();

// Lines and rectangles. Coordinates are screen pixels; right and bottom are exclusive.

/// A rectangle from (x1, y1) to (x2, y2) in color (a PackColor value), filled when filled is
/// nonzero, else its one-pixel outline; with the blend mode and brightness, inside the draw
/// region. 0, also when nothing is drawn (before start-up or an empty region).
ROR_API int DrawRect(int x1, int y1, int x2, int y2, uint32_t color, int filled);
/// A line from (x1, y1) to (x2, y2), its end pixel left out, in color. thickness above 1
/// draws a band of that width centred on the line with square ends. 0, also when nothing is
/// drawn.
ROR_API int DrawSegment(int x1, int y1, int x2, int y2, uint32_t color, int thickness);

/// An ellipse centred on the pixel (centreX, centreY) with radii radiusX and radiusY (0 or more
/// each; 0 and 0 is one pixel), in color, filled when filled is nonzero, else its one-pixel
/// outline. The pixel at (centreX + dx, centreY + dy) is inside when
/// (dx / (radiusX + 0.5))^2 + (dy / (radiusY + 0.5))^2 < 1; the outline is every inside pixel
/// with a neighbour to its left, right, top or bottom outside. The rule is the same on both
/// paths, so they draw the same pixels. Each pixel is drawn once, with the blend mode and
/// brightness, inside the draw region. 0, also when nothing is drawn (before start-up or an
/// empty region); -1 for a radius below 0 or above 10^6.
ROR_API int DrawEllipse(int centreX, int centreY, int radiusX, int radiusY, uint32_t color, int filled);
/// A circle: DrawEllipse with both radii `radius`.
ROR_API int DrawCircleShape(int centreX, int centreY, int radius, uint32_t color, int filled);
/// A polygon through `count` corners points[0..count-1] (x, y pairs in pixels, each within
/// 10^8), convex or not, in color. Filled: the pixels whose centres (x + 0.5, y + 0.5) lie inside
/// by the even-odd rule, each drawn once, so self-crossing shapes leave their overlaps empty.
/// Outline: the one-pixel lines from each corner to the next and from the last to the first, as
/// DrawSegment draws them. With the blend mode and brightness, inside the draw region; the same
/// pixels on both paths. 0, also when nothing is drawn; -1 for null points, a count below 3 or
/// above 65536, or a corner beyond 10^8.
ROR_API int DrawPolygonShape(const int32_t (*points)[2], int count, uint32_t color, int filled);
/// A triangle: DrawPolygonShape with the three corners (x1, y1), (x2, y2) and (x3, y3).
ROR_API int DrawTriangleShape(int x1, int y1, int x2, int y2, int x3, int y3, uint32_t color, int filled);
/// One pixel at (x, y) in color, with the blend mode and brightness, inside the draw region. 0,
/// also when nothing is drawn.
ROR_API int DrawPoint(int x, int y, uint32_t color);
/// The red, green and blue (0..255 each; outputs may be null) of the back screen's pixel at
/// (x, y), as drawn so far (whatever the draw target). 0; -1 before start-up or for a pixel
/// outside the screen, with nothing written.
ROR_API int ReadScreenPixel(int x, int y, int* red, int* green, int* blue);
/// The red, green, blue and alpha (0..255 each; outputs may be null; alpha 255 for a graphic
/// without an alpha channel) of a graphic's pixel at (x, y). 0; -1 before start-up, for a handle
/// that is no live graphic, a blend image, or a pixel outside the graphic, with nothing written.
ROR_API int ReadGraphicPixel(int handle, int x, int y, int* red, int* green, int* blue, int* alpha);

// The drawing state: where drawing goes and how it meets what is there.

/// @{
/// Draw targets for SetDrawTarget: a drawable graphic's handle or one of these screens.
constexpr int DRAW_TARGET_BACK_SCREEN = -2;   ///< the frame PresentScreen shows
constexpr int DRAW_TARGET_FRONT_SCREEN = -4;  ///< the same frame, also shown every 32 ms as messages are pumped
/// The frame too, without the front screen's showing, but with no size: SetDrawRegion is -1 for them.
constexpr int DRAW_TARGET_UNSIZED_SCREEN_A = -3, DRAW_TARGET_UNSIZED_SCREEN_B = -5;
/// @}
/// Where drawing goes from now on: one of the DRAW_TARGET_ screens above or a graphic that can
/// be drawn into (a colour graphic without alpha, such as a blank one). A target of another size
/// than the last one gets its whole area as the draw region; one of the same size keeps the
/// region. 0; -1 before start-up or for a handle that is no such graphic (the target stays).
ROR_API int SetDrawTarget(int handle);
/// The draw region (clip rectangle) of the draw target: drawing lands only inside (x1, y1) to
/// (x2, y2), right and bottom exclusive. Corners in either order; cut to the target's size.
/// 0; -1 for a target without a size (DRAW_TARGET_UNSIZED_SCREEN_A/B) or before start-up.
ROR_API int SetDrawRegion(int x1, int y1, int x2, int y2);
/// Blend modes: how a drawing's colour s meets the target's colour d, with the parameter p
/// (0..255, clamped) as its strength. Any other mode draws nothing.
constexpr int BLEND_NONE = 0;             ///< d becomes s; p unused
constexpr int BLEND_ALPHA = 1;            ///< d moves towards s by p / 255; p 0 draws nothing
constexpr int BLEND_ADD = 2;              ///< d + s * p / 255, saturating; p 0 draws nothing
constexpr int BLEND_SUBTRACT = 3;         ///< d - s * p / 255, clamped at 0; p 0 draws nothing
constexpr int BLEND_MULTIPLY = 4;         ///< d * s / 256; p unused
constexpr int BLEND_ADD_HARDWARE = 5;     ///< as BLEND_ADD on the hardware path only; the software path draws nothing
constexpr int BLEND_INVERT = 10;          ///< as BLEND_ALPHA with the inverted colour (maximum - s)
constexpr int BLEND_MULTIPLY_ALPHA = 11;  ///< d moves towards d * s / 256 by p / 255
/// The blend mode (BLEND_...) and its strength param (0..255, clamped) for everything drawn
/// from now on: shapes, graphics and text. Before or after start-up. Always 0.
ROR_API int SetBlendMode(int mode, int param);
/// Multiplies every colour drawn from now on by red / 255, green / 255 and blue / 255
/// (each clamped to 0..255; 255, 255, 255 draws colours as they are). Always 0.
ROR_API int SetDrawBrightness(int red, int green, int blue);
/// flag 1 (the default): PresentScreen waits for the display's refresh; 0 shows at once.
/// Always 0.
ROR_API int SetWaitVsync(int flag);

// Graphics: images named by handles.

/// A new graphic of width x height pixels (each 1 or more, their product within the layer's
/// size limit), black, that can be a draw target. After start-up. The handle, or -1 for a
/// size of 0 or less, one too large (logged), or no memory.
ROR_API int CreateBlankGraphic(int width, int height);
/// A graphic that shows the part of graphic `source` from (x, y), width x height pixels (cut at
/// the source's edges); it shares the source's pixels, so drawing into either shows in both.
/// The handle, or -1 for an invalid source, a corner outside it or a size of 0 or less.
ROR_API int CreateSubGraphic(int x, int y, int width, int height, int source);
/// Releases a graphic. A draw target it was goes back to the back screen, a blend image it
/// was is deselected; sub-graphics of it keep its pixels until they go too. 0; -1 for an
/// invalid handle.
ROR_API int DestroyGraphic(int handle);
/// Fills a graphic with one colour, red, green, blue and alpha 0..255 each (clamped; alpha
/// matters for a graphic with an alpha channel). For a blend image, its level becomes the
/// colour's brightness. 0; -1 for an invalid handle.
ROR_API int PaintGraphic(int handle, int red, int green, int blue, int alpha);
/// Draws a graphic with its top-left corner at (x, y), with the blend mode, brightness, blend
/// image and draw region. useTransparency nonzero leaves out the transparent colour (a colour
/// key) and uses the alpha channel of a graphic that has one; 0 draws every pixel opaque. 0,
/// also for an empty draw region; -1 before start-up, for an invalid handle or a blend image,
/// or for a graphic larger than the selected blend image.
ROR_API int PutGraphic(int x, int y, int handle, int useTransparency);
/// Draws a graphic stretched onto any four-cornered shape: corners[0..3] are where its
/// top-left, top-right, bottom-left and bottom-right corners land, in screen pixels. As
/// PutGraphic otherwise; -1 also for null corners or one not a finite number within 10^8.
ROR_API int PutGraphicQuad(const float corners[4][2], int handle, int useTransparency);
/// @{
/// Flip bits of GraphicTransform::flip and PutGraphicTurned: the sprite mirrored left to right,
/// top to bottom, or both (FLIP_HORIZONTAL | FLIP_VERTICAL), before it is scaled and turned.
constexpr int FLIP_HORIZONTAL = 1, FLIP_VERTICAL = 2;
/// @}
/// How PutGraphicTransformed places a part of a graphic: the part is mirrored by `flip`, scaled
/// about the pivot, turned about it and drawn with the pivot at (x, y). A pixel of the target is
/// drawn when its centre falls inside the placed part, with the texel under its centre (the
/// nearest rule) or, after SetSmoothScaling(1), the four texels around it mixed.
struct GraphicTransform {
    /// @{
    /// The part of the graphic drawn, in its pixels; a width or height of 0 takes the whole
    /// graphic. Any other part must lie inside the graphic.
    int32_t sourceX, sourceY, sourceWidth, sourceHeight;
    /// @}
    /// @{
    /// The screen point the pivot lands on (a pixel's centre is at +0.5).
    float x, y;
    /// @}
    /// @{
    /// The pivot in pixels of the part from its top-left corner; it may lie outside the part.
    float pivotX, pivotY;
    /// @}
    /// @{
    /// 1 draws at the part's size, 0 draws nothing; 0 .. 10000.
    float scaleX, scaleY;
    /// @}
    float angle;   ///< degrees clockwise on the screen, about the pivot; any finite value
    int32_t flip;  ///< FLIP_HORIZONTAL and FLIP_VERTICAL bits
};
/// Draws a part of a graphic mirrored, scaled and turned as `transform` says, with the blend
/// mode, brightness, draw region and draw target as PutGraphic; a blend image weighs each pixel
/// by its place in the part (its top-left level for the part's top-left pixel), and must be at
/// least the part's size. useTransparency as for PutGraphic. Both paths pick the same texels
/// when the angle is a multiple of 90 degrees and the pivot lands on whole pixels at whole
/// scales; otherwise pixels along the edges and texel borders may differ between them. 0, also
/// when nothing lands in the draw region; -1 before start-up, for an invalid handle or a blend
/// image, a null transform, a part outside the graphic, a scale below 0 or above 10000, a
/// value that is not a finite number, a coordinate beyond 10^8, or a blend image smaller than
/// the part.
ROR_API int PutGraphicTransformed(int handle, const GraphicTransform* transform, int useTransparency);
/// Draws the part of a graphic from (sourceX, sourceY), width x height pixels, with its top-left
/// corner at (x, y), as PutGraphic draws a whole graphic. -1 also for a part not inside the
/// graphic or a width or height below 1.
ROR_API int PutGraphicPart(int x, int y, int sourceX, int sourceY, int width, int height, int handle,
                           int useTransparency);
/// Draws a graphic stretched over the rectangle from (x1, y1) to (x2, y2), right and bottom
/// exclusive; x2 < x1 mirrors it left to right, y2 < y1 top to bottom, and an empty rectangle
/// draws nothing (0). As PutGraphicTransformed otherwise.
ROR_API int PutGraphicStretched(int x1, int y1, int x2, int y2, int handle, int useTransparency);
/// Draws a whole graphic scaled by `scale` (0 .. 10000) and turned by `angle` degrees clockwise
/// about its centre, which lands on (centreX, centreY); flip takes FLIP_ bits. As
/// PutGraphicTransformed otherwise.
ROR_API int PutGraphicTurned(float centreX, float centreY, float scale, float angle, int handle, int useTransparency,
                             int flip);
/// enable 1: the transformed, stretched and turned draws above mix the four texels around each
/// pixel's centre (linear filtering), on both paths; 0 (the default) takes the nearest texel.
/// Graphics drawn with their colour key (useTransparency on a graphic without alpha) and, on the
/// software path, graphics of a 16-bit screen keep the nearest texel, since a mixed key colour
/// would show. Along the edges of a part of a larger graphic the device path may mix in the
/// texels beyond it. Before or after start-up; kept across start-ups. Always 0.
ROR_API int SetSmoothScaling(int enable);
/// Sizes in pixels, written to width and height (either may be null).
/// A graphic of any kind (loaded, divided, blank, sub or blend image): 0; -1 with nothing
/// written for a handle that is no live graphic. At any time a handle is live.
ROR_API int GetGraphicSize(int handle, int* width, int* height);
/// The screen, the extent of drawing coordinates: the screen mode in force, or before start-up
/// the one start-up will take (640 x 480 unless SetScreenMode chose another). 0.
ROR_API int GetScreenSize(int* width, int* height);
/// The window's drawable area (its client area) in pixels, which a window scale, a resized
/// window, the desktop (SetDesktopFullScreen), a high-DPI display or a full-screen display can
/// make differ from the screen. 0; -1 with nothing written before start-up and after shutdown.
ROR_API int GetWindowDrawableSize(int* width, int* height);

// The window and how the screen is shown in it. The screen keeps its size (SetScreenMode);
// the window shows it scaled. In full-screen mode (ChangeWindowMode(0)) none of these apply.

/// The size the window shows the screen at in windowed mode: scale 1 (the default) gives a
/// client area of the screen's size, 2 one of twice its width and height, and so on; above 0
/// up to 16. Before start-up it sizes the first window; after it the window takes its new size
/// at once (not while it covers the desktop, see SetDesktopFullScreen). Both drawing paths
/// scale by the nearest pixel. 0; -1 for a scale out of range (nothing changes).
ROR_API int SetWindowScale(double scale);
/// enable 1: the user may size the window with its frame. The screen keeps its size and is
/// fitted into the window as SetScreenFitMode says, centred between black bars, and mouse
/// positions (ReadMousePosition, input events) come back in screen coordinates, also outside
/// the picture (negative or past the screen's size). 0 (the default): the window keeps the
/// size the window scale gives it. Before or after start-up (the frame comes or goes at once;
/// switched off, the window takes the window scale's size again). Both paths. Always 0.
ROR_API int SetWindowResizable(int enable);
/// @{
/// How a resizable window or the desktop (SetDesktopFullScreen) takes the screen: as large as
/// fits with its aspect kept, or at the largest whole multiple of its size that fits (crisp
/// pixels, wider bars; when not even 1 fits, as SCREEN_FIT_ASPECT).
constexpr int SCREEN_FIT_ASPECT = 0, SCREEN_FIT_INTEGER = 1;
/// @}
/// The fit of the screen into a resizable window or the desktop, SCREEN_FIT_ASPECT (the
/// default) or SCREEN_FIT_INTEGER; takes effect at the next PresentScreen. Before or after
/// start-up, both paths. 0; -1 for another mode.
ROR_API int SetScreenFitMode(int mode);
/// enable 1: in windowed mode the window becomes a borderless one at the desktop's size, above
/// the others, with the screen fitted and centred in it (SetScreenFitMode); the display mode is
/// not changed and no graphic or font is released. 0 (the default) brings the framed window
/// back where and as large as it was. After start-up it acts at once when windowed; before
/// start-up or in full-screen mode it is recorded for the window in windowed mode. Mouse
/// positions come back in screen coordinates as for SetWindowResizable. The exclusive switch
/// ChangeWindowMode(0) stays as it is. Both paths. 0; -1 when the window system refused the
/// place (the setting is kept).
ROR_API int SetDesktopFullScreen(int enable);
/// enable 1: on a high-DPI display the window draws at the display's pixel size (its drawable
/// area, GetWindowDrawableSize, is then larger than its size in the window system's units) and
/// the screen is scaled into those pixels; mouse positions still come back in screen
/// coordinates. 0 (the default) leaves the display's own magnification to the window system.
/// Displays that are not high-DPI draw the same either way. Before start-up only: 0; -1 after it.
ROR_API int SetHighDpiDrawing(int enable);
/// Where PresentScreen puts the screen in the window's drawable area, in its pixels: the
/// top-left corner (x, y) and the size shown (width, height); outputs may be null. 0; -1 before
/// start-up, with nothing written.
ROR_API int GetScreenPlacement(int* x, int* y, int* width, int* height);

/// Saving pictures as PNG, after start-up. A file is made anew (replacing one of that name), or
/// removed again when it cannot be written whole; the log says why a save failed.
/// The screen as a file: the back screen as drawn so far (right after PresentScreen, the frame
/// it showed), without alpha. 0; -1 before start-up, for a null path or one that cannot be written.
ROR_API int SaveScreenToPng(const char* path);
/// A graphic as a file: its pixels, with alpha when it has an alpha channel. 0; -1 before
/// start-up, for a handle that is no live graphic, for a blend image (levels, not colours), or
/// for a null path or one that cannot be written.
ROR_API int SaveGraphicToPng(int handle, const char* path);
/// The screen's PNG into memory: its size in bytes, copied into buffer only when capacity holds
/// it, so a first call with a null buffer asks how much room to give. -1 before start-up or for a
/// negative capacity.
ROR_API int32_t SaveScreenToPngMemory(void* buffer, int32_t capacity);
/// A graphic's PNG into memory, as SaveScreenToPngMemory: its size in bytes, copied when capacity
/// holds it. -1 before start-up, for a handle that is no live graphic, a blend image, or a
/// negative capacity.
ROR_API int32_t SaveGraphicToPngMemory(int handle, void* buffer, int32_t capacity);
/// Blend images: one 8-bit level per pixel, weighing how strongly each pixel of a graphic
/// drawn while one is selected shows (wipes and other transitions). Selected with SetBlendImage
/// (handle, border 0..255, range 0..255; -1 selects none; -1 for a graphic that is not a blend
/// image). While one is selected, drawing a graphic wider or taller than it returns -1. A blend
/// image is never drawn itself nor a draw target; DestroyGraphic deletes it.
ROR_API int SetBlendImage(int handle, int border, int range);
ROR_API int CreateBlendGraphic(int width, int height);  ///< every level 0; PaintGraphic sets one level
ROR_API int MakeBlendGraphic(int source);               ///< the brightness of a graphic's pixels
ROR_API int LoadBlendGraphic(const char* path);         ///< a grey picture's levels, a colour one's brightness
/// LoadBlendGraphic from a picture file held in memory (size bytes at data).
ROR_API int LoadBlendGraphicFromMemory(const void* data, int32_t size);

/// A picture file (BMP, JPEG, PNG, TGA, DDS, raw "BGRA") from a path (through archives, as
/// FileOpen finds files) as a new graphic; a picture with alpha gives a graphic with an alpha
/// channel. After start-up. The handle, or -1 for a null path, a file that cannot be read, a
/// picture no decoder takes or that is damaged, or one too large (the log says which).
ROR_API int LoadGraphic(const char* path);
/// LoadGraphic from a picture file held in memory: size bytes at data (size > 0; the bytes
/// may be freed afterwards).
ROR_API int LoadGraphicFromMemory(const void* data, int32_t size);
/// A sheet of `count` equal cells, `columns` to a row, left to right and top to bottom, into
/// handles[0 .. count-1]; 0, or -1 with no graphic made.
ROR_API int LoadDividedGraphic(const char* path, int count, int columns, int rows, int cellWidth, int cellHeight,
                               int* handles);
/// The same from a picture file held in memory: data and size as for LoadGraphicFromMemory
/// (size > 0). 0; -1 with no graphic made for null data or handles, a picture no decoder
/// takes, or cells outside the picture. After start-up.
ROR_API int LoadDividedGraphicFromMemory(const void* data, int32_t size, int count, int columns, int rows,
                                         int cellWidth, int cellHeight, int* handles);

// Random numbers: one process-wide generator, seeded from the clocks at start-up.

/// Seeds the generator, so that the draws that follow repeat for the same seed.
ROR_API void SeedRandom(uint32_t seed);
ROR_API int32_t RandomUpTo(int32_t max);  ///< one draw in 0..max inclusive, for max >= 0

// Clocks, from any thread.

/// Milliseconds with bit 31 cleared (0..2^31-1, wrapping): time spans mask the difference
/// with 0x7FFFFFFF.
ROR_API int32_t NowMilliseconds();
/// Microseconds from the finest steady clock the machine has.
ROR_API uint64_t NowMicroseconds();
/// Waits while the window keeps answering (messages pumped): 0, or -1 once it has gone.
ROR_API int WaitMilliseconds(int32_t milliseconds);

// The log "Log.txt" (SetLogEnabled above), from any thread.

/// Writes text to the log. A text without a final line feed is continued by the next write;
/// lines start with one tab per indent level. Returns -1 always, so a failure path can log and
/// fail in one step.
ROR_API int LogWrite(const char* text);
/// Writes a printf-style formatted text to the log, as LogWrite. Returns -1 always.
ROR_API int LogWriteFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// Indents the lines written from now on by one more tab. 0.
ROR_API int LogIndent();
/// Takes one tab of indent away again (never below none). 0.
ROR_API int LogUnindent();
/// enable 1 writes the log in UTF-8 instead of Shift-JIS (cp932), texts the game wrote
/// included; 0 (the default) keeps cp932. Before start-up only: 0; -1 after it (the setting
/// stays). Any drawing path, the thread that starts the layer.
ROR_API int SetLogInUtf8(int enable);
/// enable 1 also writes each log line to standard error (without the time stamp), whether or
/// not the log file is on and already before start-up; 0 (the default) does not. Before
/// start-up only: 0; -1 after it (the setting stays). The thread that starts the layer.
ROR_API int SetLogToStandardError(int enable);
/// enable 1 writes the layer's own log lines in English (naming this system's services where
/// the Japanese names another platform's), and GetLastFailure's texts with them; 0 (the
/// default) keeps the Japanese lines. Texts the game writes stay as written. Before start-up
/// only: 0; -1 after it (the setting stays). The thread that starts the layer.
ROR_API int SetLogInEnglish(int enable);

// Why a call failed.

/// @{
/// Kinds of failure GetLastFailure answers.
constexpr int FAILURE_NONE = 0;          ///< no failure on this thread yet
constexpr int FAILURE_BAD_ARGUMENT = 1;  ///< an argument out of its range, or a handle that names nothing usable
constexpr int FAILURE_NOT_STARTED = 2;   ///< not started (or ended), or a setting for before start-up made after it
constexpr int FAILURE_NO_SUCH_FILE = 3;  ///< a file, or an entry of an archive, that is not there or cannot be opened
constexpr int FAILURE_DAMAGED_DATA =
    4;  ///< a file or data in memory that is damaged or in a form the layer does not read
constexpr int FAILURE_OUT_OF_MEMORY = 5;  ///< memory, or a fixed table (handles, open files), is full
constexpr int FAILURE_DEVICE = 6;         ///< the display, OpenGL, the sound device or another system service refused
/// @}
/// The calling thread's last failure: its kind (a FAILURE_ code above, FAILURE_NONE when the
/// thread has had none) and, in text, the log's line for it, copied with its terminating zero
/// into text (cut at a character's end to size - 1 bytes; nothing is copied for a null text or
/// a size below 1). The text is in the log's language and in the texts' encoding
/// (SetUseUtf8Texts), whether or not the log file is on. A failure the log does not note
/// (a bad argument or handle, a call before start-up) has a line of the same form that names
/// the operation, for example "PutGraphic: handle -1 names nothing usable here (...)".
/// Read it right after a call returned -1: every public operation that fails with -1 sets it,
/// and a call that succeeds never clears it (it may even note a failure it got past, such as
/// memory short for a cache). Each thread has its own; before or after start-up. Never fails.
ROR_API int GetLastFailure(char* text, int size);

/// Text: fonts and string drawing.
#include "rorodiv_text.h"

/// Typing: the character buffer, input lines and the clipboard.
#include "rorodiv_text_input.h"

// Sounds: WAV (PCM 8, 16, 24 or 32 bits, IEEE float 32 bits), Ogg Vorbis, MP3, FLAC and Ogg
// Opus, mono or stereo.

/// A sound from a file (also inside an archive), its format told by its first bytes: WAV (PCM
/// 8, 16, 24 or 32 bits, IEEE float 32 bits), Ogg Vorbis, MP3 (MPEG layers I to III), FLAC
/// (4 to 32 bits) or Ogg Opus (always 48000 Hz), mono or stereo, at any rate from 1000 to
/// 384000 Hz; deeper samples keep their top 16 bits. A Standard MIDI File is rendered when it
/// loads, at the device's rate (44100 Hz before start-up), with the sound font of
/// SetMidiSoundFont (-1 when it finds none). A WAV cut inside its data, or claiming more data
/// than the file holds, keeps the whole frames it holds (logged). Sounds that decode
/// to more than 2 MB stream from the file while they play. Before or after start-up. The
/// handle, or -1 for a null path, a file that cannot be read, a format not taken, damaged
/// data, or a WAV without one whole frame (logged).
ROR_API int LoadSound(const char* path);
/// A sound from a file held in memory: size bytes at data (they may be freed afterwards).
ROR_API int LoadSoundFromMemory(const void* data, int32_t size);
/// Stops the sound's plays and releases it. 0; -1 for an invalid handle.
ROR_API int DeleteSound(int handle);
/// @{
/// How PlaySound plays: once in the back, in a loop, or once while the call waits for its end.
constexpr int SOUND_PLAY_BACK = 0, SOUND_PLAY_LOOP = 1, SOUND_PLAY_WAIT = 2;
/// @}
/// Plays a sound in mode SOUND_PLAY_... (with SOUND_PLAY_WAIT the window stays responsive,
/// and closing it ends the wait). Each call is another play; 64 plays sound at once, and a
/// further one takes the place of the oldest that plays once (of the oldest loop when all
/// loop). 0; -1 for an invalid handle or mode, or when no sound device runs (logged).
ROR_API int PlaySound(int handle, int mode);
ROR_API int StopSound(int handle);       ///< stops every play of the sound; -1 for an invalid handle
ROR_API int IsSoundPlaying(int handle);  ///< 1 while a play of it sounds, else 0; -1 for a bad handle
/// Starts a play of the sound as PlaySound does (mode SOUND_PLAY_...), with the sound's
/// volume, pan and frequency, and gives the play's own handle, which the Play operations
/// below take. With SOUND_PLAY_WAIT it returns once the play has ended. A play's handle
/// stays valid after its end, until at least 960 later plays have started. The play
/// handle; -1 for an invalid sound handle or mode, or when no sound device runs (logged).
ROR_API int StartSound(int handle, int mode);
/// Settings of the sound, for its plays now and later, and the start of its new plays.
ROR_API int SetSoundVolume(int handle, int volume);        ///< 0 silent .. 255 as recorded (linear)
ROR_API int SetSoundPan(int handle, int pan);              ///< -255 left only .. 0 both .. 255 right only
ROR_API int SetSoundFrequency(int handle, int frequency);  ///< playback rate in Hz; 0 the sound's own
ROR_API int SetSoundPosition(int handle, int64_t frame);   ///< where plays start; moves the plays of a decoded sound
ROR_API int64_t GetSoundPosition(int handle);              ///< frame of the newest play, or where the next starts

/// @{
/// A play's or the music's state (GetPlayState, GetMusicState, the end notices): none yet,
/// sounding, paused, ended by itself (its end, its time limit or a fade to 0), stopped by
/// the game (a Stop operation, the sound deleted, the next piece of music), or stolen (its
/// voice went to a newer play, see PlaySound).
constexpr int PLAY_STATE_NONE = 0, PLAY_STATE_PLAYING = 1, PLAY_STATE_PAUSED = 2, PLAY_STATE_ENDED = 3,
              PLAY_STATE_STOPPED = 4, PLAY_STATE_STOLEN = 5;
/// @}
/// The state of a play (PLAY_STATE_PLAYING .. PLAY_STATE_STOLEN); -1 for an invalid play handle.
ROR_API int GetPlayState(int play);

// The operations on one play below take a handle from StartSound. Each returns 0, and -1
// for an invalid play handle or a value out of range; a play that is no longer sounding or
// paused takes the call without effect (0). After start-up, on the game's thread.

/// The play's volume: 0 silent .. 255 as recorded (linear), at once; ends a fade.
ROR_API int SetPlayVolume(int play, int volume);
/// The play's pan: -255 left only .. 0 both .. 255 right only, at once.
ROR_API int SetPlayPan(int play, int pan);
/// The play's rate in Hz (1000 .. 384000), or 0 for the sound's own, at once.
ROR_API int SetPlayFrequency(int play, int frequency);
/// Holds the play where it is; ResumePlay goes on from there.
ROR_API int PausePlay(int play);
/// Plays a paused play on.
ROR_API int ResumePlay(int play);
/// Ends the play at once (its state becomes PLAY_STATE_STOPPED).
ROR_API int StopPlay(int play);
/// Moves the play's volume to `volume` (0..255) over `milliseconds` (0 or more; 0 at once);
/// a fade to 0 ends the play when it arrives.
ROR_API int FadePlay(int play, int milliseconds, int volume);
/// Ends the play after at most `milliseconds` more of sounding (paused time does not count;
/// 0: at the next buffer of the device); -1 takes the limit away (the default).
ROR_API int SetPlayTimeLimit(int play, int milliseconds);
/// What SetPlayEndCallback calls: the play's handle, its state (PLAY_STATE_ENDED, _STOPPED or
/// _STOLEN) and the data given with the callback.
using PlayEndCallback = void (*)(int play, int state, void* data);
/// Has `callback` called for every play that ends (also those of PlaySound), once, from
/// PumpMessages on the game's thread, never from the sound device's; null switches it off
/// (the default). Before or after start-up. Always 0.
ROR_API int SetPlayEndCallback(PlayEndCallback callback, void* data);

/// @{
/// Sample types of the sound device's output (GetSoundDeviceFormat).
constexpr int SOUND_SAMPLE_UNSIGNED_8 = 8, SOUND_SAMPLE_SIGNED_16 = 16;
/// @}
/// The format the sound device really runs with, which may differ from what was asked: its
/// rate in frames per second, its channels (1 or 2), its sample type (SOUND_SAMPLE_...) and
/// the frames of one buffer it asks the mixer for. A null pointer skips that value. After
/// start-up. 0; -1 when no sound device runs (nothing is written then).
ROR_API int GetSoundDeviceFormat(int* rate, int* channels, int* sampleType, int* bufferFrames);

/// @{
/// How plays reach the device's rate (SetSoundResampling): through a band-limited filter
/// (libspeexdsp), which keeps sounds at other rates and changed frequencies free of aliasing,
/// or by linear interpolation between neighbouring frames, the cheapest, which aliases.
constexpr int SOUND_RESAMPLING_FILTERED = 0, SOUND_RESAMPLING_LINEAR = 1;
/// @}
/// Chooses the resampling (SOUND_RESAMPLING_...) of the plays and music pieces started from
/// now on; those playing keep theirs. SOUND_RESAMPLING_FILTERED is the default. A play at the
/// device's own rate passes its frames unchanged either way. Before or after start-up, on the
/// game's thread. 0; -1 for another value (nothing changes then).
ROR_API int SetSoundResampling(int resampling);

/// How often a streamed sound or the music ran out of decoded frames before its end since
/// start-up (each time a gap of silence): 0 while the stream thread keeps up. After start-up;
/// 0 before it.
ROR_API int64_t GetSoundUnderrunCount();

// Music: one piece at a time, streamed from a file of any format a sound takes, or a
// Standard MIDI File (format 0 or 1; LoadSound takes one too, rendered when it loads).

/// Plays the piece at path (through archives), once (loop 0) or looping (1); the piece is
/// WAV, Ogg Vorbis, MP3, FLAC or Ogg Opus, as for LoadSound, or MIDI. A looping Ogg Vorbis,
/// FLAC or Opus piece turns back at its LOOPSTART / LOOPLENGTH (or LOOPEND) comments, in
/// frames, else at its start; a MIDI piece turns back from its end to its first controller 111
/// (or a "loopStart" marker, up to a "loopEnd" marker), else to its start. A MIDI piece is
/// rendered at the device's rate, which its frames count in. Stops the piece playing before. 0;
/// -1 for a file that cannot be played, or a MIDI piece with no sound font (logged;
/// SetMidiSoundFont).
ROR_API int PlayMusic(const char* path, int loop);
/// Stops and unloads the piece. 0, also when none plays.
ROR_API int StopMusic();
/// Pauses the piece where it is. 0; -1 when no piece is loaded.
ROR_API int PauseMusic();
/// Plays a paused piece on from where it paused. 0; -1 when no piece is loaded.
ROR_API int ResumeMusic();
ROR_API int IsMusicPlaying();            ///< 1 while a piece plays or is paused, else 0
ROR_API int SetMusicVolume(int volume);  ///< 0..255, at once, also for the pieces after
/// Moves the volume to `volume` over `milliseconds`; a fade to 0 stops the piece at its end
/// and leaves the volume of the next piece as it was.
ROR_API int FadeMusic(int milliseconds, int volume);

/// Moves the piece that plays (or is paused) to `frame`, counted in frames of the piece's own
/// rate from its start (0 .. its length); a looping piece turns back at its loop end as
/// before. 0; -1 when no piece sounds or is paused, or for a frame outside the piece (the
/// piece plays on where it was), or when the file cannot be read there (logged).
ROR_API int SetMusicPosition(int64_t frame);
/// The frame of the piece that the device plays now (in the piece's own rate, after loops
/// the frame within the piece); -1 when no piece sounds or is paused.
ROR_API int64_t GetMusicPosition();
/// SetMusicPosition in seconds from the piece's start (0 or more), to the nearest frame.
ROR_API int SetMusicPositionSeconds(double seconds);
/// GetMusicPosition in seconds from the piece's start; -1.0 when no piece sounds or is paused.
ROR_API double GetMusicPositionSeconds();
/// The state of the music: PLAY_STATE_NONE before the first piece, PLAY_STATE_PLAYING or
/// _PAUSED while a piece is loaded and sounds or is paused, then how the last one ended
/// (PLAY_STATE_ENDED, _STOPPED).
ROR_API int GetMusicState();
/// What SetMusicEndCallback calls: how the piece ended (PLAY_STATE_ENDED or _STOPPED) and the
/// data given with the callback.
using MusicEndCallback = void (*)(int state, void* data);
/// Has `callback` called once for every piece that ends, from PumpMessages on the game's
/// thread, never from the sound device's; null switches it off (the default). Before or
/// after start-up. Always 0.
ROR_API int SetMusicEndCallback(MusicEndCallback callback, void* data);

/// The sound font (.sf2) MIDI pieces are rendered with by the FluidSynth synthesiser: a path
/// (also inside an archive), or null for the default, Debian's General MIDI font
/// /usr/share/sounds/sf2/TimGM6mb.sf2 (FluidSynth's own default font when that is missing).
/// The font is loaded once, at the next MIDI piece PlayMusic or LoadSound opens, and kept for
/// the pieces after it; a piece that finds no font fails with -1 and a log line naming the
/// path. Before or after start-up, on the game's thread; a piece playing keeps its font.
/// 0; -1 for a path of kFilePathSize bytes or more.
ROR_API int SetMidiSoundFont(const char* path);

// Movies: Ogg Theora pictures, with their Ogg Vorbis sound track when they have one.

/// A movie from an Ogg file (also inside an archive) shown in a graphic of its own: a graphic
/// of the picture's size that every drawing operation, blend mode and both drawing paths take
/// like any other, whose pixels the layer keeps at the movie's current frame as messages are
/// pumped (PumpMessages, and what pumps). It starts stopped at its first frame. The sound track
/// plays through the mixer, and while it sounds the picture follows its position (frames due
/// in between are decoded, not shown); without one, or after its end, the layer's clock runs
/// the movie. DestroyGraphic ends the movie. After start-up, on the game's thread. The graphic
/// handle; -1 for a null path, before start-up, a file that cannot be read, one without a
/// Theora track, or one damaged or cut off (logged). 64 movies may be open at once.
ROR_API int LoadMovieGraphic(const char* path);
/// Plays the movie from where it stands (after its end: from its start). 0, also when it
/// plays already; -1 for a handle that is no movie's graphic.
ROR_API int StartMovie(int graphic);
/// Holds the movie and its sound where they are; StartMovie goes on from there. 0; -1 for a
/// handle that is no movie's graphic.
ROR_API int PauseMovie(int graphic);
/// Stops the movie and shows its first frame again. 0; -1 for a handle that is no movie's graphic.
ROR_API int StopMovie(int graphic);
/// Moves the movie to `milliseconds` from its start (0 .. its length), playing on from there
/// when it plays; 0 goes back to the start. The picture is decoded from the start up to that
/// frame when it lies before the current one. 0; -1 for a handle that is no movie's graphic, a
/// time outside the movie, or damaged data on the way (logged; the movie stops).
ROR_API int SeekMovie(int graphic, int64_t milliseconds);
/// loop 1: at its end the movie starts again from its beginning, sound and all; 0 (the
/// default): it stops at its last frame. 0; -1 for a handle that is no movie's graphic or
/// another value.
ROR_API int SetMovieLoop(int graphic, int loop);
/// The movie's frames per second as the fraction numerator / denominator (a null pointer skips
/// that value). 0; -1 for a handle that is no movie's graphic. Its size is GetGraphicSize's.
ROR_API int GetMovieFrameRate(int graphic, int* numerator, int* denominator);
/// The movie's length in milliseconds (its frames over its frame rate); -1 for a handle that is
/// no movie's graphic.
ROR_API int64_t GetMovieLength(int graphic);
/// The movie's time now in milliseconds from its start (0 .. its length); -1 for a handle that
/// is no movie's graphic.
ROR_API int64_t GetMovieTime(int graphic);
/// 1 while the movie plays, 0 while it is stopped, paused or at its end (without a loop); -1
/// for a handle that is no movie's graphic.
ROR_API int IsMoviePlaying(int graphic);
/// Plays the movie at path over the whole screen (as large as its proportions allow, in the
/// middle, black around it) and returns when it ends, pumping messages meanwhile; with
/// skippable 1 a key press or mouse click (taken from the input events) ends it early. Draws
/// into the back screen and presents; the draw target is given back afterwards. After
/// start-up, on the game's thread, on both drawing paths. 0 when the movie ended or was
/// skipped; -1 for a null path, skippable not 0 or 1, before start-up, a file LoadMovieGraphic
/// refuses, or when the window closed meanwhile.
ROR_API int PlayMovieFullScreen(const char* path, int skippable);

/// Files and archives.
#include "rorodiv_file.h"
