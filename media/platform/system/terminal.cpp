#include "platform/system/terminal.h"

#include <unistd.h>

namespace ror {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace ror
