#pragma once
// Saving the picture at the playing position as a bitmap file.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/OperatingSystem.h"
#include "player/FrameDetector.h"

namespace mova {

// Writes the frame of `fileName`'s first video stream at `positionMs` (whole
// milliseconds, read as positionMs / 1000.0 seconds) as a `videoWidth` ×
// `videoHeight` bitmap file `targetFile` through `system` (WriteBitmapFile: the name as given,
// and the target untouched on failure).
// False without using `detector` when `opened` is false, when `detector` is
// null or when the size cannot be stored in a bitmap; false when the detector
// fails or hands back a picture of another size; otherwise the writer's result.
// `encode`, when given, writes the file's bytes instead of the bitmap
// encoder (a PNG); its failure fails the capture and writes nothing.
using TPictureEncoder = std::function<bool(const TRgbImage& picture, std::vector<uint8_t>& bytes)>;
bool CaptureFrameToFile(IOperatingSystem& system, IFrameDetector* detector, bool opened, const std::string& fileName, int32_t positionMs,
                        int32_t videoWidth, int32_t videoHeight, const std::string& targetFile,
                        const TPictureEncoder& encode = nullptr);

// Whether a capture named `targetFile` is to be a PNG: its name ends in
// ".png", in any case.
bool NamesPng(const std::string& targetFile);

}  // namespace mova
