// Placeholders until the file layer lands: the current directory straight from the system.
#include "file/file_startup.h"

#include "platform/files.h"

void ClearArchiveTables() {}
int InstallFileAccess(const FileAccessTable*) { return 0; }
int InstallDefaultStreams() { return 0; }
int GetCurrentDir(char* buffer) { return GetSystemCurrentDirectory(buffer, 256); }
int SetCurrentDir(const char* path) { return SetSystemCurrentDirectory(path); }
int ReleaseIdleArchives() { return 0; }
