// zazpack: makes, lists, extracts and verifies archives (the help text below says how).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive_output.h"
#include "archive_writer.h"
#include "folder_tree.h"
#include "platform/system/codepage.h"
#include "platform/system/terminal.h"
#include "rorodiv.h"

using namespace ror;

namespace {

struct CommandLine {
    std::vector<std::string> operands;
    int version = 3;
    bool store = false;
    bool fallbackKey = false;
    std::string keyText;
    bool hasKey = false;
};

constexpr char kHelp[] =
    "NAME\n"
    "    zazpack - make, list, extract and verify ZAZ archives\n"
    "\n"
    "SYNOPSIS\n"
    "    zazpack pack FOLDER ARCHIVE [--version 1|2|3] [--store] [--key TEXT] [--fallback-key]\n"
    "    zazpack list ARCHIVE [--key TEXT]\n"
    "    zazpack extract ARCHIVE FOLDER [--key TEXT]\n"
    "    zazpack verify ARCHIVE [FOLDER] [--key TEXT]\n"
    "    zazpack --help | --version\n"
    "\n"
    "DESCRIPTION\n"
    "    pack     packs the files and folders under FOLDER into ARCHIVE. Links to folders are\n"
    "             not followed; links to files are packed as files. Names are stored in cp932\n"
    "             (the game's own encoding); a name with no cp932 form is not packed. Only\n"
    "             regular files and folders are packed: each link, FIFO, device or name left\n"
    "             out is named once on standard error. A file that changes while it is packed,\n"
    "             or holds more than its size says (a /proc file), fails the pack. On a\n"
    "             terminal a progress bar shows bytes and rate.\n"
    "    list     lists the archive's files with their sizes, and its folders. A name with a\n"
    "             control character, a backslash or a double quote is shown in double quotes,\n"
    "             those bytes escaped (\\n, \\t, \\\\, \\\", \\xHH).\n"
    "    extract  writes the archive's files and folders under FOLDER, with UTF-8 names. Each\n"
    "             file is written as NAME.zazpack-part and renamed into place: a hard link\n"
    "             there is replaced and a symbolic link refused, neither written through, and\n"
    "             a failed write leaves nothing.\n"
    "    verify   checks the whole archive; with FOLDER, also that it holds the same files.\n"
    "\n"
    "    A game reads DATA/MAP.PNG from DATA.ZAZ beside the program when there is no folder\n"
    "    DATA: pack the folder into an archive of its own name and ship that instead.\n"
    "\n"
    "OPTIONS\n"
    "    --version N     archive format 1, 2 or 3 (default 3); 1 stores every file\n"
    "    --store         store files as they are, without compression\n"
    "    --key TEXT      scramble with the key made from TEXT (the game calls SetArchiveKey)\n"
    "    --fallback-key  scramble with the fallback key\n"
    "    --help          this text, on standard output\n"
    "    --version       (alone) the tool's version\n"
    "\n"
    "EXIT STATUS\n"
    "    0 done, 1 a file or archive could not be read, written or verified, 2 a wrong command line\n"
    "\n"
    "EXAMPLES\n"
    "    zazpack pack DATA DATA.ZAZ          pack the folder DATA beside the game\n"
    "    zazpack pack DATA DATA.ZAZ --key s  the same, scrambled with the key text \"s\"\n"
    "    zazpack list DATA.ZAZ               what is inside\n"
    "    zazpack verify DATA.ZAZ DATA        the archive holds exactly the folder\n"
    "    zazpack extract DATA.ZAZ out        unpack into the folder out\n";

int Usage()
{
    std::fputs(kHelp, stderr);
    return 2;
}

bool ParseOptions(int argc, char** argv, CommandLine* line)
{
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--version" && i + 1 < argc) {
            line->version = std::atoi(argv[++i]);
        } else if (arg == "--store") {
            line->store = true;
        } else if (arg == "--fallback-key") {
            line->fallbackKey = true;
        } else if (arg == "--key" && i + 1 < argc) {
            line->keyText = argv[++i];
            line->hasKey = true;
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "zazpack: unknown option %s\n", arg.c_str());
            return false;
        } else {
            line->operands.push_back(arg);
        }
    }
    return true;
}

const char* KeyText(const CommandLine& line)
{
    return line.hasKey && !line.keyText.empty() ? line.keyText.c_str() : nullptr;
}

