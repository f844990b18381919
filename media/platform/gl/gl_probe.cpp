#include "platform/gl/gl_device.h"

#include "platform/gl/gl_setup.h"
#include "platform/window_system/window_record.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <dlfcn.h>
#include <link.h>
#include <cstdlib>
#include <cstring>

namespace ror {

namespace {

struct GlProbeState {
    int libraryLoaded;
    int capableWindows;
    int es;  // the kind of context the last probe made
};
GlProbeState Probe;

void CopyText(char* out, size_t size, const GLubyte* text)
{
    std::snprintf(out, size, "%s", text ? reinterpret_cast<const char*>(text) : "");
}

}  // namespace

int LoadGlLibrary()
{
    if (Probe.libraryLoaded) return 0;
    if (StartVideo() != 0) return -1;
    if (SDL_GL_LoadLibrary(nullptr) != 0) return -1;
    Probe.libraryLoaded = 1;
    return 0;
}

void UnloadGlLibrary()
{
    if (!Probe.libraryLoaded) return;
    CloseGlContext();
    SDL_GL_UnloadLibrary();
    Probe.libraryLoaded = 0;
}

void RequestGlContextAttributes(int es)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, es ? 0 : 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, es ? SDL_GL_CONTEXT_PROFILE_ES : SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // depth lives in the framebuffer objects
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

void PinGlDrivers()
{
    // The GL library lets its driver go when the video system stops; pinned, the driver stays
    // mapped, so leak reports can name its allocations (and a restart does not load it again).
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name != nullptr && (std::strstr(name, "_dri.so") || std::strstr(name, "libGLX_mesa") ||
                                    std::strstr(name, "libEGL_mesa") || std::strstr(name, "libgallium")))
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

int RendererIsCpu(const char* renderer)
{
    static constexpr const char* kCpuRenderers[] = {
        "llvmpipe", "softpipe", "swrast", "SwiftShader", "Software Rasterizer", "lavapipe"};
    for (const char* name : kCpuRenderers)
        if (std::strstr(renderer, name) != nullptr) return 1;
    return 0;
}

int ProbeGl(GlProbeReport* report)
{
    *report = GlProbeReport{};
    if (LoadGlLibrary() != 0) return -1;
    report->libraryLoaded = 1;
    for (int es = 0; es < 2 && !report->contextMade; ++es) {
        RequestGlContextAttributes(es);
        SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window == nullptr) continue;
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (context != nullptr) {
            report->contextMade = 1;
            report->es = es;
            Probe.es = es;
            CopyText(report->renderer, sizeof report->renderer, glGetString(GL_RENDERER));
            CopyText(report->version, sizeof report->version, glGetString(GL_VERSION));
            report->cpuRasteriser = RendererIsCpu(report->renderer);
            PinGlDrivers();
            SDL_GL_MakeCurrent(window, nullptr);
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(window);
    }
    return report->contextMade ? 0 : -1;
}

int CpuGlAcceptedByEnvironment()
{
    const char* value = std::getenv("ROR_ACCEPT_CPU_GL");
    return value != nullptr && std::strcmp(value, "1") == 0 ? 1 : 0;
}

void SetGlCapableWindows(int on)
{
    Probe.capableWindows = on ? 1 : 0;
    // The window's visual follows the attributes set when it is made.
    if (on) RequestGlContextAttributes(Probe.es);
}

int GlCapableWindows() { return Probe.capableWindows; }

int GlProbedEs() { return Probe.es; }

}  // namespace ror
