#include "core/log_display.h"

int PrepareLogDisplay() { return 0; }
int ReleaseLogDisplayFont() { return 0; }
