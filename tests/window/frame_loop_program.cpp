// A small program on the layer, run by the tests as a real process: sets its title, switches
// the log on, starts the layer, pumps frames until the window closes, ends the layer.
//   frame_loop_program TITLE [READY_FILE [STOP_FILE [allow]]]
// READY_FILE is created after the first pumped frame; the loop also ends when STOP_FILE
// exists; "allow" lets it start beside another copy. Prints the time from before start-up to the first pumped frame.
#include "platform/system/clock.h"
#include "rorodiv.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace ror;

int main(int argc, char** argv)
{
    const char* title = argc > 1 ? argv[1] : "Frame loop";
    const char* readyFile = argc > 2 ? argv[2] : nullptr;
    const char* stopFile = argc > 3 ? argv[3] : nullptr;
    const bool allowSecondCopy = argc > 4 && std::string(argv[4]) == "allow";

    SetWindowTitle(title);
    SetLogEnabled(1);
    ChangeWindowMode(1);
    if (allowSecondCopy) SetAllowSecondCopy(1);
    const uint32_t start = SystemMilliseconds();
    if (InitMediaLayer() != 0) return -1;
    bool first = true;
    while (PumpMessages() == 0) {
        if (first) {
            std::printf("first frame after %u ms\n", SystemMilliseconds() - start);
            std::fflush(stdout);
            if (readyFile) std::ofstream{readyFile};
            first = false;
        }
        if (stopFile && std::filesystem::exists(stopFile)) break;
        SystemSleep(5);
    }
    EndMediaLayer();
    return 0;
}
