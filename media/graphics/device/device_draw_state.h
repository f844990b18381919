// The device path's side of the drawing state: the device colour and the blend states.
#pragma once
#include <cstdint>

namespace ror {

// DeviceDrawColor from the blend mode, its parameter and the brightness.
void UpdateDeviceDrawColor();
// The device colour of a colour value: its channels scaled by DeviceDrawColor's, whose alpha
// it takes.
uint32_t DeviceColorOf(uint32_t color);
// Sets the device's blend for a blend mode (the batch must have been flushed).
void ApplyDeviceBlend(int32_t mode);
// After the device is made: the blend and colour of the current drawing state.
void ResetDeviceDrawState();

}  // namespace ror
