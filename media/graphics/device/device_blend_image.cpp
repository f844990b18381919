// Blend images on the device path.
#include "graphics/device/device_graphics.h"

int UploadDeviceBlendImage(GraphicImage*, const PixelRect&)
{
    return 0;
}

void ReleaseDeviceBlendImage(GraphicImage*) {}
