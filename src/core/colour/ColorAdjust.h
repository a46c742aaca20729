#pragma once
// Whole-picture colour arithmetic: per-channel scaling and the picture
// filters. Each changes only covered pixels; results are truncated toward
// zero and kept within 0 to 255.

#include "image/LayerImage.h"

namespace pictoform {

// The four channels as the colour dialogs order their sliders.
enum class ColourChannel : int { Red = 0, Green = 1, Blue = 2, Alpha = 3 };
inline constexpr int kChannelCount = 4;

// Multiplies red, green, blue and alpha by their factors.
void ScaleChannels(CLayerImage& picture, float fr, float fg, float fb, float fa);
// Multiplies red, green and blue by f.
void Brighten(CLayerImage& picture, float f);
// Pixels whose channels are all below 128 are divided by v, all others
// multiplied by v and raised by 2: above 1 the darks get darker and the rest lighter.
void Contrast(CLayerImage& picture, float v);
// Moves each channel away from (s above 1) or toward (s below 1) the mean of the other two.
void Saturate(CLayerImage& picture, float s);
void Invert(CLayerImage& picture);
// Red, green and blue all become their integer mean.
void Grayscale(CLayerImage& picture);

} // namespace pictoform
