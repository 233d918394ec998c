// The page control of the configuration dialog and its tab sheets: a tab
// strip painted by the control itself (flat tabs with a highlighted active
// tab, or rounded tabs with shadow lines), and sheets whose background is a
// colour, a gradient or a tiled or stretched picture.
#pragma once

#include <QTabBar>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

#include "plugin/ui/XPGraphUtil.h"
#include "plugin/ui/vxCanvas.h"

class QStackedWidget;

enum class TxpPageControlStyle : uint8_t { pcsXP, pcsVARLO };
enum class TxpTabPosition : uint8_t { tpTop, tpBottom };
enum class TxpTabBGStyle : uint8_t { bgsNone, bgsGradient, bgsTileImage, bgsStrechImage };
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
// The owner-draw state handed to OnDrawItem (always empty here).
using TOwnerDrawState = uint32_t;

// A row of equally sized pictures; the tabs' glyph source.
class TImageList {
 public:
  TImageList(int Width, int Height) : FWidth(Width), FHeight(Height) {}
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Count() const { return static_cast<int>(Images.size()); }
  // Adds Image (scaled to the list's size) and reports the change.
  int Add(const QImage& Image);
  // The picture at Index; a null picture for an index out of range.
  QImage Image(int Index) const;
  void Draw(TvxCanvas& Canvas, int X, int Y, int Index) const;
  // Called after every change of the list.
  std::function<void()> OnChange;

 private:
  int FWidth;
  int FHeight;
  std::vector<QImage> Images;
};

class TxpPageControl;

class TxpTabSheet : public QWidget {
 public:
  // A sheet without page control; pages come from TxpPageControl::AddPage.
  explicit TxpTabSheet(QWidget* Parent = nullptr);

  ustring Caption() const { return FCaption; }
  void SetCaption(const ustring& Value);
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TColor TabColor() const { return FTabColor; }
  void SetTabColor(TColor Value) { FTabColor = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool ShowTabHint() const { return FShowTabHint; }
  void SetShowTabHint(bool Value) { FShowTabHint = Value; }
  ustring TabHint() const { return FTabHint; }
  void SetTabHint(const ustring& Value) { FTabHint = Value; }
  const QImage& BGImage() const { return FBGImage; }
  void SetBGImage(const QImage& Value);
  TxpTabBGStyle BGStyle() const { return FBGStyle; }
  void SetBGStyle(TxpTabBGStyle Value);
  TColor GradientStartColor() const { return FGradientStartColor; }
  void SetGradientStartColor(TColor Value);
  TColor GradientEndColor() const { return FGradientEndColor; }
  void SetGradientEndColor(TColor Value);
  TFillDirection GradientFillDir() const { return FGradientFillDir; }
  void SetGradientFillDir(TFillDirection Value);

  TxpPageControl* PageControl() const { return FPageControl; }
  // The sheet's index among its control's pages; -1 without a control.
  int PageIndex() const;
  // The background over the client area, as the sheet paints it.
  void PaintBackground(TvxCanvas& Canvas) const;

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  friend class TxpPageControl;
  TxpPageControl* FPageControl = nullptr;
  ustring FCaption;
  bool FTabVisible = true;
  TFont FFont;
  TColor FColor = clWhite;
  TColor FTabColor = clNone;
  int FImageIndex = -1;
  bool FShowTabHint = false;
  ustring FTabHint;
  QImage FBGImage;
  TxpTabBGStyle FBGStyle = TxpTabBGStyle::bgsNone;
  TColor FGradientStartColor = clWhite;
  TColor FGradientEndColor = clSilver;
  TFillDirection FGradientFillDir = TFillDirection::fdTopToBottom;
};

class TxpPageControl : public QWidget {
 public:
  using TDrawItemEvent =
      std::function<void(TxpPageControl* Control, int Index, TvxCanvas& ACanvas, const TRect& ARect,
                         TOwnerDrawState State)>;
  using TGlyphMapEvent = std::function<void(TxpPageControl* Control, int PageIndex, int& GlyphIndex)>;

  explicit TxpPageControl(QWidget* Parent = nullptr);
  ~TxpPageControl() override;

  // A new page at the end with its tab, owned by the control.
  TxpTabSheet* AddPage(const ustring& Caption);
  int PageCount() const { return static_cast<int>(FPages.size()); }
  TxpTabSheet* Pages(int Index) const;
  TxpTabSheet* ActivePage() const;
  void SetActivePage(TxpTabSheet* Page);

  TImageList* ImageList() const { return FImageList; }
  void SetImageList(TImageList* Value);
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool Value);
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor Value) { FBackgroundColor = Value; }
  TAlignment TabTextAlignment() const { return FTabTextAlignment; }
  void SetTabTextAlignment(TAlignment Value);
  TxpPageControlStyle Style() const { return FStyle; }
  void SetStyle(TxpPageControlStyle Value);
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { FBorderColor = Value; }
  // The height of the tabs in pixels; 0 (the default) the style's own.
  int TabHeight() const { return FTabHeight; }
  void SetTabHeight(int Value);
  TxpTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TxpTabPosition Value);
  TDrawItemEvent OnDrawItem;
  TGlyphMapEvent OnGlyphMap;

  // The rectangle of tab TabIndex (a page index: hidden tabs keep theirs) in
  // the control's coordinates; empty for a hidden tab.
  TRect ItemRect(int TabIndex) const;
  // The area the pages cover: the tab control's display area grown by 3 on
  // every side and by one more pixel at the top.
  TRect DisplayRect() const;
  // The image the tab strip holds for page Index (set by UpdateGlyphs).
  QImage TabGlyph(int Index) const;

  // Caption and glyph of one tab.
  virtual void DrawTab(int PageIndex, TvxCanvas& Canvas, const TRect& Rect, bool Active);
  void UpdateGlyphs();
  // The control's own area: background and tabs.
  void PaintTabStrip(TvxCanvas& Canvas);

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

 private:
  friend class TxpTabSheet;
  void Relayout();
  void Recreate();
  void SetTabImage(int Index, int ImageIndex);
  void PaintTopTab(TvxCanvas& Canvas, TRect Rect, int PageIndex, int TabIndex);
  void PaintBottomTab(TvxCanvas& Canvas, TRect Rect, int PageIndex, int TabIndex);

  QTabBar* TabBar;
  QStackedWidget* Stack;
  std::vector<TxpTabSheet*> FPages;
  TImageList* FImageList = nullptr;
  bool FOwnerDraw = false;
  TColor FBackgroundColor = clBtnFace;
  TAlignment FTabTextAlignment = TAlignment::taCenter;
  TxpPageControlStyle FStyle = TxpPageControlStyle::pcsVARLO;
  TColor FBorderColor = clBlack;
  TxpTabPosition FTabPosition = TxpTabPosition::tpTop;
  int FTabHeight = 0;
};
