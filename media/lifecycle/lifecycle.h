// Start-up and shutdown of the media layer, its settings and the fatal-error exit.
#pragma once
#include "rorodiv.h"
#include "core/fatal_exit.h"
