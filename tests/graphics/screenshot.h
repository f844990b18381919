// The X server's pixels read back through ImageMagick, for tests of what reached a window.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    uint32_t At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xDEADBEEF;
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

// A window of the X server (the whole screen by default) as a binary PPM, through ImageMagick's
// import.
inline bool TakeScreenshot(const std::filesystem::path& file, Screenshot* out, const std::string& window = "root")
{
    const std::string command = "import -window " + window + " -depth 8 ppm:'" + file.string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());  // the file tells whether it worked
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> out->width >> out->height >> max;
    in.get();
    if (magic != "P6" || max != 255 || out->width <= 0 || out->height <= 0) return false;
    out->rgb.resize(size_t(out->width) * out->height * 3);
    in.read(reinterpret_cast<char*>(out->rgb.data()), std::streamsize(out->rgb.size()));
    return bool(in);
}
