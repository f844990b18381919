#include "platform/gl/gl_device.h"

#include "platform/gl/gl_setup.h"
#include "platform/system/service_faults.h"
#include "platform/window_system/window_sdl.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <cstring>

namespace ror {

namespace {

constexpr int kMaxSurfaces = 1024;
constexpr int kMaxDepthBuffers = 8;
constexpr GLsizeiptr kStreamBytes = 4 << 20;
constexpr int kConvertPixels = 4096;

struct GlSurfaceRecord {
    GLuint framebuffer;  // 0 = slot free
    GLuint color;
    int32_t width, height;
};

struct GlDepthRecord {
    GLuint buffer;
    int32_t width, height;
};

struct GlDeviceState {
    SDL_Window* window;
    SDL_GLContext context;
    GlCaps caps;
    int hideSeparateBlendOps;
    // The shader pair built four times: [0] untextured, [1] textured, [2] textured and weighed
    // by a blend image, so that a CPU rasteriser runs no texture code for plain fills, and
    // [3] converting a picture's three planes to colours.
    GLuint programs[4];
    GLint viewportUniforms[4];
    GLint viewportBox[4];         // x, y, width, height in target pixels
    GLint origin[2];              // where vertex (0, 0) lands in the target
    GLfloat viewport[4];          // the shader's viewport: the box seen from the origin
    GLint textureKeyUniforms[4];  // the textured programs' texel rule
    GLfloat textureKey[4];        // red, green, blue of the key, and the rule
    GLint colourRuleUniforms[4];
    GLint colourRule;                       // GlColourRule
    GLint ruleUniform, weighColourUniform;  // the blend program's weights
    GLuint blendTexture;                    // 0: no blend image
    GLfloat rule[256];
    GLint weighColour;
    int ruleStale;  // the blend program has not had `rule` yet
    GLuint program, vertexArray, vertexBuffer;
    GLintptr streamOffset;
    int layoutSet;   // the layout the attribute pointers describe, -1 for none
    int textured;    // the program in use, -1 none
    int32_t target;  // current surface
    int32_t targetWidth, targetHeight;
    int64_t drawCalls;
    GlSurfaceRecord surfaces[kMaxSurfaces];
    GlDepthRecord depths[kMaxDepthBuffers];
    uint16_t convert16[kConvertPixels];
    uint32_t convert32[kConvertPixels];
};
GlDeviceState Gl;

GlSurfaceRecord* Surface(int32_t id)
{
    if (id <= 0 || id > kMaxSurfaces || Gl.surfaces[id - 1].framebuffer == 0) return nullptr;
    return &Gl.surfaces[id - 1];
}

GlDepthRecord* Depth(int32_t id)
{
    if (id <= 0 || id > kMaxDepthBuffers || Gl.depths[id - 1].buffer == 0) return nullptr;
    return &Gl.depths[id - 1];
}

struct GlFormatInfo {
    GLenum internal, format, type;
    int bytes;  // per pixel, 0 for the compressed formats
    int renderable;
};

GlFormatInfo FormatInfo(GlPixelFormat format)
{
    switch (format) {
    case GlPixelFormat::Rgba8: return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, 1};
    case GlPixelFormat::Rgb565: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, 1};
    case GlPixelFormat::Rgb5A1: return {GL_RGB5_A1, GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, 2, 1};
    case GlPixelFormat::Rgba4: return {GL_RGBA4, GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, 2, 1};
    case GlPixelFormat::Dxt1: return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, 0, 0};
    case GlPixelFormat::Dxt3: return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, 0, 0};
    case GlPixelFormat::Dxt5: return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, 0, 0};
    case GlPixelFormat::R8: return {GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, 0};
    }
    return {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, 1};
}

// One 0xAARRGGBB pixel in a 16-bit texture layout (channels in the top bits, as GL packs them).
uint16_t Pack16(uint32_t argb, GlPixelFormat format)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    switch (format) {
    case GlPixelFormat::Rgb565: return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    case GlPixelFormat::Rgb5A1: return uint16_t((r >> 3) << 11 | (g >> 3) << 6 | (b >> 3) << 1 | (a >> 7));
    default: return uint16_t((r >> 4) << 12 | (g >> 4) << 8 | (b >> 4) << 4 | (a >> 4));
    }
}

