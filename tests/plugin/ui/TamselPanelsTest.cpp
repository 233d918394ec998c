// The About and header panels: their texts from this module's version block,
// from a block of placeholders and without a block, where they paint them,
// the picture rules and the header's gradient.
#include <gtest/gtest.h>

#include <QPainter>

#include "plugin/ui/TamselAboutPanel.h"
#include "plugin/ui/TamselInfoPanel.h"
#include "plugin/ui/vxPictures.h"
#include "tests/plugin/ui/vxUiTestSupport.h"

using vxUiTest::PixelOf;
using AboutType = TamselAboutPanel::TvxTypes;
using InfoType = TamselInfoPanel::TvxTypes;

namespace {

template <class Panel>
QImage Render(Panel& P) {
  return P.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Whether R holds a pixel of Color.
bool Holds(const QImage& Image, const TRect& R, TColor Color) {
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      if (PixelOf(Image, x, y) == Color) return true;
  return false;
}

}  // namespace

TEST(TTamselAboutPanel, TextsOfThisModule) {
  TTamselAboutPanel panel;
  EXPECT_EQ(panel.ProductName(), u"VARLO SMTP Exportservice");
  EXPECT_EQ(panel.CopyRight(), u"Copyright (c) varlo");
  EXPECT_EQ(panel.ProgramVersion(), u"Version 5.2.0.1 (rel. 5.2)");
  EXPECT_TRUE(panel.UnicodeReady());
  EXPECT_EQ(panel.AdditionalInfo(), u"");
  EXPECT_EQ(panel.Font(), TFont{});
  // Values set before the first paint are replaced by it; later ones stay.
  panel.SetProductName(u"Before");
  panel.resize(400, 200);
  Render(panel);
  EXPECT_EQ(panel.ProductName(), u"VARLO SMTP Exportservice");
  panel.SetProductName(u"After");
  Render(panel);
  EXPECT_EQ(panel.ProductName(), u"After");
  // Reading the standard type takes the module's texts and font again.
  TFont big;
  big.Size = 20;
  panel.SetFont(big);
  EXPECT_EQ(panel.PanelType(), AboutType::Tamsel);
  EXPECT_EQ(panel.ProductName(), u"VARLO SMTP Exportservice");
  EXPECT_EQ(panel.Font(), TFont{});
  panel.SetPanelType(AboutType::Custom);
  panel.SetProductName(u"Custom");
  EXPECT_EQ(panel.PanelType(), AboutType::Custom);
  EXPECT_EQ(panel.ProductName(), u"Custom");
}

TEST(TTamselAboutPanel, TextsWithoutVersionBlockOrWithPlaceholders) {
  {
    const vxUiTest::TModuleGuard guard(VX_UNVERSIONED_MODULE);
    TTamselAboutPanel panel;
    panel.resize(300, 150);
    Render(panel);
    EXPECT_EQ(panel.ProductName(), u"Unknown");
    EXPECT_EQ(panel.CopyRight(), u"Unknown");
    EXPECT_EQ(panel.ProgramVersion(), u"Version Unknown build");
  }
  const vxUiTest::TModuleGuard guard(VX_PLACEHOLDER_MODULE);
  TTamselAboutPanel panel;
  EXPECT_EQ(panel.ProductName(), ustring(50, u'#'));
  panel.resize(300, 150);
  Render(panel);
  EXPECT_EQ(panel.ProductName(), u"#####");
  EXPECT_EQ(panel.CopyRight(), u"#####");
  EXPECT_EQ(panel.ProgramVersion(), u"Version 1.2.3.4 (rel. ##### release placeholder)");
}

TEST(TTamselAboutPanel, PicturePositionAndTextPlaces) {
  TTamselAboutPanel panel;
  EXPECT_EQ(panel.PictureLeft(), 16);
  EXPECT_EQ(panel.PictureTop(), 80);
  panel.SetPictureLeft(0);
  EXPECT_EQ(panel.PictureLeft(), 16);
  panel.SetPictureTop(100);
  EXPECT_EQ(panel.PictureTop(), 100);
  panel.SetPictureTop(0);
  EXPECT_EQ(panel.PictureTop(), 80);

  // A panel made in code paints its picture where its properties say.
  TTamselAboutPanel fresh;
  fresh.resize(360, 200);
  fresh.SetPicture(vxPictures::LoadPicture(u"EXPORTSERVICE"));
  fresh.SetAdditionalInfo(u"Further information");
  const QImage image = Render(fresh);
  vxUiTest::SavePng(image, "aboutpanel");
  EXPECT_EQ(image.pixelColor(16 + 24, 80 + 24), fresh.Picture().pixelColor(24, 24));
  EXPECT_EQ(PixelOf(image, 5, 100), 0xEFEFEFu);
  // Texts in black at (16, 16), (16, 32) and (16, 48); nothing black above
  // or left of them; the further line 32 pixels above the bottom.
  const int w = 360;
  EXPECT_TRUE(Holds(image, {16, 16, w, 32}, clBlack));
  EXPECT_TRUE(Holds(image, {16, 32, w, 48}, clBlack));
  EXPECT_TRUE(Holds(image, {16, 48, w, 64}, clBlack));
  EXPECT_FALSE(Holds(image, {1, 1, w - 1, 16}, clBlack));
  EXPECT_FALSE(Holds(image, {1, 1, 16, 79}, clBlack));
  EXPECT_TRUE(Holds(image, {16, 140, w, 168}, clBlack));
  EXPECT_FALSE(Holds(image, {16, 168, w, 199}, clBlack));
  fresh.SetUnicodeReady(false);
  const QImage lower = Render(fresh);
  EXPECT_TRUE(Holds(lower, {16, 168, w, 199}, clBlack));
}

TEST(TTamselInfoPanel, ConstructorValuesAndTypes) {
  TTamselInfoPanel panel;
  EXPECT_EQ(panel.Title(), u"Title");
  EXPECT_EQ(panel.Subject(), u"Subject");
  EXPECT_EQ(panel.height(), 64);
  EXPECT_EQ(panel.StartColor(), clWhite);
  EXPECT_EQ(panel.EndeColor(), 0xEFEFEFu);
  EXPECT_EQ(panel.PanelType(), InfoType::Custom);
  EXPECT_TRUE(panel.TypePicture().isNull());

  struct Case {
    InfoType Type;
    const char16_t* Title;
    const char16_t* Picture;
  };
  const Case cases[] = {
      {InfoType::UserExit, u"Configure userexit", u"USEREXIT"},
      {InfoType::Exportservice, u"Configure exportservice", u"EXPORTSERVICE"},
      {InfoType::Conversion, u"Configure conversion engine", u"CONVERSION"},
      {InfoType::Recognition, u"Configure recognition engine", u"RECOGNITION"},
      {InfoType::Plugin, u"Configure plugin engine", u"PLUGIN"},
  };
  for (const Case& c : cases) {
    panel.SetPanelType(c.Type);
    EXPECT_EQ(panel.Title(), c.Title);
    EXPECT_EQ(panel.Subject(), u"VARLO SMTP Exportservice");
    EXPECT_EQ(panel.TypePicture(), vxPictures::LoadPicture(c.Picture));
  }
  // The plug-in picture under the title and subject that were there.
  panel.SetTitle(u"Mine");
  panel.SetSubject(u"My subject");
  panel.SetPanelType(InfoType::Plugin_Custom);
  EXPECT_EQ(panel.Title(), u"Mine");
  EXPECT_EQ(panel.Subject(), u"My subject");
  EXPECT_EQ(panel.TypePicture(), vxPictures::LoadPicture(u"PLUGIN"));
  // Custom shows the Picture property.
  QImage own(48, 48, QImage::Format_RGB32);
  own.fill(Qt::cyan);
  panel.SetPicture(own);
  panel.SetPanelType(InfoType::Custom);
  EXPECT_EQ(panel.TypePicture(), own);
  // The five pictures side by side, for a reader to look at.
  QImage row(5 * 56, 56, QImage::Format_RGB32);
  row.fill(Qt::white);
  {
    QPainter painter(&row);
    int x = 4;
    for (const Case& c : cases) {
      const QImage picture = vxPictures::LoadPicture(c.Picture);
      EXPECT_EQ(picture.size(), QSize(48, 48));
      painter.drawImage(x, 4, picture);
      x += 56;
    }
  }
  vxUiTest::SavePng(row, "pictures");
  // A picture the library does not hold (the platform's resource error).
  try {
    vxPictures::LoadPicture(u"MISSING");
    ADD_FAILURE() << "no error";
  } catch (const std::exception& E) {
    EXPECT_STREQ(E.what(), "Resource MISSING not found");
  }
}

TEST(TTamselInfoPanel, ReadingAStandardTypeRestoresTheLook) {
  TTamselInfoPanel panel;
  panel.SetStartColor(0x0000FF);
  panel.SetGradientOrientation(TGradientOrientation::goTop2Bottom);
  EXPECT_EQ(panel.PanelType(), InfoType::Custom);
  EXPECT_EQ(panel.StartColor(), 0x0000FFu);
  panel.SetPanelType(InfoType::Conversion);
  panel.SetStartColor(0x0000FF);
  EXPECT_EQ(panel.PanelType(), InfoType::Conversion);
  EXPECT_EQ(panel.StartColor(), clWhite);
  EXPECT_EQ(panel.GradientOrientation(), TGradientOrientation::goLeft2Right);
}

TEST(TTamselInfoPanel, SubjectWithoutVersionBlockOrWithPlaceholders) {
  {
    const vxUiTest::TModuleGuard guard(VX_UNVERSIONED_MODULE);
    TTamselInfoPanel panel;
    panel.SetPanelType(InfoType::Exportservice);
    EXPECT_EQ(panel.Subject(), u"Unknown");
    panel.resize(300, 64);
    Render(panel);
    EXPECT_EQ(panel.Subject(), u"Unknown");
  }
  const vxUiTest::TModuleGuard guard(VX_PLACEHOLDER_MODULE);
  TTamselInfoPanel panel;
  panel.SetPanelType(InfoType::Exportservice);
  // Setting the type takes the text as it stands, the first paint applies the rule.
  EXPECT_EQ(panel.Subject(), ustring(50, u'#'));
  panel.resize(300, 64);
  Render(panel);
  EXPECT_EQ(panel.Subject(), u"#####");
  // Only once: a subject set later stays.
  panel.SetSubject(u"Later");
  Render(panel);
  EXPECT_EQ(panel.Subject(), u"Later");
  // A custom panel keeps its subject.
  TTamselInfoPanel custom;
  custom.resize(300, 64);
  Render(custom);
  EXPECT_EQ(custom.Subject(), u"Subject");
}

TEST(TTamselInfoPanel, PaintsPictureFrameTextsAndTheGradientFrom64) {
  TTamselInfoPanel panel;
  panel.resize(464, 64);
  panel.SetPanelType(InfoType::Exportservice);
  panel.show();
  QImage image = Render(panel);
  vxUiTest::SavePng(image, "infopanel");
  // The standard look: white strip left of 64, then white to $EFEFEF.
  EXPECT_EQ(PixelOf(image, 62, 60), clWhite);
  EXPECT_EQ(PixelOf(image, 64, 60), clWhite);
  EXPECT_EQ(PixelOf(image, 462, 60), 0xEFEFEFu);
  // The picture at (8, 8) inside its frame in the start colour.
  EXPECT_EQ(image.pixelColor(8 + 20, 8 + 20), panel.TypePicture().pixelColor(20, 20));
  EXPECT_EQ(PixelOf(image, 30, 8), clWhite);
  // Title in black from (72, 16), subject in grey from (72, 32).
  EXPECT_TRUE(Holds(image, {72, 16, 464, 32}, clBlack));
  EXPECT_TRUE(Holds(image, {72, 32, 464, 48}, 0x808080));
  EXPECT_FALSE(Holds(image, {1, 1, 463, 8}, clBlack));

  // A gradient of two colours from x 64 to the right edge (256 pixels, so
  // the steps are exact binary fractions).
  panel.resize(320, 64);
  panel.SetPanelType(InfoType::Custom);
  panel.SetStartColor(0x0000FF);
  panel.SetEndeColor(0xFF0000);
  image = Render(panel);
  EXPECT_EQ(PixelOf(image, 40, 60), clWhite);
  EXPECT_EQ(PixelOf(image, 64, 60), 0x0000FFu);
  EXPECT_EQ(PixelOf(image, 192, 60), 0x800080u);  // 127.5 to 128, the even one
  EXPECT_EQ(PixelOf(image, 319, 60), RGB(1, 0, 254));
  EXPECT_EQ(PixelOf(image, 55, 30), 0x0000FFu);  // the picture's frame
  EXPECT_EQ(PixelOf(image, 8, 55), 0x0000FFu);
}
