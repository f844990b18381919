// Packing straight into an archive file on disk.
#pragma once
#include <string>

#include "archive_writer.h"

// Writes the archive for `root` into a temporary file beside `path` and, when the whole
// archive is written, renames it over `path`; a pack that fails leaves `path` as it was and
// no temporary file. On failure returns false with `error` set.
bool PackArchiveFile(const PackNode& root, const PackOptions& options, const std::string& path, std::string* error,
                     PackSummary* summary = nullptr, PackProgress progress = nullptr, void* progressContext = nullptr);
