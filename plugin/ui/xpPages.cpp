// The page control with its own tab painting over a Qt tab bar (which lays
// out the tabs and takes the clicks) and a stacked widget for the pages.
#include "plugin/ui/xpPages.h"

#include <QPaintEvent>
#include <QStackedWidget>
#include <memory>

namespace {

// The tab bar paints nothing: the control paints the strip beneath it.
class TTabStrip final : public QTabBar {
 public:
  explicit TTabStrip(QWidget* Parent) : QTabBar(Parent) {
    setDrawBase(false);
    setExpanding(false);
    setAutoFillBackground(false);
  }
  // The tabs' height; 0 leaves the style's own.
  void SetTabHeight(int Value) {
    FTabHeight = Value;
    // A change of the icon size makes the bar lay its tabs out anew.
    setIconSize(iconSize());
    updateGeometry();
  }

 protected:
  void paintEvent(QPaintEvent*) override {}
  QSize tabSizeHint(int Index) const override {
    QSize size = QTabBar::tabSizeHint(Index);
    if (FTabHeight > 0) size.setHeight(FTabHeight);
    return size;
  }

 private:
  int FTabHeight = 0;
};

// Widgets handed to a Qt parent, which deletes them with itself.
template <class T, class... Args>
T* MakeChild(Args&&... Arguments) {
  return std::make_unique<T>(std::forward<Args>(Arguments)...).release();
}

// The canvas on a fresh image of Widget's size; the image is drawn on the
// widget when the painter goes.
class TWidgetPainting {
 public:
  explicit TWidgetPainting(QWidget& Widget)
      : Widget(Widget), Image(Widget.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32) {
    Image.fill(Qt::white);
  }
  QImage& Surface() { return Image; }
  void Finish() {
    QPainter painter(&Widget);
    painter.drawImage(0, 0, Image);
  }

 private:
  QWidget& Widget;
  QImage Image;
};

}  // namespace

int TImageList::Add(const QImage& Image) {
  Images.push_back(Image.size() == QSize(FWidth, FHeight)
                       ? Image
                       : Image.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  if (OnChange) OnChange();
  return Count() - 1;
}

QImage TImageList::Image(int Index) const {
  return Index >= 0 && Index < Count() ? Images[static_cast<size_t>(Index)] : QImage();
}

void TImageList::Draw(TvxCanvas& Canvas, int X, int Y, int Index) const { Canvas.Draw(X, Y, Image(Index)); }

// ---------------------------------------------------------------------------

TxpTabSheet::TxpTabSheet(QWidget* Parent) : QWidget(Parent) {}

void TxpTabSheet::SetCaption(const ustring& Value) {
  FCaption = Value;
  const int index = PageIndex();
  if (index >= 0) {
    FPageControl->TabBar->setTabText(index, ToQString(Value));
    FPageControl->update();
  }
}

void TxpTabSheet::SetTabVisible(bool Value) {
  FTabVisible = Value;
  const int index = PageIndex();
  if (index >= 0) {
    FPageControl->TabBar->setTabVisible(index, Value);
    FPageControl->Relayout();
    FPageControl->update();
  }
}

void TxpTabSheet::SetFont(const TFont& Value) {
  FFont = Value;
  update();
  if (FPageControl != nullptr) FPageControl->update();
}

void TxpTabSheet::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  update();
  if (FPageControl != nullptr) FPageControl->update();
}

void TxpTabSheet::SetImageIndex(int Value) {
  if (Value < -1) Value = -1;
  if (Value == FImageIndex || FPageControl == nullptr) return;
  FImageIndex = Value;
  FPageControl->SetTabImage(PageIndex(), Value);
}

void TxpTabSheet::SetBGImage(const QImage& Value) {
  FBGImage = Value;
  update();
  if (FBGImage.isNull() &&
      (FBGStyle == TxpTabBGStyle::bgsTileImage || FBGStyle == TxpTabBGStyle::bgsStrechImage))
    FBGStyle = TxpTabBGStyle::bgsNone;
}

void TxpTabSheet::SetBGStyle(TxpTabBGStyle Value) {
  if (Value == FBGStyle) return;
  FBGStyle = Value;
  update();
}

