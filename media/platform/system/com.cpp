#include "platform/system/com.h"

namespace ror {

namespace {
struct ComState {
    int users;
    int failNext;
};
ComState Com;
}  // namespace

int StartComLibrary()
{
    if (Com.failNext) {
        Com.failNext = 0;
        return -1;
    }
    ++Com.users;
    return 0;
}

void EndComLibrary()
{
    if (Com.users > 0) --Com.users;
}

int ComLibraryUsers() { return Com.users; }

void FailComStartForTest() { Com.failNext = 1; }

}  // namespace ror
