// shader_pack: packs the device path's GLSL sources into the compressed archive image that
// the media layer embeds, and writes it as a C++ source.
//
//   shader_pack OUT.cpp VERTEX.glsl FRAGMENT.glsl
//
// The archive holds one file, "VaVudoruRori.bin", itself a compressed block: 52608 16-bit
// sizes (49152 of the first table, 3456 of the second), then the codes in the order of the
// sizes. The vertex shader is entry 32774 of the first table, the pixel shader entry 2454 of
// the second; every other entry is empty.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive_writer.h"
#include "lz_encoder.h"

namespace {

constexpr size_t kFirstTable = 49152, kSecondTable = 3456;
constexpr size_t kVertexEntry = 32774, kPixelEntry = kFirstTable + 2454;

bool ReadFile(const char* path, std::vector<uint8_t>* out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: shader_pack OUT.cpp VERTEX.glsl FRAGMENT.glsl\n");
        return 2;
    }
    std::vector<uint8_t> vertex, pixel;
    if (!ReadFile(argv[2], &vertex) || !ReadFile(argv[3], &pixel) || vertex.size() > 0xFFFF || pixel.size() > 0xFFFF) {
        std::fprintf(stderr, "shader_pack: cannot read the shaders (or one is over 65535 bytes)\n");
        return 1;
    }
    std::vector<uint8_t> pack((kFirstTable + kSecondTable) * 2, 0);
    auto setSize = [&](size_t entry, size_t size) {
        pack[entry * 2] = uint8_t(size);
        pack[entry * 2 + 1] = uint8_t(size >> 8);
    };
    setSize(kVertexEntry, vertex.size());
    setSize(kPixelEntry, pixel.size());
    pack.insert(pack.end(), vertex.begin(), vertex.end());
    pack.insert(pack.end(), pixel.begin(), pixel.end());

    PackNode root;
    root.isFolder = true;
    PackNode file;
    file.name = "VaVudoruRori.bin";
    file.data = EncodeLzBlock(pack);
    root.children.push_back(file);
    PackOptions options;
    options.compress = false;  // the file is a compressed block already
    std::vector<uint8_t> archive;
    std::string error;
    if (!BuildArchive(root, options, &archive, &error)) {
        std::fprintf(stderr, "shader_pack: %s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> block = EncodeLzBlock(archive);

    std::string text = "// Made by tools/shader_pack from the device path's GLSL sources; do not edit.\n"
                       "#include <cstdint>\n\nnamespace ror {\n\nextern const uint8_t kShaderArchiveBlock[] = {";
    char number[8];
    for (size_t i = 0; i < block.size(); ++i) {
        std::snprintf(number, sizeof number, "%s%u,", i % 24 == 0 ? "\n" : "", unsigned(block[i]));
        text += number;
    }
    text += "\n};\nextern const uint32_t kShaderArchiveBlockSize = " + std::to_string(block.size()) +
            ";\n\n}  // namespace ror\n";
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    return out ? 0 : 1;
}