void TxpTabSheet::SetGradientStartColor(TColor Value) {
  if (Value == FGradientStartColor) return;
  FGradientStartColor = Value;
  update();
}

void TxpTabSheet::SetGradientEndColor(TColor Value) {
  if (Value == FGradientEndColor) return;
  FGradientEndColor = Value;
  update();
}

void TxpTabSheet::SetGradientFillDir(TFillDirection Value) {
  if (Value == FGradientFillDir) return;
  FGradientFillDir = Value;
  update();
}

int TxpTabSheet::PageIndex() const {
  if (FPageControl == nullptr) return -1;
  for (int i = 0; i < FPageControl->PageCount(); ++i)
    if (FPageControl->Pages(i) == this) return i;
  return -1;
}

void TxpTabSheet::PaintBackground(TvxCanvas& Canvas) const {
  const TRect client{0, 0, width(), height()};
  Canvas.BrushClear = false;
  Canvas.BrushColor = FColor;
  switch (FBGStyle) {
    case TxpTabBGStyle::bgsGradient:
      XPGraphUtil::GradientFill(Canvas, client, FGradientStartColor, FGradientEndColor, FGradientFillDir, 60);
      return;
    case TxpTabBGStyle::bgsTileImage:
      if (!FBGImage.isNull()) {
        XPGraphUtil::TileBitmap(Canvas, client, FBGImage);
        return;
      }
      break;
    case TxpTabBGStyle::bgsStrechImage:
      if (!FBGImage.isNull()) {
        Canvas.StretchDraw(client, FBGImage);
        return;
      }
      break;
    case TxpTabBGStyle::bgsNone:
      break;
  }
  Canvas.FillRect(client);
}

void TxpTabSheet::paintEvent(QPaintEvent*) {
  TWidgetPainting painting(*this);
  {
    TvxImageCanvas canvas(painting.Surface());
    PaintBackground(canvas);
  }
  painting.Finish();
}

// ---------------------------------------------------------------------------

TxpPageControl::TxpPageControl(QWidget* Parent)
    : QWidget(Parent), TabBar(MakeChild<TTabStrip>(this)), Stack(MakeChild<QStackedWidget>(this)) {
  setAttribute(Qt::WA_AlwaysShowToolTips);
  QObject::connect(TabBar, &QTabBar::currentChanged, this, [this](int Index) {
    if (Index >= 0 && Index < PageCount()) Stack->setCurrentWidget(FPages[static_cast<size_t>(Index)]);
    update();
  });
  Relayout();
}

TxpPageControl::~TxpPageControl() {
  if (FImageList != nullptr) FImageList->OnChange = nullptr;
}

TxpTabSheet* TxpPageControl::AddPage(const ustring& Caption) {
  TxpTabSheet* sheet = MakeChild<TxpTabSheet>(Stack);
  sheet->FPageControl = this;
  sheet->FCaption = Caption;
  FPages.push_back(sheet);
  Stack->addWidget(sheet);
  TabBar->addTab(ToQString(Caption));
  if (FImageList != nullptr) {
    sheet->SetImageIndex(PageCount() - 1);
    UpdateGlyphs();
  }
  Relayout();
  update();
  return sheet;
}

TxpTabSheet* TxpPageControl::Pages(int Index) const {
  return Index >= 0 && Index < PageCount() ? FPages[static_cast<size_t>(Index)] : nullptr;
}

TxpTabSheet* TxpPageControl::ActivePage() const { return Pages(TabBar->currentIndex()); }

void TxpPageControl::SetActivePage(TxpTabSheet* Page) {
  for (int i = 0; i < PageCount(); ++i)
    if (FPages[static_cast<size_t>(i)] == Page) TabBar->setCurrentIndex(i);
}

