// Colour darkening, banded gradients, the framed look and bitmap tiling.
#include "plugin/ui/XPGraphUtil.h"

#include <algorithm>

namespace XPGraphUtil {

namespace {

uint32_t Clamp(int Value) { return static_cast<uint32_t>(std::clamp(Value, 0, 255)); }

bool IsReverse(TFillDirection Direction) {
  return Direction == TFillDirection::fdBottomToTop || Direction == TFillDirection::fdRightToLeft;
}

bool IsVertical(TFillDirection Direction) {
  return Direction == TFillDirection::fdTopToBottom || Direction == TFillDirection::fdBottomToTop;
}

// Step 5 of the framed look: each row's short strip blends the pixels just
// outside it.
void BlendLeftEdge(TvxCanvas& Canvas, const TRect& R) {
  constexpr int W = FrameWidth;
  constexpr int Q = FrameWidth / 4;
  for (int y = R.Top + W; y <= R.Bottom; ++y) {
    const TColor from = Canvas.Pixel(R.Left + Q - 1, y);
    const TColor to = Canvas.Pixel(R.Left + W + 1, y);
    FillBandedGradient(Canvas, {R.Left + Q, y, R.Left + W, y + 1}, from, to, TFillDirection::fdLeftToRight, 8);
  }
}

}  // namespace

TColor DarkenColor(TColor Color, int Amount) {
  const TColor rgb = ColorToRGB(Color);
  return RGB(Clamp(GetRValue(rgb) - Amount), Clamp(GetGValue(rgb) - Amount), Clamp(GetBValue(rgb) - Amount));
}

void FillBandedGradient(TvxCanvas& Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                        TFillDirection Direction, uint8_t Colors) {
  if (IsEmptyArea(Rect)) return;
  if (Colors < 2) {
    Canvas.BrushColor = ColorToRGB(StartColor);
    Canvas.FillRect(Rect);
    return;
  }
  const TColor start = ColorToRGB(StartColor);
  const TColor end = ColorToRGB(EndColor);
  const bool reverse = IsReverse(Direction);
  const TColor begin = reverse ? end : start;
  const TColor last = reverse ? start : end;
  const int deltaR = GetRValue(last) - GetRValue(begin);
  const int deltaG = GetGValue(last) - GetGValue(begin);
  const int deltaB = GetBValue(last) - GetBValue(begin);
  const bool vertical = IsVertical(Direction);
  const int length = vertical ? RectHeight(Rect) : RectWidth(Rect);
  const int bands = std::max(2, std::min<int>(Colors, length));
  const int size = length / bands;
  Canvas.BrushClear = false;
  if (size > 0) {
    for (int i = 0; i < bands; ++i) {
      TRect band = Rect;
      if (vertical) {
        band.Top = Rect.Top + i * size;
        band.Bottom = band.Top + size;
      } else {
        band.Left = Rect.Left + i * size;
        band.Right = band.Left + size;
      }
      Canvas.BrushColor = RGB(static_cast<uint32_t>(GetRValue(begin) + MulDiv(i, deltaR, bands - 1)),
                              static_cast<uint32_t>(GetGValue(begin) + MulDiv(i, deltaG, bands - 1)),
                              static_cast<uint32_t>(GetBValue(begin) + MulDiv(i, deltaB, bands - 1)));
      Canvas.FillRect(band);
    }
  }
  const int remainder = length % bands;
  if (remainder > 0) {
    TRect strip = Rect;
    if (vertical)
      strip.Top = Rect.Bottom - remainder;
    else
      strip.Left = Rect.Right - remainder;
    Canvas.BrushColor = reverse ? start : end;
    Canvas.FillRect(strip);
  }
}

void DrawXPFrame(TvxCanvas& Canvas, const TRect& R, TColor StartColor, TColor EndColor, uint8_t Colors) {
  constexpr int W = FrameWidth;
  constexpr int Q = FrameWidth / 4;
  if (IsEmptyArea(R)) return;
  const TColor light = DarkenColor(StartColor, -LightenAmount);
  Canvas.BrushColor = EndColor;
  Canvas.FrameRect(R);
  FillBandedGradient(Canvas, {R.Left + W, R.Top + W, R.Right, R.Bottom - W}, EndColor, StartColor,
                     TFillDirection::fdTopToBottom, Colors);
  FillBandedGradient(Canvas, {R.Left + W, R.Bottom - W, R.Right, R.Bottom}, StartColor, EndColor,
                     TFillDirection::fdTopToBottom, Colors);
  BlendLeftEdge(Canvas, R);
  FillBandedGradient(Canvas, {R.Left + W, R.Top, R.Right, R.Top + Q}, light, StartColor,
                     TFillDirection::fdTopToBottom, 8);
  FillBandedGradient(Canvas, {R.Left + W, R.Top + Q, R.Right, R.Top + W}, StartColor, EndColor,
                     TFillDirection::fdTopToBottom, 8);
  FillBandedGradient(Canvas, {R.Left, R.Top + W, R.Left + Q, R.Bottom}, light, StartColor,
                     TFillDirection::fdLeftToRight, 8);
  BlendLeftEdge(Canvas, R);
  for (int i = 0; i <= W; ++i) {
    Canvas.PenColor = Canvas.Pixel(R.Left + i, R.Top + W + 1);
    Canvas.MoveTo(R.Left + i, R.Top + W);
    Canvas.LineTo(R.Left + i, R.Top + i);
    Canvas.LineTo(R.Left + W, R.Top + i);
  }
}

void GradientFill(TvxCanvas& Canvas, const TRect& R, TColor StartColor, TColor EndColor,
                  TFillDirection Direction, uint8_t Colors) {
  switch (Direction) {
    case TFillDirection::fdVerticalFromCenter: {
      const int middle = R.Top + RectHeight(R) / 2;
      FillBandedGradient(Canvas, {R.Left, R.Top, R.Right, middle}, StartColor, EndColor,
                         TFillDirection::fdTopToBottom, Colors);
      FillBandedGradient(Canvas, {R.Left, middle, R.Right, R.Bottom}, StartColor, EndColor,
                         TFillDirection::fdBottomToTop, Colors);
      break;
    }
    case TFillDirection::fdHorizFromCenter: {
      const int middle = R.Left + RectWidth(R) / 2;
      FillBandedGradient(Canvas, {R.Left, R.Top, middle, R.Bottom}, StartColor, EndColor,
                         TFillDirection::fdLeftToRight, Colors);
      FillBandedGradient(Canvas, {middle, R.Top, R.Right, R.Bottom}, StartColor, EndColor,
                         TFillDirection::fdRightToLeft, Colors);
      break;
    }
    case TFillDirection::fdXP:
      DrawXPFrame(Canvas, R, StartColor, EndColor, Colors);
      break;
    default:
      FillBandedGradient(Canvas, R, StartColor, EndColor, Direction, Colors);
  }
}

void TileBitmap(TvxCanvas& Canvas, const TRect& Rect, const QImage& Bitmap) {
  const int w = Bitmap.width();
  const int h = Bitmap.height();
  if (w == 0 || h == 0) return;
  Canvas.IntersectClip(Rect);
  struct Restore {
    TvxCanvas& Canvas;
    ~Restore() { Canvas.RestoreClip(); }
  } restore{Canvas};
  for (int c = 0; c <= RectWidth(Rect) / w; ++c)
    for (int r = 0; r <= RectHeight(Rect) / h; ++r) Canvas.Draw(Rect.Left + c * w, Rect.Top + r * h, Bitmap);
}

}  // namespace XPGraphUtil