void SetTextureDefaults()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// Variants: 0 untextured, 1 textured, 2 textured and blended, 3 three planes.
GLuint CompileShader(GLenum kind, const char* source, uint32_t size, int variant)
{
    const char* prefix = Gl.caps.es ? "#version 300 es\nprecision highp float;\n" : "#version 330 core\n";
    static const char* const kDefines[4] = {"#define TEXTURED 0\n#define BLENDED 0\n#define PLANES 0\n",
                                            "#define TEXTURED 1\n#define BLENDED 0\n#define PLANES 0\n",
                                            "#define TEXTURED 1\n#define BLENDED 1\n#define PLANES 0\n",
                                            "#define TEXTURED 1\n#define BLENDED 0\n#define PLANES 1\n"};
    const char* define = kDefines[variant];
    const char* parts[3] = {prefix, define, source};
    const GLint lengths[3] = {GLint(std::strlen(prefix)), GLint(std::strlen(define)), GLint(size)};
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 3, parts, lengths);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

void BindTarget()
{
    const GlSurfaceRecord* s = Surface(Gl.target);
    glBindFramebuffer(GL_FRAMEBUFFER, s ? s->framebuffer : 0);
}

// The attribute pointers of a layout, from the start of the vertex buffer.
void SetLayout(GlVertexLayout layout)
{
    if (Gl.layoutSet == int(layout)) return;
    Gl.layoutSet = int(layout);
    static constexpr GLsizei kStride[] = {20, 28, 40};
    static constexpr uintptr_t kUvOffset[] = {0, 20, 24};
    const GLsizei stride = kStride[int(layout)];
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(0));
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<const void*>(16));
    if (layout == GlVertexLayout::Plain) {
        glDisableVertexAttribArray(2);
        glVertexAttrib2f(2, 0, 0);
    } else {
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(kUvOffset[int(layout)]));
    }
    if (layout == GlVertexLayout::TwoTextures) {
        glEnableVertexAttribArray(3);
        glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(32));
    } else {
        glDisableVertexAttribArray(3);
        glVertexAttrib2f(3, 0, 0);
    }
}

GLenum BlendFactor(GlBlendFactor factor)
{
    switch (factor) {
    case GlBlendFactor::Zero: return GL_ZERO;
    case GlBlendFactor::One: return GL_ONE;
    case GlBlendFactor::SrcAlpha: return GL_SRC_ALPHA;
    case GlBlendFactor::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case GlBlendFactor::SrcColor: return GL_SRC_COLOR;
    case GlBlendFactor::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    }
    return GL_ONE;
}

}  // namespace

int OpenGlContext(WindowHandle window, int swapInterval, GlCaps* caps)
{
    CloseGlContext();
    if (ServiceCallFails(PlatformService::GlContext)) return -1;
    SDL_Window* sdl = SdlWindowOf(window);
    if (sdl == nullptr || !(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL) || LoadGlLibrary() != 0) return -1;
    const int es = GlProbedEs();
    RequestGlContextAttributes(es);
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    if (context == nullptr) return -1;
    const int hide = Gl.hideSeparateBlendOps;
    Gl = GlDeviceState{};
    Gl.hideSeparateBlendOps = hide;
    Gl.window = sdl;
    Gl.context = context;
    Gl.layoutSet = -1;
    Gl.textured = -1;
    GlCaps& c = Gl.caps;
    c.es = es;
    auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value != nullptr ? reinterpret_cast<const char*>(value) : "";
    };
    std::snprintf(c.renderer, sizeof c.renderer, "%s", text(GL_RENDERER));
    std::snprintf(c.version, sizeof c.version, "%s", text(GL_VERSION));
    std::snprintf(c.shadingVersion, sizeof c.shadingVersion, "%s", text(GL_SHADING_LANGUAGE_VERSION));
    c.cpuRasteriser = RendererIsCpu(c.renderer);
    c.separateBlendOps = 1;  // glBlendEquation is core in both context kinds
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    c.maxTextureSize = maxSize;
    c.s3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc") ? 1 : 0;
    c.swapWaitRefused = (SDL_GL_SetSwapInterval(swapInterval ? 1 : 0) != 0 && swapInterval) ? 1 : 0;

    glGenVertexArrays(1, &Gl.vertexArray);
    glBindVertexArray(Gl.vertexArray);
    glGenBuffers(1, &Gl.vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, Gl.vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    if (!es) glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glDisable(GL_DITHER);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_SCISSOR_TEST);
    *caps = c;
    if (Gl.hideSeparateBlendOps) caps->separateBlendOps = 0;
    return 0;
}