void TxpPageControl::SetTabImage(int Index, int ImageIndex) {
  if (Index < 0 || Index >= TabBar->count()) return;
  const QImage image = FImageList != nullptr ? FImageList->Image(ImageIndex) : QImage();
  TabBar->setTabIcon(Index, image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
}

void TxpPageControl::SetImageList(TImageList* Value) {
  // The list replaced stops calling this control (it may outlive it).
  if (FImageList != nullptr && FImageList != Value) FImageList->OnChange = nullptr;
  FImageList = Value;
  if (Value != nullptr) {
    TabBar->setIconSize(QSize(Value->Width(), Value->Height()));
    for (int i = 0; i < PageCount(); ++i) FPages[static_cast<size_t>(i)]->SetImageIndex(i);
    Value->OnChange = [this] {
      if (FImageList != nullptr) UpdateGlyphs();
    };
  } else {
    for (int i = 0; i < PageCount(); ++i) {
      FPages[static_cast<size_t>(i)]->SetImageIndex(-1);
      TabBar->setTabIcon(i, QIcon());
    }
  }
  UpdateGlyphs();
  Relayout();
}

void TxpPageControl::UpdateGlyphs() {
  if (FImageList == nullptr) return;
  for (int i = 0; i < PageCount(); ++i) {
    int glyph = i;
    if (OnGlyphMap) OnGlyphMap(this, i, glyph);
    SetTabImage(i, glyph);
  }
  update();
}

QImage TxpPageControl::TabGlyph(int Index) const {
  const QIcon icon = TabBar->tabIcon(Index);
  return icon.isNull() ? QImage() : icon.pixmap(TabBar->iconSize()).toImage();
}

void TxpPageControl::Recreate() {
  Relayout();
  if (PageCount() > 0 && ActivePage() != nullptr) ActivePage()->update();
  update();
}

void TxpPageControl::SetOwnerDraw(bool Value) {
  if (Value == FOwnerDraw) return;
  FOwnerDraw = Value;
  Recreate();
}

void TxpPageControl::SetTabTextAlignment(TAlignment Value) {
  if (Value == FTabTextAlignment) return;
  FTabTextAlignment = Value;
  update();
}

void TxpPageControl::SetStyle(TxpPageControlStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Recreate();
}

void TxpPageControl::SetTabHeight(int Value) {
  if (Value < 0) Value = 0;
  if (Value == FTabHeight) return;
  FTabHeight = Value;
  static_cast<TTabStrip*>(TabBar)->SetTabHeight(Value);
  Recreate();
}

void TxpPageControl::SetTabPosition(TxpTabPosition Value) {
  if (Value == FTabPosition) return;
  FTabPosition = Value;
  Recreate();
}

TRect TxpPageControl::ItemRect(int TabIndex) const {
  if (TabIndex < 0 || TabIndex >= TabBar->count() || !TabBar->isTabVisible(TabIndex)) return {};
  return ToTRect(TabBar->tabRect(TabIndex).translated(TabBar->pos()));
}

TRect TxpPageControl::DisplayRect() const {
  // The tab control's display area: inside a border of 3 below the tab row;
  // grown again so that the pages cover that border.
  const int tabBottom = TabBar->geometry().bottom() + 1;
  TRect area{3, tabBottom + 3, width() - 3, height() - 3};
  area.Left -= 3;
  area.Top -= 4;
  area.Right += 3;
  area.Bottom += 3;
  return area;
}

void TxpPageControl::Relayout() {
  const int stripHeight = TabBar->sizeHint().height();
  TabBar->setGeometry(2, 2, std::max(0, width() - 4), stripHeight);
  const TRect area = DisplayRect();
  Stack->setGeometry(area.Left, area.Top, std::max(0, RectWidth(area)), std::max(0, RectHeight(area)));
}

void TxpPageControl::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  Relayout();
}

void TxpPageControl::paintEvent(QPaintEvent* Event) {
  TWidgetPainting painting(*this);
  {
    TvxImageCanvas canvas(painting.Surface());
    canvas.IntersectClip(ToTRect(Event->rect()));
    PaintTabStrip(canvas);
  }
  painting.Finish();
}

void TxpPageControl::PaintTabStrip(TvxCanvas& Canvas) {
  Canvas.BrushClear = false;
  Canvas.BrushColor = FBackgroundColor;
  Canvas.FillRect(Canvas.ClipRect());
  if (PageCount() == 0) return;
  // Hidden tabs keep their index in the Qt tab bar: the tab index is the
  // page index, and a hidden page is only skipped.
  for (int page = 0; page < PageCount(); ++page) {
    if (!TabBar->isTabVisible(page)) continue;
    const int tab = page;
    const TRect item = ItemRect(tab);
    if (FOwnerDraw && OnDrawItem)
      OnDrawItem(this, page, Canvas, item, 0);
    else if (FTabPosition == TxpTabPosition::tpTop)
      PaintTopTab(Canvas, item, page, tab);
    else
      PaintBottomTab(Canvas, item, page, tab);
  }
}

