// Writes seed inputs for the archive fuzzer into the folder given: archives of each
// version (first byte odd) and LZ blocks (first byte even).
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "lz_encoder.h"

namespace {

void WriteSeed(const std::string& path, uint8_t selector, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.put(char(selector));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

PackNode File(const std::string& name, const std::string& text)
{
    PackNode node;
    node.name = name;
    node.data.assign(text.begin(), text.end());
    return node;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::string text;
    for (int i = 0; text.size() < 600; ++i) text += "row " + std::to_string(i % 7) + ";";
    PackNode sub;
    sub.name = "sub";
    sub.isFolder = true;
    sub.children = {File("deep.txt", text), File("e", "")};
    PackNode root;
    root.isFolder = true;
    root.children = {File("a.png", "0123456789"), File("B.bin", text + text), sub};
    for (int version = 1; version <= 3; ++version) {
        PackOptions options;
        options.version = version;
        options.fallbackKey = version == 2;
        std::vector<uint8_t> archive;
        std::string error;
        if (!BuildArchive(root, options, &archive, &error)) return 1;
        WriteSeed(folder + "/archive_v" + std::to_string(version), 1, archive);
    }
    std::vector<uint8_t> bytes(text.begin(), text.end());
    WriteSeed(folder + "/lz_text", 0, EncodeLzBlock(std::span<const uint8_t>(bytes)));
    std::vector<uint8_t> zeros(3000, 0);
    WriteSeed(folder + "/lz_zeros", 0, EncodeLzBlock(std::span<const uint8_t>(zeros)));
    return 0;
}