void CloseGlContext()
{
    if (Gl.context == nullptr) return;
    // GL objects go only while the context is current; without it they go with the context.
    if (SDL_GL_MakeCurrent(Gl.window, Gl.context) == 0) {
        for (int i = 0; i < kMaxSurfaces; ++i)
            if (Gl.surfaces[i].framebuffer) DestroyGlSurface(i + 1);
        for (int i = 0; i < kMaxDepthBuffers; ++i)
            if (Gl.depths[i].buffer) DestroyGlDepthBuffer(i + 1);
        ReleaseGlProgram();
        glDeleteBuffers(1, &Gl.vertexBuffer);
        glDeleteVertexArrays(1, &Gl.vertexArray);
        SDL_GL_MakeCurrent(Gl.window, nullptr);
    }
    SDL_GL_DeleteContext(Gl.context);
    const int hide = Gl.hideSeparateBlendOps;
    Gl = GlDeviceState{};
    Gl.hideSeparateBlendOps = hide;
}

int SetGlSwapInterval(int interval)
{
    if (Gl.context == nullptr) return -1;
    return SDL_GL_SetSwapInterval(interval ? 1 : 0) == 0 ? 0 : -1;
}

void CloseGlContextOf(WindowHandle window)
{
    if (Gl.context != nullptr && SdlWindowOf(window) == Gl.window) CloseGlContext();
}

int GlContextOpen() { return Gl.context != nullptr ? 1 : 0; }

void HideGlSeparateBlendOps(int hide) { Gl.hideSeparateBlendOps = hide ? 1 : 0; }

namespace {

GLuint LinkProgram(const char* vertexSource, uint32_t vertexSize, const char* fragmentSource, uint32_t fragmentSize,
                   int variant)
{
    const GLuint vertex = CompileShader(GL_VERTEX_SHADER, vertexSource, vertexSize, variant);
    const GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource, fragmentSize, variant);
    GLint linked = 0;
    GLuint program = 0;
    if (vertex && fragment) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    if (!linked) {
        glDeleteProgram(program);
        return 0;
    }
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "image"), 0);
    glUniform1i(glGetUniformLocation(program, "blendImage"), 1);
    glUniform1i(glGetUniformLocation(program, "planeCb"), 1);
    glUniform1i(glGetUniformLocation(program, "planeCr"), 2);
    return program;
}

// `textured` is the variant: 0 untextured, 1 textured, 2 blended, 3 planes.
void UseProgram(int textured)
{
    if (Gl.textured != textured) {
        Gl.textured = textured;
        Gl.program = Gl.programs[textured];
        glUseProgram(Gl.program);
        glUniform4fv(Gl.viewportUniforms[textured], 1, Gl.viewport);
        if (textured) glUniform4fv(Gl.textureKeyUniforms[textured], 1, Gl.textureKey);
        glUniform1i(Gl.colourRuleUniforms[textured], Gl.colourRule);
    }
    if (textured == 2 && Gl.ruleStale) {
        glUniform1fv(Gl.ruleUniform, 256, Gl.rule);
        glUniform1i(Gl.weighColourUniform, Gl.weighColour);
        Gl.ruleStale = 0;
    }
}

}  // namespace

