#include "platform/window_system/pointer_query.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xlib.h>
#endif

namespace ror {

int QueryPointerInWindow(SDL_Window* window, int32_t* x, int32_t* y)
{
    if (!window) return -1;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info)) return -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    // SDL's own global pointer state is refreshed from input events only and can lag behind
    // moves it did not see; the server's answer is the pointer as it is.
    if (info.subsystem == SDL_SYSWM_X11) {
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX, &rootY, &windowX,
                           &windowY, &mask))
            return -1;  // the pointer is on another screen
        *x = windowX;
        *y = windowY;
        return 0;
    }
#endif
    return -1;
}

}  // namespace ror