bool LoadArchive(const std::string& path, const CommandLine& line, PackNode* root, int* version)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zazpack: %s: cannot be opened\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string error;
    if (!ReadArchiveTree(std::move(image), KeyText(line), root, version, &error)) {
        std::fprintf(stderr, "zazpack: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

// A one-line bar on standard error: share done, bytes and rate.
struct ProgressLine {
    uint64_t total;
    int32_t startMilliseconds;
};

void ShowProgress(const PackSummary& sofar, void* context)
{
    const auto* line = static_cast<const ProgressLine*>(context);
    constexpr int kWidth = 30;
    double share = line->total > 0 ? double(sofar.inputBytes) / double(line->total) : 1.0;
    int filled = int(share * kWidth + 0.5);
    double seconds = double((NowMilliseconds() - line->startMilliseconds) & 0x7FFFFFFF) / 1000;
    double rate = seconds > 0 ? double(sofar.inputBytes) / seconds / (1 << 20) : 0.0;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %.1f of %.1f MiB  %.1f MiB/s  %u files", filled,
                 "##############################", kWidth - filled, "", int(share * 100 + 0.5),
                 double(sofar.inputBytes) / (1 << 20), double(line->total) / (1 << 20), rate, sofar.files);
}

uint64_t TreeBytes(const PackNode& node)
{
    uint64_t total = node.data.size() + node.sourceSize;
    for (const PackNode& child : node.children) total += TreeBytes(child);
    return total;
}

int Pack(const CommandLine& line)
{
    if (line.operands.size() != 2) return Usage();
    PackNode root;
    std::string error;
    std::vector<std::string> skipped;
    bool read = ReadFolderTree(line.operands[0], &root, &error, &skipped);
    for (const std::string& why : skipped) std::fprintf(stderr, "zazpack: %s\n", why.c_str());
    if (!read) {
        std::fprintf(stderr, "zazpack: %s\n", error.c_str());
        return 1;
    }
    PackOptions options;
    options.version = line.version;
    options.compress = !line.store;
    options.keyText = KeyText(line);
    options.fallbackKey = line.fallbackKey;
    // Progress is for a person watching; nothing when standard error goes to a file or pipe.
    const bool showProgress = StandardErrorIsTerminal();
    ProgressLine progressLine{TreeBytes(root), NowMilliseconds()};
    PackSummary summary;
    bool built = PackArchiveFile(root, options, line.operands[1], &error, &summary,
                                 showProgress ? ShowProgress : nullptr, &progressLine);
    if (showProgress) std::fprintf(stderr, "\n");
    if (!built) {
        std::fprintf(stderr, "zazpack: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: version %d, %u files (%u compressed), %u folders, %llu bytes in, %llu bytes out\n",
                line.operands[1].c_str(), line.version, summary.files, summary.compressedFiles, summary.folders,
                static_cast<unsigned long long>(summary.inputBytes),
                static_cast<unsigned long long>(summary.archiveBytes));
    return 0;
}

// A name as one line of the listing: one with control characters, a backslash or a double
// quote is put in double quotes with those bytes escaped (\n, \t, \\, \", \xHH).
std::string QuotedName(const std::string& name)
{
    const bool plain = std::ranges::none_of(name, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\' || c == '"';
    });
    if (plain) return name;
    std::string quoted = "\"";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
            quoted += "\\n";
        else if (c == '\t')
            quoted += "\\t";
        else if (c == '\\' || c == '"')
            quoted += std::string("\\") + c;
        else if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            quoted += escaped;
        } else
            quoted += c;
    }
    return quoted + "\"";
}

void ListTree(const PackNode& node, const std::string& prefix)
{
    for (const PackNode& child : node.children) {
        // Shown as the names extract writes; a name with no UTF-8 form as its bytes.
        char shown[kFilePathSize * 3];
        std::string path =
            prefix + QuotedName(Cp932ToUtf8Exact(child.name.c_str(), shown, sizeof shown) < 0 ? child.name : shown);
        if (child.isFolder) {
            std::printf("%12s  %s/\n", "", path.c_str());
            ListTree(child, path + "/");
        } else {
            std::printf("%12zu  %s\n", child.data.size(), path.c_str());
        }
    }
}

int List(const CommandLine& line)
{
    if (line.operands.size() != 1) return Usage();
    PackNode root;
    int version = 0;
    if (!LoadArchive(line.operands[0], line, &root, &version)) return 1;
    std::printf("version %d\n", version);
    ListTree(root, "");
    return 0;
}

int Extract(const CommandLine& line)
{
    if (line.operands.size() != 2) return Usage();
    PackNode root;
    int version = 0;
    std::string error;
    if (!LoadArchive(line.operands[0], line, &root, &version)) return 1;
    if (!WriteFolderTree(root, line.operands[1], &error)) {
        // One line for each entry refused or not written.
        for (size_t start = 0; start <= error.size();) {
            size_t end = error.find('\n', start);
            if (end == std::string::npos) end = error.size();
            std::fprintf(stderr, "zazpack: %s\n", error.substr(start, end - start).c_str());
            start = end + 1;
        }
        return 1;
    }
    return 0;
}

int Verify(const CommandLine& line)
{
    if (line.operands.empty() || line.operands.size() > 2) return Usage();
    PackNode root;
    int version = 0;
    if (!LoadArchive(line.operands[0], line, &root, &version)) return 1;
    if (line.operands.size() == 2) {
        PackNode folder;
        std::string error;
        if (!ReadFolderTree(line.operands[1], &folder, &error)) {
            std::fprintf(stderr, "zazpack: %s\n", error.c_str());
            return 1;
        }
        std::string difference = CompareTrees(folder, root);
        if (difference.empty()) difference = CompareTrees(root, folder);
        if (!difference.empty()) {
            std::fprintf(stderr, "zazpack: %s differs at %s\n", line.operands[0].c_str(), difference.c_str());
            return 1;
        }
    }
    std::printf("%s: intact (version %d)\n", line.operands[0].c_str(), version);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string first = argv[1];
    if (first == "--help" || first == "-h" || first == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (first == "--version" && argc == 2) {
        std::printf("zazpack %s\n", ROR_VERSION);
        return 0;
    }
    CommandLine line;
    if (!ParseOptions(argc, argv, &line)) return 2;
    std::string command = argv[1];
    if (command == "pack") return Pack(line);
    if (command == "list") return List(line);
    if (command == "extract") return Extract(line);
    if (command == "verify") return Verify(line);
    return Usage();
}
