// OpenGL behind the hardware drawing path: the probe that tells whether a usable GL exists,
// the context on the main window, render surfaces (framebuffer objects), depth buffers,
// textures, one shader pair, one streaming vertex buffer, blend state and present.
// Pixel coordinates are top-left based everywhere; rows of surfaces and textures are stored
// top row first.
#pragma once
#include "platform/window_system/messages.h"

#include <cstdint>

namespace ror {

// ---- The probe, made before the main window exists ----

struct GlProbeReport {
    int32_t libraryLoaded;  // the video driver has a GL library and it loaded
    int32_t contextMade;    // an OpenGL 3.3 core (or ES 3.0) context could be made
    int32_t es;             // the context is OpenGL ES 3.0
    int32_t cpuRasteriser;  // the renderer rasterises on the CPU (llvmpipe, softpipe, ...)
    char renderer[128];
    char version[128];
};
// Loads the GL library and makes a context on a hidden window, then lets both go. 0 when a
// context was made, -1 otherwise (the report says how far it got).
int ProbeGl(GlProbeReport* report);
// 1 when the environment variable ROR_ACCEPT_CPU_GL is "1".
int CpuGlAcceptedByEnvironment();
// Windows made from now on can carry a GL context (1) or are plain (0, the default).
void SetGlCapableWindows(int on);
int GlCapableWindows();

// ---- The context on a window ----

struct GlCaps {
    int32_t es;
    int32_t cpuRasteriser;
    int32_t separateBlendOps;  // glBlendEquation with a reverse subtract
    int32_t maxTextureSize;
    int32_t s3tc;             // DXT1, DXT3 and DXT5 textures upload as they are
    int32_t swapWaitRefused;  // swap interval 1 was asked for and the driver refused it
    char renderer[128];
    char version[128];
    char shadingVersion[128];  // of the shading language
};
// Makes a context on the window (which must be GL-capable) with swap interval 1 or 0, and
// the program, the vertex array and the streaming vertex buffer. 0 / -1.
int OpenGlContext(WindowHandle window, int swapInterval, GlCaps* caps);
void CloseGlContext();  // frees everything below; safe without a context
// The swap interval of later presents: 1 waits for the vertical blank, 0 does not. 0 / -1
// (-1 also when the driver refuses it).
int SetGlSwapInterval(int interval);
// Closes the context when it lives on the window, which is about to be destroyed (closed
// through its close box before shutdown): afterwards every GL entry point does nothing.
void CloseGlContextOf(WindowHandle window);
int GlContextOpen();
// Pretends the context lacks separate blend operations (for tests of the emulation).
void HideGlSeparateBlendOps(int hide);

// Compiles and links the shader pair from sources without a #version line. 0 / -1.
int LoadGlProgram(const char* vertexSource, uint32_t vertexSize, const char* fragmentSource, uint32_t fragmentSize);
void ReleaseGlProgram();

// R8: one 8-bit level per texel (blend images); written with UpdateGlTextureLevels only.
enum class GlPixelFormat : int32_t { Rgba8, Rgb565, Rgb5A1, Rgba4, Dxt1, Dxt3, Dxt5, R8 };
// 1 when the context can render into (renderTarget 1) or sample from the format.
int GlFormatSupported(GlPixelFormat format, int renderTarget);

// ---- Surfaces: render targets with a colour texture; ids > 0 ----

int32_t CreateGlSurface(int32_t width, int32_t height, GlPixelFormat format);  // id, or -1
void DestroyGlSurface(int32_t surface);
int32_t CreateGlDepthBuffer(int32_t width, int32_t height);  // id, or -1
void DestroyGlDepthBuffer(int32_t depth);
int AttachGlDepthBuffer(int32_t surface, int32_t depth);  // 0 for none; 0 / -1
int32_t GlSurfaceTexture(int32_t surface);                // the texture id of its colour, or -1
// Later drawing and clears go to the surface; the viewport and scissor become all of it and
// the draw origin (0, 0).
int SetGlTarget(int32_t surface);
// The part of the target that drawing reaches, in target pixels. 0 / -1.
int SetGlViewport(int32_t x, int32_t y, int32_t width, int32_t height);
// Where vertex position (0, 0) lands in the target, so that a part of a surface can be drawn
// into as if it were a whole one (the viewport stays in target pixels). 0 / -1.
int SetGlDrawOrigin(int32_t x, int32_t y);
// Clears the area (null: the whole target, ignoring the viewport) to 0xAARRGGBB; with
// clearDepth the depth buffer to 1.0 as well.
void ClearGlTarget(const Rect* area, uint32_t argb, int clearDepth);
// Copies (scaling when the sizes differ) between surfaces. 0 / -1.
int CopyGlSurface(int32_t source, const Rect& from, int32_t destination, const Rect& to, int smooth);
// Reads the area as 0xAARRGGBB rows (pitch in bytes). 0 / -1.
int ReadGlSurface(int32_t surface, const Rect& area, uint32_t* out, int32_t pitch);
// The same from level 0 of a texture (not a compressed one). 0 / -1.
int ReadGlTexture(int32_t texture, const Rect& area, uint32_t* out, int32_t pitch);
// Draws `source` of the surface onto `destination` of the window's drawable (cleared black
// around it) and swaps. 0 / -1.
int PresentGlSurface(int32_t surface, const Rect& source, const Rect& destination);

// ---- Textures; ids > 0 ----

int32_t CreateGlTexture(int32_t width, int32_t height, GlPixelFormat format, int32_t levels);  // id, or -1
void DestroyGlTexture(int32_t texture);
// Writes a rectangle of one level from 0xAARRGGBB rows (pitch in bytes); converted to the
// texture's format. 0 / -1.
int UpdateGlTexture(int32_t texture, GlPixelFormat format, int32_t level, int32_t x, int32_t y, int32_t width,
                    int32_t height, const uint32_t* pixels, int32_t pitch);
// Writes a rectangle of level 0 of an R8 texture from rows of 8-bit levels (pitch in bytes). 0 / -1.
int UpdateGlTextureLevels(int32_t texture, int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* levels,
                          int32_t pitch);
// Writes block-compressed data (DXT formats) of one level as it is. 0 / -1.
int UpdateGlTextureCompressed(int32_t texture, GlPixelFormat format, int32_t level, int32_t width, int32_t height,
                              const void* data, int32_t bytes);
// Sampling of the texture: filter 0 point, 1 linear, 2 anisotropic; wrap 0 clamp, 1 repeat.
void SetGlSampling(int32_t texture, int32_t filter, int32_t wrapU, int32_t wrapV);

// ---- Drawing ----

enum class GlBlendFactor : int32_t { Zero, One, SrcAlpha, InvSrcAlpha, SrcColor, InvDestColor };
enum class GlBlendOp : int32_t { Add, ReverseSubtract };
void SetGlBlend(int enabled, GlBlendFactor source, GlBlendFactor destination, GlBlendOp op);
void SetGlDepthTest(int enabled);

// Point list 1, line list 2, line strip 3, triangle list 4, triangle strip 5, triangle fan 6.
enum class GlPrimitive : int32_t { Points = 1, Lines, LineStrip, Triangles, TriangleStrip, TriangleFan };
// The pre-transformed vertex layouts: x, y, z, rhw floats, a 0xAARRGGBB colour, then
// Plain: nothing more (20 bytes); Textured: u, v (28 bytes); TwoTextures: a second colour,
// u1, v1, u2, v2 (40 bytes). Positions are pixels with the pixel's centre at whole numbers.
enum class GlVertexLayout : int32_t { Plain, Textured, TwoTextures };
// Streams the vertices into the vertex buffer and draws them with the texture (0 for none)
// modulated by the vertex colour, each primitive flat in its first vertex's colour. 0 / -1.
int DrawGlVertices(const void* vertices, int32_t count, GlVertexLayout layout, GlPrimitive primitive, int32_t texture);
// Draws a picture held in three R8 textures (Y, Cb and Cr, studio range; the chroma ones
// smaller or not) converted to colours over the pixels (0, 0) to (width, height) of the
// target, replacing them (no blend). 0 / -1.
int DrawGlPlanes(const int32_t planes[3], int32_t width, int32_t height);
// How later textured draws read their texels: Alpha modulates by the texel's alpha; Opaque
// reads alpha as 1; ColorKey reads alpha as 1 and drops texels whose colour is the key
// (0xRRGGBB, compared as a texture of `format` holds it, so that pixels written as the key
// drop out also when a 16-bit format cannot hold it exactly). Change it only between draws.
enum class GlTexelRule : int32_t { Alpha, Opaque, ColorKey };
void SetGlTextureKey(GlTexelRule rule, uint32_t keyArgb, GlPixelFormat format = GlPixelFormat::Rgba8);
// What a fragment's colour becomes before the blend: Plain as it is; Invert its colour
// inverted; Multiply its colour moved from white towards itself by its alpha, so that a blend
// of destination times source colour weighs by texel alpha and strength. Change it only
// between draws.
enum class GlColourRule : int32_t { Plain, Invert, Multiply };
void SetGlColourRule(GlColourRule rule);
// A blend image for later draws of the TwoTextures layout with a texture: the level g of
// the R8 texture `blendTexture` at (u2, v2) gives the weight rule[g] / 255, which scales the
// fragment's alpha, or with `weighColour` moves its colour from white towards the texel
// (for the multiplying blends). 0 selects none. Change it only between draws.
void SetGlBlendImage(int32_t blendTexture, const uint8_t rule[256], int weighColour);
// Draw calls made since the context was opened (for measurements).
int64_t GlDrawCallCount();

}  // namespace ror
