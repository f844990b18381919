#include "sound/sound_handles.h"

// Sounds and music cannot be loaded yet, so their tables are always empty. Once they can,
// these walk the kind's table from slot 0 and delete each occupied slot through the
// kind's ordinary delete operation.
void DeleteAllSoundHandles()
{
}

void DeleteAllMusicHandles()
{
}
