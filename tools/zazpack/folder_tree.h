// Moving trees of folders and files between the disk, archives and PackNode records.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "archive_writer.h"

// Reads the folder (recursively) into `root`: names (those on disk, UTF-8, made cp932), times,
// and for each file its path and size; the bytes are read when the file is packed or
// compared. Skipped, each with a line "PATH: why" in `skipped` when given: entries other than
// regular files and folders (FIFOs, devices, dangling links and link loops), links to folders
// (so a link to a parent cannot nest the tree) and names with no exact cp932 form (a game
// could not name them).
bool ReadFolderTree(const std::string& folder, PackNode* root, std::string* error,
                    std::vector<std::string>* skipped = nullptr);

// Reads a whole archive image (scrambled, as stored) into `root`, expanding compressed
// files; `version` gets the archive's version. Fails on any damage the reader detects.
bool ReadArchiveTree(std::vector<uint8_t> image, const char* keyText, PackNode* root, int* version, std::string* error);

// Writes the tree's files and folders under `folder`, which is created when missing, the
// names made UTF-8 on disk. Nothing is written outside it: entries whose names are empty, "."
// or "..", or hold "/", "\\" or a NUL byte, entries where a symbolic link stands in the folder,
// and names with no UTF-8 form are refused; the rest is written, each file under NAME.zazpack-part
// renamed into place, so a hard link already there is replaced and a failed write leaves nothing. False when anything was
// refused or failed; `error` then has one line for each.
bool WriteFolderTree(const PackNode& root, const std::string& folder, std::string* error);

// Why an archive entry's name cannot be used as a file name in a folder, or null when it can.
const char* UnsafeEntryName(const std::string& name);

// "" when both trees hold the same names (ASCII case ignored), folders and bytes; else the
// path of the first difference (with the reason when a file could not be read). Either tree
// may be one read from a folder; its files are read one at a time.
std::string CompareTrees(const PackNode& a, const PackNode& b, const std::string& prefix = "");
