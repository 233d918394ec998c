// The page control and its sheets, rendered offscreen: tab colours and
// captions, hidden tabs, the display area, glyphs, backgrounds and the
// sheets' property rules.
#include "plugin/ui/xpPages.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "tests/plugin/ui/vxUiTestSupport.h"

using vxUiTest::PixelOf;

namespace {

constexpr TColor CaptionColor = 0x000080;  // dark red
constexpr TColor ActiveTab = 0xBA6D3F;

// The dialog's page control: three pages, the second one active.
struct TDialogPages {
  TxpPageControl Control;
  TDialogPages() {
    Control.resize(420, 240);
    Control.SetBackgroundColor(0xE6E6E6);
    for (const char16_t* caption : {u"General", u"Server", u"About"}) {
      TxpTabSheet* sheet = Control.AddPage(caption);
      TFont font;
      font.Color = CaptionColor;
      sheet->SetFont(font);
    }
    Control.SetActivePage(Control.Pages(1));
    Control.show();
  }
  QImage Render() { return Control.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

int CountColour(const QImage& Image, const TRect& R, TColor Color) {
  int count = 0;
  for (int y = std::max(R.Top, 0); y < std::min(R.Bottom, Image.height()); ++y)
    for (int x = std::max(R.Left, 0); x < std::min(R.Right, Image.width()); ++x)
      if (PixelOf(Image, x, y) == Color) ++count;
  return count;
}

QImage Filled(int W, int H, QColor Color) {
  QImage image(W, H, QImage::Format_RGB32);
  image.fill(Color);
  return image;
}

}  // namespace

TEST(TxpPageControl, ConstructorValues) {
  TxpPageControl control;
  EXPECT_EQ(control.BackgroundColor(), clBtnFace);
  EXPECT_EQ(control.TabTextAlignment(), TAlignment::taCenter);
  EXPECT_EQ(control.Style(), TxpPageControlStyle::pcsVARLO);
  EXPECT_EQ(control.BorderColor(), clBlack);
  EXPECT_EQ(control.TabPosition(), TxpTabPosition::tpTop);
  EXPECT_FALSE(control.OwnerDraw());
  EXPECT_EQ(control.ImageList(), nullptr);
  TxpTabSheet sheet;
  EXPECT_EQ(sheet.Color(), clWhite);
  EXPECT_EQ(sheet.TabColor(), clNone);
  EXPECT_EQ(sheet.ImageIndex(), -1);
  EXPECT_EQ(sheet.BGStyle(), TxpTabBGStyle::bgsNone);
  EXPECT_EQ(sheet.GradientStartColor(), clWhite);
  EXPECT_EQ(sheet.GradientEndColor(), clSilver);
  EXPECT_EQ(sheet.GradientFillDir(), TFillDirection::fdTopToBottom);
  EXPECT_EQ(sheet.PageIndex(), -1);
}

TEST(TxpPageControl, DialogTabColoursAndCaptions) {
  TDialogPages pages;
  const QImage image = pages.Render();
  vxUiTest::SavePng(image, "pagecontrol");
  for (int page = 0; page < 3; ++page) {
    const TRect item = pages.Control.ItemRect(page);
    ASSERT_FALSE(IsEmptyArea(item)) << page;
    const bool active = page == 1;
    const TColor fill = active ? ActiveTab : 0xD7D7D7;
    // The tab is filled from its top (the strip above lies outside), and from one
    // pixel left of its left edge, to three pixels short of its right edge.
    // pixel left of its left edge, to three pixels short of its right edge;
    // its last row lies under the page.
    EXPECT_EQ(PixelOf(image, item.Left - 1, item.Top - 2), fill) << page;
    EXPECT_EQ(PixelOf(image, item.Right - 4, item.Bottom - 2), fill) << page;
    EXPECT_EQ(PixelOf(image, item.Right - 3, item.Top + 2), 0xE6E6E6u) << page;
    EXPECT_EQ(PixelOf(image, item.Left, item.Bottom - 1), clWhite) << page;
    // Captions: white on the active tab, in the sheet font's colour on the others.
    const TRect tab{item.Left, item.Top, item.Right, item.Bottom - 1};
    EXPECT_EQ(CountColour(image, tab, CaptionColor) > 0, !active) << page;
    EXPECT_EQ(CountColour(image, tab, clWhite) > 0, active) << page;
  }
  // The active tab as RGB is #3F6DBA.
  const TRect active = pages.Control.ItemRect(1);
  EXPECT_EQ(QColor(image.pixel(active.Left, active.Top)), QColor(0x3F, 0x6D, 0xBA));
  // The strip beside the tabs has the background colour.
  EXPECT_EQ(PixelOf(image, 415, 5), 0xE6E6E6u);
}

TEST(TxpPageControl, TabColourOfASheetAndTheSystemBackground) {
  TDialogPages pages;
  pages.Control.SetBackgroundColor(clBtnFace);
  pages.Control.Pages(2)->SetTabColor(0x00FF00);
  const QImage image = pages.Render();
  EXPECT_EQ(PixelOf(image, pages.Control.ItemRect(0).Left, pages.Control.ItemRect(0).Top), 0xE1E1E1u);
  EXPECT_EQ(PixelOf(image, pages.Control.ItemRect(2).Left, pages.Control.ItemRect(2).Top), 0x00FF00u);
  EXPECT_EQ(PixelOf(image, 415, 5), 0xF0F0F0u);
}

TEST(TxpPageControl, AHiddenTabIsSkippedAndTheNextTakesItsPlace) {
  TDialogPages pages;
  pages.Control.Pages(1)->SetCaption(u"About");  // the same width as the third
  pages.Control.SetActivePage(pages.Control.Pages(0));
  pages.Control.Pages(2)->SetTabColor(0x00FF00);
  const TRect second = pages.Control.ItemRect(1);
  pages.Control.Pages(1)->SetTabVisible(false);
  EXPECT_TRUE(IsEmptyArea(pages.Control.ItemRect(1)));
  EXPECT_EQ(pages.Control.ItemRect(2), second);
  const QImage image = pages.Render();
  EXPECT_EQ(PixelOf(image, second.Left, second.Top), 0x00FF00u);
  // The hidden page keeps its index: the tab index is the page index.
  EXPECT_EQ(pages.Control.Pages(2)->PageIndex(), 2);
}

TEST(TxpPageControl, PagesCoverTheDisplayAreaGrownByThree) {
  TDialogPages pages;
  const TRect area = pages.Control.DisplayRect();
  const TRect tab = pages.Control.ItemRect(0);
  EXPECT_EQ(area.Left, 0);
  EXPECT_EQ(area.Right, 420);
  EXPECT_EQ(area.Bottom, 240);
  EXPECT_EQ(area.Top, tab.Bottom - 1);
  const QRect page = pages.Control.Pages(1)->geometry().translated(pages.Control.Pages(1)->parentWidget()->pos());
  EXPECT_EQ(ToTRect(page), area);
  // The active page paints its colour there.
  pages.Control.Pages(1)->SetColor(0x00FFFF);
  const QImage image = pages.Render();
  EXPECT_EQ(PixelOf(image, 10, area.Top + 10), 0x00FFFFu);
  EXPECT_EQ(PixelOf(image, 419, 239), 0x00FFFFu);
}

TEST(TxpPageControl, BottomLookJoinsTheActiveTabToItsPage) {
  TDialogPages pages;
  pages.Control.SetTabPosition(TxpTabPosition::tpBottom);
  pages.Control.SetBorderColor(0x0000FF);
  pages.Control.Pages(0)->SetColor(0xC0FFC0);
  const QImage image = pages.Render();
  vxUiTest::SavePng(image, "pagecontrol-bottom");
  const TRect inactive = pages.Control.ItemRect(0);
  // Inactive: the sheet colour darkened by 5, a border in BorderColor and a
  // shadow line darkened by 20 more.
  EXPECT_EQ(PixelOf(image, inactive.Left, inactive.Top + 1), 0x0000FFu);
  EXPECT_EQ(PixelOf(image, inactive.Left + 1, inactive.Top + 3), 0xBBFABBu);
  EXPECT_EQ(PixelOf(image, inactive.Right - 3, inactive.Top + 5), 0xA7E6A7u);
  EXPECT_EQ(PixelOf(image, inactive.Right - 4, inactive.Top + 5), 0xB1F0B1u);
  const TRect active = pages.Control.ItemRect(1);
  EXPECT_EQ(PixelOf(image, active.Left - 2, active.Top), 0x0000FFu);
  EXPECT_EQ(PixelOf(image, active.Left + 3, active.Top + 3), clWhite);
}

TEST(TxpPageControl, OwnerDrawPaintsEachVisibleTabThroughTheEvent) {
  TDialogPages pages;
  std::vector<std::pair<int, TRect>> calls;
  pages.Control.OnDrawItem = [&](TxpPageControl* Control, int Index, TvxCanvas& Canvas, const TRect& Rect,
                                 TOwnerDrawState State) {
    EXPECT_EQ(Control, &pages.Control);
    EXPECT_EQ(State, 0u);
    calls.emplace_back(Index, Rect);
    Canvas.BrushColor = 0x0000FF;
    Canvas.FillRect(Rect);
  };
  // Without OwnerDraw the event is not used.
  pages.Render();
  EXPECT_TRUE(calls.empty());
  pages.Control.SetOwnerDraw(true);
  pages.Control.Pages(0)->SetTabVisible(false);
  const QImage image = pages.Render();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].first, 1);
  EXPECT_EQ(calls[1].first, 2);
  EXPECT_EQ(calls[1].second, pages.Control.ItemRect(2));
  EXPECT_EQ(PixelOf(image, calls[0].second.Left + 2, calls[0].second.Top + 2), 0x0000FFu);
}

