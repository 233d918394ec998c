// The version texts of the user-interface module and of named files, and the
// line gradients of the header, pixel by pixel.
#include "plugin/ui/vxVCLTools.h"

#include <gtest/gtest.h>

#include "tests/plugin/ui/vxUiTestSupport.h"

using vxUiTest::PixelOf;
using vxUiTest::Surface;
using namespace vxVCLTools;

namespace {

constexpr TColor Ground = 0x123456;

ustring Wide(const char* Text) {
  const std::string text(Text);
  return ustring(text.begin(), text.end());
}

QImage Multi(int Width, int Height, const TGradRow& Colors, TGradientOrientation Orientation, TRect R) {
  QImage image = Surface(Width, Height, Ground);
  TvxImageCanvas canvas(image);
  DrawMultiGradient(canvas, R, Colors, Orientation);
  return image;
}

}  // namespace

TEST(VersionTexts, OfThisModule) {
  EXPECT_EQ(GetModuleDescription(), u"VARLO SMTP Exportservice");
  EXPECT_EQ(GetModuleCopyright(), u"Copyright (c) varlo");
  EXPECT_EQ(GetModuleVersionText(), u"5.2.0.1 (rel. 5.2)");
  EXPECT_EQ(ModuleFileName(), Wide(VX_UI_MODULE));
}

TEST(VersionTexts, OfAModuleWithoutVersionBlock) {
  const vxUiTest::TModuleGuard guard(VX_UNVERSIONED_MODULE);
  EXPECT_EQ(GetModuleDescription(), u"Unknown");
  EXPECT_EQ(GetModuleCopyright(), u"Unknown");
  EXPECT_EQ(GetModuleVersionText(), u"Unknown build");
  TFileInfo info;
  EXPECT_FALSE(ReadVersionInfo(Wide(VX_UNVERSIONED_MODULE), info));
  EXPECT_EQ(info.ProductVersion, u"Unknown");
  EXPECT_EQ(info.Comment, u"Unknown");
}

TEST(VersionTexts, FixedVersionOfNamedFiles) {
  uint16_t major = 9, minor = 9, release = 9, build = 9;
  EXPECT_FALSE(ReadFixedFileVersion(u"/nonexistent/module.so", major, minor, release, build));
  EXPECT_EQ(major + minor + release + build, 0);
  EXPECT_EQ(GetFileVersionText(u"/nonexistent/module.so"), u"Unknown");
  EXPECT_EQ(GetFileVersionText(Wide(VX_UNVERSIONED_MODULE)), u"Unknown");
  EXPECT_TRUE(ReadFixedFileVersion(Wide(VX_PLACEHOLDER_MODULE), major, minor, release, build));
  EXPECT_EQ(GetFileVersionText(Wide(VX_PLACEHOLDER_MODULE)), u"1.2.3.4");
  TFileInfo info;
  ASSERT_TRUE(ReadVersionInfo(Wide(VX_PLACEHOLDER_MODULE), info));
  EXPECT_EQ(info.FileDescription, ustring(50, u'#'));
}

TEST(VersionTexts, PlaceholderRule) {
  EXPECT_EQ(PlaceholderRule(ustring(50, u'#')), u"#####");
  EXPECT_EQ(PlaceholderRule(u"  ##### copyright"), u"#####");
  EXPECT_EQ(PlaceholderRule(u"#### four"), u"#### four");
  EXPECT_EQ(PlaceholderRule(u"text #####"), u"text #####");
  EXPECT_EQ(PlaceholderRule(u""), u"");
}

