// The installed table of drawing operations.
#include "graphics/draw_ops.h"

#include "graphics/software/software_ops.h"

namespace ror {

constinit DrawOpsTable DrawOps = kSoftwareDrawOps;

int InstallDrawOps(const DrawOpsTable* table)
{
    DrawOps = table != nullptr ? *table : kSoftwareDrawOps;
    return 0;
}

}  // namespace ror
