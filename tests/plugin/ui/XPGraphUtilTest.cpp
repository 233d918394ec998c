// Colour darkening, banded gradients, the framed look and bitmap tiling,
// checked pixel by pixel on an image canvas.
#include "plugin/ui/XPGraphUtil.h"

#include <gtest/gtest.h>

#include "tests/plugin/ui/vxUiTestSupport.h"

using vxUiTest::PixelOf;
using vxUiTest::Surface;
using namespace XPGraphUtil;

namespace {

constexpr TColor Start = RGB(0, 100, 200);
constexpr TColor End = RGB(100, 0, 51);
constexpr TColor Ground = 0x123456;

// The colour of each row (vertical) or column of a band run, read at its
// first column or row.
std::vector<TColor> Rows(const QImage& Image, int X = 0) {
  std::vector<TColor> rows;
  for (int y = 0; y < Image.height(); ++y) rows.push_back(PixelOf(Image, X, y));
  return rows;
}

QImage Banded(int Width, int Height, TColor From, TColor To, TFillDirection Direction, uint8_t Colors,
              TRect R = {}) {
  QImage image = Surface(Width, Height, Ground);
  TvxImageCanvas canvas(image);
  if (IsEmptyArea(R) && R == TRect{}) R = {0, 0, Width, Height};
  FillBandedGradient(canvas, R, From, To, Direction, Colors);
  return image;
}

}  // namespace

TEST(DarkenColor, ChannelsClampedAndSystemColoursResolved) {
  struct Case {
    TColor Color;
    int Amount;
    TColor Expected;
  };
  const Case cases[] = {
      {0xE6E6E6, 15, 0xD7D7D7}, {0x0A0A0A, 20, 0x000000}, {0xF0F0F0, -30, 0xFFFFFF},
      {0x102030, 16, 0x001020}, {clBtnFace, 15, 0xE1E1E1}, {0xBA6D3F, 0, 0xBA6D3F},
  };
  for (const Case& c : cases) EXPECT_EQ(DarkenColor(c.Color, c.Amount), c.Expected) << std::hex << c.Color;
}

TEST(DarkenColor, OnTheCanvasAsPainted) {
  QImage image = Surface(2, 2);
  {
    TvxImageCanvas canvas(image);
    canvas.BrushColor = DarkenColor(0xE6E6E6, 15);
    canvas.FillRect({0, 0, 1, 2});
    canvas.BrushColor = DarkenColor(clBtnFace, -30);
    canvas.FillRect({1, 0, 2, 2});
  }
  EXPECT_EQ(PixelOf(image, 0, 1), 0xD7D7D7u);
  EXPECT_EQ(PixelOf(image, 1, 0), 0xFFFFFFu);
}

TEST(FillBandedGradient, ThreeBandsOverTenRowsWithARemainderStrip) {
  const TColor middle = RGB(50, 50, 125);  // 200 - 149 / 2 rounded away from zero: 125
  const std::vector<TColor> expected = {Start, Start, Start, middle, middle, middle, End, End, End, End};
  const QImage image = Banded(4, 10, Start, End, TFillDirection::fdTopToBottom, 3);
  EXPECT_EQ(Rows(image), expected);
  EXPECT_EQ(Rows(image, 3), expected);
}

TEST(FillBandedGradient, BottomToTopGivesTheBandsInReverse) {
  const TColor middle = RGB(50, 50, 126);  // 51 + 149 / 2 rounded away from zero
  const std::vector<TColor> expected = {End, End, End, middle, middle, middle, Start, Start, Start, Start};
  EXPECT_EQ(Rows(Banded(4, 10, Start, End, TFillDirection::fdBottomToTop, 3)), expected);
}

TEST(FillBandedGradient, HorizontalDirectionsWorkOnTheWidth) {
  QImage image = Banded(10, 2, Start, End, TFillDirection::fdLeftToRight, 3);
  EXPECT_EQ(PixelOf(image, 0, 1), Start);
  EXPECT_EQ(PixelOf(image, 4, 0), RGB(50, 50, 125));
  EXPECT_EQ(PixelOf(image, 9, 0), End);
  image = Banded(10, 2, Start, End, TFillDirection::fdRightToLeft, 3);
  EXPECT_EQ(PixelOf(image, 0, 1), End);
  EXPECT_EQ(PixelOf(image, 8, 0), Start);
  EXPECT_EQ(PixelOf(image, 9, 0), Start);
}

TEST(FillBandedGradient, FewerThanTwoColoursFillWithTheStartColour) {
  for (uint8_t colors : {0, 1}) {
    const QImage image = Banded(3, 5, clBtnFace, End, TFillDirection::fdBottomToTop, colors);
    for (int y = 0; y < 5; ++y) EXPECT_EQ(PixelOf(image, 2, y), 0xF0F0F0u) << int(colors);
  }
}

