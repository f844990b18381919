// Whether a standard stream is a terminal, for tools that show progress only to a person.
#pragma once

namespace ror {

bool StandardErrorIsTerminal();

}  // namespace ror
