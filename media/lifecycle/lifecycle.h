// Start-up and shutdown of the media layer, its settings and the fatal-error exit.
#pragma once
#include "core/fatal_exit.h"

int InitMediaLayer();
int EndMediaLayer();

// The caption of the main window (cp932). Cut to 255 bytes on a character boundary. 0.
int SetWindowTitle(const char* title);