int LoadGlProgram(const char* vertexSource, uint32_t vertexSize, const char* fragmentSource, uint32_t fragmentSize)
{
    if (Gl.context == nullptr) return -1;
    ReleaseGlProgram();
    for (int variant = 0; variant < 4; ++variant) {
        Gl.programs[variant] = LinkProgram(vertexSource, vertexSize, fragmentSource, fragmentSize, variant);
        if (Gl.programs[variant] == 0) {
            ReleaseGlProgram();
            return -1;
        }
        Gl.viewportUniforms[variant] = glGetUniformLocation(Gl.programs[variant], "viewport");
        Gl.textureKeyUniforms[variant] = glGetUniformLocation(Gl.programs[variant], "textureKey");
        Gl.colourRuleUniforms[variant] = glGetUniformLocation(Gl.programs[variant], "colourRule");
    }
    Gl.ruleUniform = glGetUniformLocation(Gl.programs[2], "rule");
    Gl.weighColourUniform = glGetUniformLocation(Gl.programs[2], "weighColour");
    Gl.ruleStale = 1;
    Gl.textureKey[0] = Gl.textureKey[1] = Gl.textureKey[2] = Gl.textureKey[3] = 0;
    Gl.textured = -1;
    UseProgram(0);
    return 0;
}

void ReleaseGlProgram()
{
    if (Gl.context == nullptr) return;
    glUseProgram(0);
    for (GLuint& program : Gl.programs) {
        if (program) glDeleteProgram(program);
        program = 0;
    }
    Gl.program = 0;
    Gl.textured = -1;
}

int GlFormatSupported(GlPixelFormat format, int renderTarget)
{
    if (Gl.context == nullptr) return 0;
    const GlFormatInfo info = FormatInfo(format);
    if (renderTarget) return info.renderable;
    if (info.bytes == 0) return Gl.caps.s3tc;
    return 1;
}

int32_t CreateGlSurface(int32_t width, int32_t height, GlPixelFormat format)
{
    const GlFormatInfo info = FormatInfo(format);
    if (Gl.context == nullptr || !info.renderable || width <= 0 || height <= 0 || width > Gl.caps.maxTextureSize ||
        height > Gl.caps.maxTextureSize)
        return -1;
    int slot = 0;
    while (slot < kMaxSurfaces && Gl.surfaces[slot].framebuffer) ++slot;
    if (slot == kMaxSurfaces) return -1;
    GlSurfaceRecord s{0, 0, width, height};
    glGenTextures(1, &s.color);
    glBindTexture(GL_TEXTURE_2D, s.color);
    SetTextureDefaults();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);  // one level, so any filter samples it
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(info.internal), width, height, 0, info.format, info.type, nullptr);
    glGenFramebuffers(1, &s.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, s.color, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
    }
    BindTarget();
    if (!complete || glGetError() != GL_NO_ERROR) {
        glDeleteFramebuffers(1, &s.framebuffer);
        glDeleteTextures(1, &s.color);
        return -1;
    }
    Gl.surfaces[slot] = s;
    return slot + 1;
}

void DestroyGlSurface(int32_t surface)
{
    GlSurfaceRecord* s = Surface(surface);
    if (s == nullptr) return;
    glDeleteFramebuffers(1, &s->framebuffer);
    glDeleteTextures(1, &s->color);
    *s = GlSurfaceRecord{};
    if (Gl.target == surface) {
        Gl.target = 0;
        BindTarget();
    }
}

int32_t CreateGlDepthBuffer(int32_t width, int32_t height)
{
    if (Gl.context == nullptr || width <= 0 || height <= 0) return -1;
    int slot = 0;
    while (slot < kMaxDepthBuffers && Gl.depths[slot].buffer) ++slot;
    if (slot == kMaxDepthBuffers) return -1;
    GlDepthRecord d{0, width, height};
    glGenRenderbuffers(1, &d.buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, d.buffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteRenderbuffers(1, &d.buffer);
        return -1;
    }
    Gl.depths[slot] = d;
    return slot + 1;
}

void DestroyGlDepthBuffer(int32_t depth)
{
    GlDepthRecord* d = Depth(depth);
    if (d == nullptr) return;
    for (GlSurfaceRecord& s : Gl.surfaces) {
        if (!s.framebuffer) continue;
        glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
        GLint attached = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
        if (GLuint(attached) == d->buffer)
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    }
    BindTarget();
    glDeleteRenderbuffers(1, &d->buffer);
    *d = GlDepthRecord{};
}