void TxpPageControl::PaintTopTab(TvxCanvas& Canvas, TRect T, int PageIndex, int TabIndex) {
  T.Top -= 2;
  T.Left -= 1;
  T.Right -= 1;
  const bool active = TabBar->currentIndex() == TabIndex;
  const TxpTabSheet* sheet = FPages[static_cast<size_t>(PageIndex)];
  TColor color = 0xBA6D3F;
  if (!active) color = sheet->TabColor() != clNone ? sheet->TabColor() : XPGraphUtil::DarkenColor(FBackgroundColor, 15);
  Canvas.BrushClear = false;
  Canvas.BrushColor = color;
  Canvas.FillRect({T.Left, T.Top - 1, T.Right - 2, T.Bottom});
  DrawTab(PageIndex, Canvas, T, active);
}

void TxpPageControl::PaintBottomTab(TvxCanvas& Canvas, TRect B, int PageIndex, int TabIndex) {
  B.Bottom -= 2;
  const bool active = TabBar->currentIndex() == TabIndex;
  TColor c = FPages[static_cast<size_t>(PageIndex)]->Color();
  if (active) {
    B.Bottom += 1;
    B.Left -= 2;
    B.Right += 1;
  } else {
    B.Right -= 1;
    B.Top += 1;
    c = XPGraphUtil::DarkenColor(c, 5);
  }
  B.Bottom += 1;
  Canvas.BrushClear = false;
  Canvas.BrushColor = c;
  Canvas.PenColor = FBorderColor;
  Canvas.Rectangle({B.Left, B.Top, B.Right, B.Bottom - 6});
  Canvas.RoundRect({B.Left, B.Top + 6, B.Right, B.Bottom}, 6, 6);
  Canvas.FillRect({B.Left + 1, B.Top + 6, B.Right - 1, B.Bottom - 3});
  if (active) {
    Canvas.PenColor = c;
    Canvas.Rectangle({B.Left + 1, B.Top - 1, B.Right - 1, B.Top + 2});
  } else {
    auto line = [&](TColor Pen, int X1, int Y1, int X2, int Y2) {
      Canvas.PenColor = Pen;
      Canvas.MoveTo(X1, Y1);
      Canvas.LineTo(X2, Y2);
    };
    line(XPGraphUtil::DarkenColor(c, 20), B.Right - 2, B.Top + 2, B.Right - 2, B.Bottom - 2);
    line(XPGraphUtil::DarkenColor(c, 10), B.Right - 3, B.Top + 4, B.Right - 3, B.Bottom - 3);
    line(XPGraphUtil::DarkenColor(c, 20), B.Left + 2, B.Bottom - 2, B.Right - 2, B.Bottom - 2);
    line(XPGraphUtil::DarkenColor(c, 10), B.Left + 3, B.Bottom - 3, B.Right - 3, B.Bottom - 3);
  }
  DrawTab(PageIndex, Canvas, B, false);
}

void TxpPageControl::DrawTab(int PageIndex, TvxCanvas& Canvas, const TRect& Rect, bool Active) {
  const TxpTabSheet* sheet = FPages.at(static_cast<size_t>(PageIndex));
  Canvas.BrushClear = true;
  Canvas.Font = sheet->Font();
  TRect text{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2};
  text.Left += FImageList != nullptr ? FImageList->Width() + 6 : -1;
  uint32_t format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
  if (FTabTextAlignment == TAlignment::taRightJustify) format |= DT_RIGHT;
  if (FTabTextAlignment == TAlignment::taCenter) format |= DT_CENTER;
  Canvas.Font.Color = clWhite;
  Canvas.TextRect(text, sheet->Caption(), format);
  Canvas.Font.Color = Active ? clWhite : sheet->Font().Color;
  Canvas.TextRect(text, sheet->Caption(), format);
  if (FImageList != nullptr)
    FImageList->Draw(Canvas, Rect.Left + 4, (Rect.Top + Rect.Bottom - FImageList->Height()) / 2 + 1,
                     sheet->ImageIndex());
}
