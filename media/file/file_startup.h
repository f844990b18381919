// What start-up and shutdown call of the file layer: the archive layer's state, installing
// the file operations and the default streams, the current directory through the installed
// operations, and closing idle archives.
#pragma once
#include "rorodiv_file.h"

namespace ror {

struct FileAccessTable;

void ClearArchiveTables();
// Null installs the default (archive-aware) operations. 0.
int InstallFileAccess(const FileAccessTable* table);
int InstallDefaultStreams();
// The current directory into buffer (256 bytes) / set it. 0 / -1.
int ReleaseIdleArchives();

}  // namespace ror
