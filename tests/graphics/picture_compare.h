// Two pictures of the same size compared pixel by pixel, and written as PNG files (with a
// picture of where they differ) so that a mismatch can be looked at.
#pragma once
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xFFRRGGBB, rows top-down
};

struct PictureDifference {
    int differing = 0;    // pixels where some channel differs by more than the allowed step
    int largestStep = 0;  // the largest channel difference seen
    int firstX = -1, firstY = -1;
};

inline int ChannelStep(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8)
        largest = std::max(largest, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return largest;
}

inline PictureDifference ComparePictures(const Picture& a, const Picture& b, int allowedStep)
{
    PictureDifference d;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const int step = ChannelStep(a.pixels[size_t(y) * a.width + x], b.pixels[size_t(y) * b.width + x]);
            d.largestStep = std::max(d.largestStep, step);
            if (step <= allowedStep) continue;
            if (d.differing++ == 0) d.firstX = x, d.firstY = y;
        }
    return d;
}

inline bool WritePicturePng(const std::string& path, const Picture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(picture.width);
    image.height = png_uint_32(picture.height);
    image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in little-endian memory
    return png_image_write_to_file(&image, path.c_str(), 0, picture.pixels.data(), 0, nullptr) != 0;
}

// The difference picture: black where equal, red where a channel differs by at most the
// allowed step, white where it differs by more.
inline Picture DifferencePicture(const Picture& a, const Picture& b, int allowedStep)
{
    Picture d{a.width, a.height, std::vector<uint32_t>(a.pixels.size(), 0xFF000000u)};
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const int step = ChannelStep(a.pixels[i], b.pixels[i]);
        if (step > allowedStep)
            d.pixels[i] = 0xFFFFFFFFu;
        else if (step > 0)
            d.pixels[i] = 0xFFFF0000u;
    }
    return d;
}