TEST(TxpPageControl, GlyphsFromTheImageListAndTheGlyphMap) {
  TImageList list(16, 16);
  list.Add(Filled(16, 16, Qt::red));
  list.Add(Filled(16, 16, Qt::green));
  list.Add(Filled(16, 16, Qt::blue));
  TDialogPages pages;
  pages.Control.OnGlyphMap = [](TxpPageControl*, int PageIndex, int& GlyphIndex) {
    EXPECT_EQ(GlyphIndex, PageIndex);
    GlyphIndex = 2 - PageIndex;
  };
  pages.Control.SetImageList(&list);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pages.Control.Pages(i)->ImageIndex(), i);
  // The tab strip holds the mapped image; the tab paints the sheet's own.
  EXPECT_EQ(pages.Control.TabGlyph(0).pixelColor(8, 8), QColor(Qt::blue));
  const QImage image = pages.Render();
  const TRect item = pages.Control.ItemRect(0);
  const TRect t{item.Left - 1, item.Top - 2, item.Right - 1, item.Bottom};
  EXPECT_EQ(QColor(image.pixel(t.Left + 4 + 8, (t.Top + t.Bottom - 16) / 2 + 1 + 8)), QColor(Qt::red));
  // A change of the list maps the glyphs again.
  pages.Control.OnGlyphMap = nullptr;
  list.Add(Filled(16, 16, Qt::yellow));
  EXPECT_EQ(pages.Control.TabGlyph(0).pixelColor(8, 8), QColor(Qt::red));
  // No list: every page's image index is -1 and the list is let go.
  pages.Control.SetImageList(nullptr);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pages.Control.Pages(i)->ImageIndex(), -1);
  EXPECT_FALSE(static_cast<bool>(list.OnChange));
  EXPECT_TRUE(pages.Control.TabGlyph(0).isNull());
}