TEST(DrawGradient, OneLineAPixelAndOneMoreOnTheFarEdgeHalvesToEven) {
  // Red 0 to 5 over 2 pixels: 0, 2.5 (to 2), 5; green 0 to 1: 0, 0.5 (to 0), 1;
  // blue 0 to 3: 0, 1.5 (to 2), 3.
  QImage image = Surface(4, 3, Ground);
  {
    TvxImageCanvas canvas(image);
    DrawGradient(canvas, {0, 0, 2, 2}, RGB(0, 0, 0), RGB(5, 1, 3), TGradientOrientation::goLeft2Right);
  }
  EXPECT_EQ(PixelOf(image, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(image, 1, 1), RGB(2, 0, 2));
  EXPECT_EQ(PixelOf(image, 2, 0), RGB(5, 1, 3));
  // A line leaves out its last pixel: the bottom row stays.
  EXPECT_EQ(PixelOf(image, 1, 2), Ground);
  EXPECT_EQ(PixelOf(image, 3, 0), Ground);

  image = Surface(3, 4, Ground);
  {
    TvxImageCanvas canvas(image);
    DrawGradient(canvas, {0, 0, 2, 2}, RGB(255, 0, 0), RGB(0, 0, 255), TGradientOrientation::goTop2Bottom);
  }
  EXPECT_EQ(PixelOf(image, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(image, 1, 1), RGB(128, 0, 128));  // 127.5 to 128 (even)
  EXPECT_EQ(PixelOf(image, 1, 2), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(image, 2, 1), Ground);
  EXPECT_EQ(PixelOf(image, 0, 3), Ground);
}

TEST(DrawMultiGradient, NothingForOneColourOrTheRadialOrientation) {
  const TRect R{0, 0, 20, 10};
  EXPECT_EQ(Multi(21, 10, {0xFF0000}, TGradientOrientation::goLeft2Right, R), Surface(21, 10, Ground));
  EXPECT_EQ(Multi(21, 10, {0xFF0000, 0x00FF00}, TGradientOrientation::goRadInner2Outer, R),
            Surface(21, 10, Ground));
  EXPECT_EQ(Multi(21, 10, {}, TGradientOrientation::goTop2Bottom, R), Surface(21, 10, Ground));
}

TEST(DrawMultiGradient, ThreeColoursMeetExactlyOnTheSharedLine) {
  const QImage image = Multi(102, 4, {RGB(0, 0, 0), RGB(200, 100, 50), RGB(255, 255, 255)},
                             TGradientOrientation::goLeft2Right, {0, 0, 100, 4});
  EXPECT_EQ(PixelOf(image, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(PixelOf(image, 50, 3), RGB(200, 100, 50));
  EXPECT_EQ(PixelOf(image, 25, 0), RGB(100, 50, 25));
  EXPECT_EQ(PixelOf(image, 99, 0), RGB(254, 252, 251));  // 200 + 55 * 49 / 50 = 253.9 ...
  // The far edge gets the last colour, one column past the rectangle.
  EXPECT_EQ(PixelOf(image, 100, 0), RGB(255, 255, 255));
  EXPECT_EQ(PixelOf(image, 101, 0), Ground);
}

TEST(DrawMultiGradient, EveryColumnOrTheRemainderLeftAsItWas) {
  QImage image = Multi(103, 2, {RGB(10, 20, 30), RGB(40, 50, 60)}, TGradientOrientation::goLeft2Right,
                       {0, 0, 101, 2});
  for (int x = 0; x <= 101; ++x) EXPECT_NE(PixelOf(image, x, 1), Ground) << x;
  EXPECT_EQ(PixelOf(image, 102, 0), Ground);

  // Four colours over 104 pixels: step 34, the last part ends at 102.
  image = Multi(104, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}, TGradientOrientation::goLeft2Right,
                {0, 0, 104, 2});
  EXPECT_EQ(PixelOf(image, 102, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelOf(image, 103, 0), Ground);
  EXPECT_EQ(PixelOf(image, 34, 1), 0x00FF00u);
  EXPECT_EQ(PixelOf(image, 68, 1), 0xFF0000u);

  // The same rule along the vertical axis.
  image = Multi(2, 12, {0x000000, 0xFFFFFF, 0x000000}, TGradientOrientation::goTop2Bottom, {0, 0, 2, 11});
  EXPECT_EQ(PixelOf(image, 0, 5), 0xFFFFFFu);
  EXPECT_EQ(PixelOf(image, 1, 10), 0x000000u);
  EXPECT_EQ(PixelOf(image, 0, 11), Ground);
}