int AttachGlDepthBuffer(int32_t surface, int32_t depth)
{
    GlSurfaceRecord* s = Surface(surface);
    const GlDepthRecord* d = Depth(depth);
    if (s == nullptr || (depth != 0 && d == nullptr)) return -1;
    glBindFramebuffer(GL_FRAMEBUFFER, s->framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, d ? d->buffer : 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    BindTarget();
    return complete ? 0 : -1;
}

int32_t GlSurfaceTexture(int32_t surface)
{
    const GlSurfaceRecord* s = Surface(surface);
    return s ? int32_t(s->color) : -1;
}

int SetGlTarget(int32_t surface)
{
    const GlSurfaceRecord* s = Surface(surface);
    if (s == nullptr) return -1;
    Gl.target = surface;
    Gl.targetWidth = s->width;
    Gl.targetHeight = s->height;
    Gl.origin[0] = Gl.origin[1] = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, s->framebuffer);
    return SetGlViewport(0, 0, s->width, s->height);
}

namespace {

// The vertex shader maps positions through the viewport it is given; giving it the box less
// the origin moves every vertex by the origin while the box still clips in target pixels.
void UploadViewport()
{
    Gl.viewport[0] = float(Gl.viewportBox[0] - Gl.origin[0]);
    Gl.viewport[1] = float(Gl.viewportBox[1] - Gl.origin[1]);
    Gl.viewport[2] = float(Gl.viewportBox[2]);
    Gl.viewport[3] = float(Gl.viewportBox[3]);
    if (Gl.program) glUniform4fv(Gl.viewportUniforms[Gl.textured], 1, Gl.viewport);
}

}  // namespace

int SetGlViewport(int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (Gl.context == nullptr || width < 0 || height < 0) return -1;
    // Rows are stored top row first, so target row y is GL's row y: no flip.
    glViewport(x, y, width, height);
    glScissor(x, y, width, height);
    Gl.viewportBox[0] = x, Gl.viewportBox[1] = y, Gl.viewportBox[2] = width, Gl.viewportBox[3] = height;
    UploadViewport();
    return 0;
}

int SetGlDrawOrigin(int32_t x, int32_t y)
{
    if (Gl.context == nullptr) return -1;
    Gl.origin[0] = x, Gl.origin[1] = y;
    UploadViewport();
    return 0;
}

void ClearGlTarget(const Rect* area, uint32_t argb, int clearDepth)
{
    if (Gl.context == nullptr) return;
    GLint saved[4];
    glGetIntegerv(GL_SCISSOR_BOX, saved);
    if (area == nullptr)
        glScissor(0, 0, Gl.targetWidth, Gl.targetHeight);
    else
        glScissor(area->left, area->top, area->right - area->left, area->bottom - area->top);
    glClearColor(float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f, float(argb & 0xFF) / 255.0f,
                 float(argb >> 24) / 255.0f);
    GLbitfield bits = GL_COLOR_BUFFER_BIT;
    if (clearDepth) {
        glClearDepthf(1.0f);
        glDepthMask(GL_TRUE);
        bits |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(bits);
    glScissor(saved[0], saved[1], saved[2], saved[3]);
}

int CopyGlSurface(int32_t source, const Rect& from, int32_t destination, const Rect& to, int smooth)
{
    const GlSurfaceRecord* s = Surface(source);
    const GlSurfaceRecord* d = Surface(destination);
    if (s == nullptr || d == nullptr) return -1;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, d->framebuffer);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, to.top, to.right, to.bottom,
                      GL_COLOR_BUFFER_BIT, smooth ? GL_LINEAR : GL_NEAREST);
    glEnable(GL_SCISSOR_TEST);
    BindTarget();
    return 0;
}

namespace {

// Reads `area` of the bound read framebuffer as 0xAARRGGBB rows.
void ReadBoundFramebuffer(const Rect& area, uint32_t* out, int32_t pitch)
{
    const int width = area.right - area.left;
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(out) + intptr_t(y - area.top) * pitch);
        // RGBA bytes are what every context can read; swap red and blue into 0xAARRGGBB.
        glReadPixels(area.left, y, width, 1, GL_RGBA, GL_UNSIGNED_BYTE, row);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = row[x];
            row[x] = (v & 0xFF00FF00u) | (v & 0xFF) << 16 | ((v >> 16) & 0xFF);
        }
    }
}

}  // namespace

