// Sends a window what a window manager sends when its close box is clicked: a WM_PROTOCOLS
// client message carrying WM_DELETE_WINDOW. Usage: close_box <window id>. 0 once sent.
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return 1;
    const Window window = Window(std::strtoul(argv[1], nullptr, 0));
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return sent != 0 ? 0 : 1;
}
