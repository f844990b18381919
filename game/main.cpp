#include "game_loop.h"

int main()
{
    char noCommandLine[] = "";
    return GameMain(nullptr, nullptr, noCommandLine, 1);
}