int ReadGlSurface(int32_t surface, const Rect& area, uint32_t* out, int32_t pitch)
{
    const GlSurfaceRecord* s = Surface(surface);
    if (s == nullptr || out == nullptr || pitch % 4 != 0) return -1;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s->framebuffer);
    ReadBoundFramebuffer(area, out, pitch);
    BindTarget();
    return glGetError() == GL_NO_ERROR ? 0 : -1;
}

int ReadGlTexture(int32_t texture, const Rect& area, uint32_t* out, int32_t pitch)
{
    if (Gl.context == nullptr || texture <= 0 || out == nullptr || pitch % 4 != 0) return -1;
    // A framebuffer of its own for the moment of the read; compressed textures cannot be one.
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, GLuint(texture), 0);
    const bool complete = glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) ReadBoundFramebuffer(area, out, pitch);
    glDeleteFramebuffers(1, &framebuffer);
    BindTarget();
    return complete && glGetError() == GL_NO_ERROR ? 0 : -1;
}

int PresentGlSurface(int32_t surface, const Rect& source, const Rect& destination)
{
    const GlSurfaceRecord* s = Surface(surface);
    if (s == nullptr) return -1;
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(Gl.window, &width, &height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    // Only the window's part outside the frame needs black.
    if (destination.left > 0 || destination.top > 0 || destination.right < width || destination.bottom < height) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The window's rows run bottom up: flip while copying.
    glBlitFramebuffer(source.left, source.top, source.right, source.bottom, destination.left, height - destination.top,
                      destination.right, height - destination.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glEnable(GL_SCISSOR_TEST);
    SDL_GL_SwapWindow(Gl.window);
    BindTarget();
    return 0;
}

int32_t CreateGlTexture(int32_t width, int32_t height, GlPixelFormat format, int32_t levels)
{
    if (Gl.context == nullptr || width <= 0 || height <= 0 || width > Gl.caps.maxTextureSize ||
        height > Gl.caps.maxTextureSize || !GlFormatSupported(format, 0))
        return -1;
    const GlFormatInfo info = FormatInfo(format);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    SetTextureDefaults();
    if (levels < 1) levels = 1;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    for (int level = 0; level < levels; ++level) {
        const int w = width >> level > 0 ? width >> level : 1, h = height >> level > 0 ? height >> level : 1;
        if (info.bytes == 0)
            glCompressedTexImage2D(GL_TEXTURE_2D, level, info.internal, w, h, 0,
                                   ((w + 3) / 4) * ((h + 3) / 4) * (format == GlPixelFormat::Dxt1 ? 8 : 16), nullptr);
        else
            glTexImage2D(GL_TEXTURE_2D, level, GLint(info.internal), w, h, 0, info.format, info.type, nullptr);
    }
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &texture);
        return -1;
    }
    return int32_t(texture);
}

void DestroyGlTexture(int32_t texture)
{
    if (Gl.context == nullptr || texture <= 0) return;
    const GLuint name = GLuint(texture);
    glDeleteTextures(1, &name);
}

int UpdateGlTexture(int32_t texture, GlPixelFormat format, int32_t level, int32_t x, int32_t y, int32_t width,
                    int32_t height, const uint32_t* pixels, int32_t pitch)
{
    const GlFormatInfo info = FormatInfo(format);
    if (Gl.context == nullptr || texture <= 0 || info.bytes < 2 || pixels == nullptr) return -1;
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    for (int row = 0; row < height; ++row) {
        const uint32_t* in =
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + intptr_t(row) * pitch);
        for (int done = 0; done < width; done += kConvertPixels) {
            const int n = width - done < kConvertPixels ? width - done : kConvertPixels;
            const void* data;
            if (info.bytes == 4) {
                for (int i = 0; i < n; ++i) {
                    const uint32_t v = in[done + i];
                    Gl.convert32[i] = (v & 0xFF00FF00u) | (v & 0xFF) << 16 | ((v >> 16) & 0xFF);
                }
                data = Gl.convert32;
            } else {
                for (int i = 0; i < n; ++i) Gl.convert16[i] = Pack16(in[done + i], format);
                data = Gl.convert16;
            }
            glTexSubImage2D(GL_TEXTURE_2D, level, x + done, y + row, n, 1, info.format, info.type, data);
        }
    }
    return glGetError() == GL_NO_ERROR ? 0 : -1;
}