TEST(TxpPageControl, AReplacedImageListNoLongerCallsTheControl) {
  TImageList first(8, 8);
  TImageList second(8, 8);
  {
    TxpPageControl control;
    control.AddPage(u"One");
    control.SetImageList(&first);
    control.SetImageList(&second);
    EXPECT_FALSE(static_cast<bool>(first.OnChange));
    EXPECT_TRUE(static_cast<bool>(second.OnChange));
  }
  EXPECT_FALSE(static_cast<bool>(second.OnChange));
  // The lists outlive the control: changing them must not reach it.
  first.Add(Filled(8, 8, Qt::red));
  second.Add(Filled(8, 8, Qt::red));
}

TEST(TxpTabSheet, ImageIndexRules) {
  TxpTabSheet loose;
  loose.SetImageIndex(3);
  EXPECT_EQ(loose.ImageIndex(), -1);
  TxpPageControl control;
  TxpTabSheet* sheet = control.AddPage(u"One");
  sheet->SetImageIndex(4);
  EXPECT_EQ(sheet->ImageIndex(), 4);
  sheet->SetImageIndex(-5);
  EXPECT_EQ(sheet->ImageIndex(), -1);
}

TEST(TxpTabSheet, AnEmptyBackgroundPictureEndsThePictureStyles) {
  TxpTabSheet sheet;
  sheet.SetBGStyle(TxpTabBGStyle::bgsTileImage);
  sheet.SetBGImage(QImage());
  EXPECT_EQ(sheet.BGStyle(), TxpTabBGStyle::bgsNone);
  sheet.SetBGStyle(TxpTabBGStyle::bgsStrechImage);
  sheet.SetBGImage(QImage());
  EXPECT_EQ(sheet.BGStyle(), TxpTabBGStyle::bgsNone);
  sheet.SetBGStyle(TxpTabBGStyle::bgsGradient);
  sheet.SetBGImage(QImage());
  EXPECT_EQ(sheet.BGStyle(), TxpTabBGStyle::bgsGradient);
}

