// The component library the layer starts at start-up: there is none here, only a count of
// users, so start and end pair up the same way.
#pragma once

namespace ror {

// 0, or -1 when starting is refused (see FailComStartForTest).
int StartComLibrary();
void EndComLibrary();
int ComLibraryUsers();

// Makes the next StartComLibrary fail: start-up's failure path is tested with it.
void FailComStartForTest();

}  // namespace ror