int UpdateGlTextureLevels(int32_t texture, int32_t x, int32_t y, int32_t width, int32_t height, const uint8_t* levels,
                          int32_t pitch)
{
    if (Gl.context == nullptr || texture <= 0 || levels == nullptr || width <= 0 || height <= 0) return -1;
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pitch);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, GL_RED, GL_UNSIGNED_BYTE, levels);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return glGetError() == GL_NO_ERROR ? 0 : -1;
}

int UpdateGlTextureCompressed(int32_t texture, GlPixelFormat format, int32_t level, int32_t width, int32_t height,
                              const void* data, int32_t bytes)
{
    const GlFormatInfo info = FormatInfo(format);
    if (Gl.context == nullptr || texture <= 0 || info.bytes != 0 || data == nullptr) return -1;
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    glCompressedTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width, height, info.internal, bytes, data);
    return glGetError() == GL_NO_ERROR ? 0 : -1;
}

void SetGlSampling(int32_t texture, int32_t filter, int32_t wrapU, int32_t wrapV)
{
    if (Gl.context == nullptr || texture <= 0) return;
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    GLint levels = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &levels);
    const GLint mag = filter == 0 ? GL_NEAREST : GL_LINEAR;
    const GLint min = levels > 0 ? (filter == 0 ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR) : mag;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapU ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapV ? GL_REPEAT : GL_CLAMP_TO_EDGE);
    if (filter == 2 && epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic"))
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 16.0f);
}

void SetGlBlend(int enabled, GlBlendFactor source, GlBlendFactor destination, GlBlendOp op)
{
    if (Gl.context == nullptr) return;
    if (!enabled) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(BlendFactor(source), BlendFactor(destination));
    glBlendEquation(op == GlBlendOp::ReverseSubtract ? GL_FUNC_REVERSE_SUBTRACT : GL_FUNC_ADD);
}

