#include "archive_output.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

bool AppendToFile(void* context, std::span<const uint8_t> bytes)
{
    auto* out = static_cast<std::ofstream*>(context);
    out->write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(*out);
}

bool WriteFileHeader(void* context, std::span<const uint8_t> header)
{
    auto* out = static_cast<std::ofstream*>(context);
    out->seekp(0);
    out->write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
    return bool(*out);
}

}  // namespace

bool PackArchiveFile(const PackNode& root, const PackOptions& options, const std::string& path, std::string* error,
                     PackSummary* summary, PackProgress progress, void* progressContext)
{
    const std::string partial = path + ".partial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    bool written = false;
    if (!out) {
        *error = path + ": cannot be written";
    } else {
        written = WriteArchive(root, options, ArchiveSink{AppendToFile, WriteFileHeader, &out}, error, summary,
                               progress, progressContext);
        out.close();
        if (!out) {
            *error = path + ": cannot be written";
            written = false;
        }
    }
    std::error_code failure;
    if (written) {
        fs::rename(partial, path, failure);
        if (failure) {
            *error = path + ": cannot be written (" + failure.message() + ")";
            written = false;
        }
    }
    if (!written) fs::remove(partial, failure);
    return written;
}
