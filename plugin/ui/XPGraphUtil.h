// The drawing routines of the page control and its sheets: colour
// darkening, the banded two-colour gradient, the gradient dispatcher with its
// framed look, and bitmap tiling.
#pragma once

#include <cstdint>

#include "plugin/ui/vxCanvas.h"

enum class TFillDirection : uint8_t {
  fdTopToBottom,
  fdBottomToTop,
  fdLeftToRight,
  fdRightToLeft,
  fdVerticalFromCenter,
  fdHorizFromCenter,
  fdXP,
};

namespace XPGraphUtil {

// Frame width and lightening amount of the framed look.
constexpr int FrameWidth = 6;
constexpr int LightenAmount = 30;

// Color as RGB with Amount taken from each channel, clamped to 0..255; a
// negative Amount lightens.
TColor DarkenColor(TColor Color, int Amount);
// Colors bands from one colour to the other over the four linear directions.
void FillBandedGradient(TvxCanvas& Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                        TFillDirection Direction, uint8_t Colors);
void DrawXPFrame(TvxCanvas& Canvas, const TRect& Rect, TColor StartColor, TColor EndColor, uint8_t Colors);
void GradientFill(TvxCanvas& Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                  TFillDirection Direction, uint8_t Colors);
// Bitmap tiled over Rect from its top left corner, cut at Rect's edges.
void TileBitmap(TvxCanvas& Canvas, const TRect& Rect, const QImage& Bitmap);

}  // namespace XPGraphUtil