void SetGlDepthTest(int enabled)
{
    if (Gl.context == nullptr) return;
    if (enabled) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

namespace {

// Streams the vertices into the vertex buffer with their layout's pointers: the index of the
// first, or -1 when they do not fit.
GLint StreamVertices(const void* vertices, int32_t count, GlVertexLayout layout)
{
    static constexpr GLintptr kStride[] = {20, 28, 40};
    const GLintptr stride = kStride[int(layout)];
    const GLsizeiptr bytes = GLsizeiptr(count) * stride;
    if (bytes > kStreamBytes) return -1;
    // Whole vertices from the buffer's start, so the draw's first vertex is offset / stride.
    GLintptr offset = (Gl.streamOffset + stride - 1) / stride * stride;
    if (offset + bytes > kStreamBytes) {
        glBufferData(GL_ARRAY_BUFFER, kStreamBytes, nullptr, GL_STREAM_DRAW);  // a fresh store
        offset = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, vertices);
    Gl.streamOffset = offset + bytes;
    SetLayout(layout);
    return GLint(offset / stride);
}

}  // namespace

int DrawGlVertices(const void* vertices, int32_t count, GlVertexLayout layout, GlPrimitive primitive, int32_t texture)
{
    if (Gl.context == nullptr || Gl.program == 0 || vertices == nullptr || count <= 0) return -1;
    static constexpr GLenum kMode[] = {GL_POINTS,    GL_POINTS,         GL_LINES,       GL_LINE_STRIP,
                                       GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
    const GLint first = StreamVertices(vertices, count, layout);
    if (first < 0) return -1;
    const int blended = texture > 0 && layout == GlVertexLayout::TwoTextures && Gl.blendTexture != 0;
    const int textured = blended ? 2 : texture > 0 ? 1 : 0;
    if (blended) {
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, Gl.blendTexture);
        glActiveTexture(GL_TEXTURE0);
    }
    if (textured) glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    UseProgram(textured);
    glDrawArrays(kMode[int(primitive)], first, count);
    ++Gl.drawCalls;
    return 0;
}

int DrawGlPlanes(const int32_t planes[3], int32_t width, int32_t height)
{
    if (Gl.context == nullptr || Gl.programs[3] == 0 || width <= 0 || height <= 0) return -1;
    // Two triangles over the pixels (0, 0) to (width, height), the planes from corner to corner.
    struct Corner {
        float x, y, z, rhw;
        uint32_t color;
        float u, v;
    };
    const float right = float(width) - 0.5f, bottom = float(height) - 0.5f;
    const Corner corners[6] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0},  {right, -0.5f, 0, 1, 0xFFFFFFFFu, 1, 0},
                               {-0.5f, bottom, 0, 1, 0xFFFFFFFFu, 0, 1}, {right, -0.5f, 0, 1, 0xFFFFFFFFu, 1, 0},
                               {right, bottom, 0, 1, 0xFFFFFFFFu, 1, 1}, {-0.5f, bottom, 0, 1, 0xFFFFFFFFu, 0, 1}};
    static_assert(sizeof(Corner) == 28);
    const GLint first = StreamVertices(corners, 6, GlVertexLayout::Textured);
    if (first < 0) return -1;
    for (int i = 2; i >= 0; --i) {
        glActiveTexture(GLenum(GL_TEXTURE0 + i));
        glBindTexture(GL_TEXTURE_2D, GLuint(planes[i]));
    }
    const GLboolean blending = glIsEnabled(GL_BLEND), depth = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    UseProgram(3);
    glDrawArrays(GL_TRIANGLES, first, 6);
    ++Gl.drawCalls;
    if (blending) glEnable(GL_BLEND);
    if (depth) glEnable(GL_DEPTH_TEST);
    return 0;
}
namespace {

// A key channel (0-255) as a texture with `bits` for it reads it back. The texture keeps the
// top bits, and drivers widen them either exactly (c / (2^bits - 1)) or by repeating the bits
// (which is how a driver that stores 8 bits does it); the two differ by less than 0.75 of 1/255,
// so their middle lies within the shader's half step of either.
float StoredKeyChannel(uint32_t value, int bits)
{
    if (bits >= 8) return float(value) / 255.0f;
    const uint32_t top = value >> (8 - bits);
    const float exact = float(top) / float((1u << bits) - 1);
    const float repeated = float(top << (8 - bits) | top >> (2 * bits - 8)) / 255.0f;
    return (exact + repeated) / 2.0f;
}

}  // namespace

void SetGlTextureKey(GlTexelRule rule, uint32_t keyArgb, GlPixelFormat format)
{
    int bits[3] = {8, 8, 8};
    if (format == GlPixelFormat::Rgb565) bits[0] = 5, bits[1] = 6, bits[2] = 5;
    if (format == GlPixelFormat::Rgb5A1) bits[0] = bits[1] = bits[2] = 5;
    if (format == GlPixelFormat::Rgba4) bits[0] = bits[1] = bits[2] = 4;
    for (int c = 0; c < 3; ++c) Gl.textureKey[c] = StoredKeyChannel((keyArgb >> (16 - 8 * c)) & 0xFF, bits[c]);
    Gl.textureKey[3] = float(int(rule));
    if (Gl.context != nullptr && Gl.textured > 0) glUniform4fv(Gl.textureKeyUniforms[Gl.textured], 1, Gl.textureKey);
}

void SetGlColourRule(GlColourRule rule)
{
    Gl.colourRule = GLint(rule);
    if (Gl.context != nullptr && Gl.textured >= 0) glUniform1i(Gl.colourRuleUniforms[Gl.textured], Gl.colourRule);
}

void SetGlBlendImage(int32_t blendTexture, const uint8_t rule[256], int weighColour)
{
    Gl.blendTexture = blendTexture > 0 ? GLuint(blendTexture) : 0;
    if (Gl.blendTexture == 0 || rule == nullptr) return;
    for (int i = 0; i < 256; ++i) Gl.rule[i] = float(rule[i]) / 255.0f;
    Gl.weighColour = weighColour ? 1 : 0;
    Gl.ruleStale = 1;
    if (Gl.context != nullptr && Gl.textured == 2) UseProgram(2);
}

int64_t GlDrawCallCount() { return Gl.drawCalls; }

}  // namespace ror