TEST(TxpTabSheet, Backgrounds) {
  TxpPageControl control;
  control.resize(300, 200);
  TxpTabSheet* sheet = control.AddPage(u"One");
  control.show();
  const int h = sheet->height();
  ASSERT_GT(h, 60);
  sheet->SetColor(0x336699);
  QImage image = sheet->grab().toImage();
  EXPECT_EQ(FromQColor(image.pixelColor(5, 5)), 0x336699u);

  sheet->SetBGStyle(TxpTabBGStyle::bgsGradient);
  sheet->SetGradientStartColor(0x000000);
  sheet->SetGradientEndColor(0xFFFFFF);
  image = sheet->grab().toImage();
  EXPECT_EQ(FromQColor(image.pixelColor(5, 0)), 0x000000u);
  EXPECT_EQ(FromQColor(image.pixelColor(5, h - 1)), 0xFFFFFFu);

  // A tiled picture: each tile from the sheet's top left corner.
  QImage tile = Filled(10, 10, Qt::red);
  tile.setPixelColor(0, 0, Qt::blue);
  sheet->SetBGImage(tile);
  sheet->SetBGStyle(TxpTabBGStyle::bgsTileImage);
  image = sheet->grab().toImage();
  EXPECT_EQ(image.pixelColor(20, 30), QColor(Qt::blue));
  EXPECT_EQ(image.pixelColor(21, 30), QColor(Qt::red));

  sheet->SetBGStyle(TxpTabBGStyle::bgsStrechImage);
  sheet->SetBGImage(Filled(2, 2, Qt::green));
  image = sheet->grab().toImage();
  EXPECT_EQ(image.pixelColor(sheet->width() - 1, h - 1), QColor(Qt::green));
}