TEST(FillBandedGradient, MoreColoursThanPixelsGiveOneBandAPixel) {
  const QImage image = Banded(5, 1, RGB(0, 0, 0), RGB(100, 10, 255), TFillDirection::fdLeftToRight, 200);
  const TColor expected[] = {RGB(0, 0, 0), RGB(25, 3, 64), RGB(50, 5, 128), RGB(75, 8, 191), RGB(100, 10, 255)};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(image, x, 0), expected[x]) << x;
}

TEST(FillBandedGradient, AnEmptyRectangleDrawsNothing) {
  const QImage image = Banded(4, 4, Start, End, TFillDirection::fdTopToBottom, 3, {2, 2, 2, 4});
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelOf(image, x, y), Ground);
}

TEST(GradientFill, FromTheCentreTheUpperHalfIsOneRowShorterOnAnOddHeight) {
  QImage image = Surface(3, 11);
  {
    TvxImageCanvas canvas(image);
    GradientFill(canvas, {0, 0, 3, 11}, Start, End, TFillDirection::fdVerticalFromCenter, 2);
  }
  // Upper 5 rows: 2 + 2 bands and a strip in the end colour; lower 6 rows
  // from the end colour back to the start colour.
  const std::vector<TColor> expected = {Start, Start, End, End, End, End, End, End, Start, Start, Start};
  EXPECT_EQ(Rows(image), expected);

  image = Surface(7, 1);
  {
    TvxImageCanvas canvas(image);
    GradientFill(canvas, {0, 0, 7, 1}, Start, End, TFillDirection::fdHorizFromCenter, 2);
  }
  const TColor columns[] = {Start, End, End, End, End, Start, Start};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelOf(image, x, 0), columns[x]) << x;
}

TEST(GradientFill, FramedLook) {
  const TRect R{2, 2, 40, 30};
  QImage image = Surface(44, 34, Ground);
  {
    TvxImageCanvas canvas(image);
    GradientFill(canvas, R, 0xFFFFFF, 0x808080, TFillDirection::fdXP, 60);
  }
  // The inner area begins with the end colour, the bottom strip ends in it.
  EXPECT_EQ(PixelOf(image, R.Left + 10, R.Top + 6), 0x808080u);
  EXPECT_EQ(PixelOf(image, R.Left + 10, R.Bottom - 1), 0x808080u);
  // The top highlight is the start colour lightened (clamped to white).
  EXPECT_EQ(PixelOf(image, R.Left + 10, R.Top), 0xFFFFFFu);
  // The corner columns take the colour found just below the top frame.
  for (int i = 0; i < 6; ++i) EXPECT_EQ(PixelOf(image, R.Left + i, R.Top + 6), PixelOf(image, R.Left + i, R.Top + 7));
  // Nothing outside changes colour (the blended row just below the
  // rectangle blends the background with itself).
  EXPECT_EQ(PixelOf(image, R.Left - 1, R.Top), Ground);
  EXPECT_EQ(PixelOf(image, R.Right, R.Top + 5), Ground);
  EXPECT_EQ(PixelOf(image, R.Left + 10, R.Bottom), Ground);
  EXPECT_EQ(PixelOf(image, R.Left + 3, R.Bottom), Ground);

  QImage untouched = Surface(8, 8, Ground);
  {
    TvxImageCanvas canvas(untouched);
    DrawXPFrame(canvas, {3, 3, 3, 8}, 0xFFFFFF, 0, 10);
  }
  EXPECT_EQ(untouched, Surface(8, 8, Ground));
}

TEST(TileBitmap, TilesFromTheTopLeftCornerAndCutsAtTheEdges) {
  QImage tile(3, 2, QImage::Format_RGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) tile.setPixel(x, y, qRgb(10 * x, 100 + y, 7));
  const TRect R{1, 1, 9, 6};
  QImage image = Surface(11, 8, Ground);
  {
    TvxImageCanvas canvas(image);
    TileBitmap(canvas, R, tile);
    // The clip is given back afterwards.
    EXPECT_EQ(canvas.ClipRect(), (TRect{0, 0, 11, 8}));
  }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 11; ++x) {
      const bool inside = x >= R.Left && x < R.Right && y >= R.Top && y < R.Bottom;
      const TColor expected = inside ? FromQColor(QColor(tile.pixel((x - 1) % 3, (y - 1) % 2))) : Ground;
      EXPECT_EQ(PixelOf(image, x, y), expected) << x << "," << y;
    }

  QImage empty = Surface(4, 4, Ground);
  {
    TvxImageCanvas canvas(empty);
    TileBitmap(canvas, {0, 0, 4, 4}, QImage());
  }
  EXPECT_EQ(empty, Surface(4, 4, Ground));
}
