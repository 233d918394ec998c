// The About panel: its texts from the module's version block on first paint.
#include "plugin/ui/TamselAboutPanel.h"

#include <QPainter>

#include "plugin/ui/vxVCLTools.h"

// The unit's TvxTypes, apart from the core library's namespace of that name.
using TAboutType = TamselAboutPanel::TvxTypes;

namespace {

constexpr TColor PanelColor = 0xEFEFEF;

// Text at (X, Y) in a rectangle of its own size, the way the panels write.
void TextAt(TvxCanvas& Canvas, int X, int Y, const ustring& Text) {
  const QSize size = Canvas.TextExtent(Text);
  Canvas.TextRect({X, Y, X + size.width(), Y + size.height()}, Text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

TTamselAboutPanel::TTamselAboutPanel(QWidget* Parent) : QWidget(Parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  TakeModuleTexts();
}

void TTamselAboutPanel::TakeModuleTexts() {
  FProductName = vxVCLTools::GetModuleDescription();
  FCopyRight = vxVCLTools::GetModuleCopyright();
  FProgramVersion = u"Version " + vxVCLTools::GetModuleVersionText();
}

void TTamselAboutPanel::SetProductName(const ustring& Value) {
  FProductName = Value;
  update();
}

void TTamselAboutPanel::SetCopyRight(const ustring& Value) {
  FCopyRight = Value;
  update();
}

void TTamselAboutPanel::SetProgramVersion(const ustring& Value) {
  FProgramVersion = Value;
  update();
}

void TTamselAboutPanel::SetAdditionalInfo(const ustring& Value) {
  FAdditionalInfo = Value;
  update();
}

void TTamselAboutPanel::SetUnicodeReady(bool Value) {
  FUnicodeReady = Value;
  update();
}

void TTamselAboutPanel::SetFont(const TFont& Value) {
  FFont = Value;
  update();
}

void TTamselAboutPanel::SetPicture(const QImage& Value) {
  FPicture = Value;
  update();
}

int TTamselAboutPanel::PictureLeft() {
  if (FPictureLeft == 0) FPictureLeft = 16;
  return FPictureLeft;
}

void TTamselAboutPanel::SetPictureLeft(int Value) {
  FPictureLeft = Value == 0 ? 16 : Value;
  update();
}

int TTamselAboutPanel::PictureTop() {
  if (FPictureTop == 0) FPictureTop = 80;
  return FPictureTop;
}

void TTamselAboutPanel::SetPictureTop(int Value) {
  FPictureTop = Value == 0 ? 80 : Value;
  update();
}

TAboutType TTamselAboutPanel::PanelType() {
  if (FPanelType == TAboutType::Tamsel) {
    FFont = TFont{};
    TakeModuleTexts();
  }
  update();
  return FPanelType;
}

void TTamselAboutPanel::SetPanelType(TAboutType Value) {
  FPanelType = Value;
  update();
}

void TTamselAboutPanel::PaintTo(TvxCanvas& Canvas) {
  if (!FPainted) {
    FPainted = true;
    FProductName = vxVCLTools::PlaceholderRule(vxVCLTools::GetModuleDescription());
    const ustring version = vxVCLTools::PlaceholderRule(vxVCLTools::GetModuleVersionText());
    FProgramVersion = u"Version " + version;
    FCopyRight = vxVCLTools::PlaceholderRule(vxVCLTools::GetModuleCopyright());
  }
  const int w = width();
  const int h = height();
  Canvas.Font = FFont;
  Canvas.BrushClear = false;
  Canvas.BrushColor = PanelColor;
  Canvas.FillRect(Canvas.ClipRect());
  Canvas.BrushClear = true;
  Canvas.DrawFocusRect({0, 0, w, h});
  Canvas.Font.Color = clBlack;
  Canvas.Font.Bold = true;
  TextAt(Canvas, 16, 16, FProductName);
  Canvas.Font.Bold = false;
  TextAt(Canvas, 16, 32, FCopyRight);
  TextAt(Canvas, 16, 48, FProgramVersion);
  if (!FPicture.isNull()) {
    // A panel made in code paints its picture where its properties say
    // (16, 80 until set), not at the stored zeros.
    const int left = PictureLeft();
    const int top = PictureTop();
    Canvas.DrawFocusRect({left, top, left + FPicture.width(), top + FPicture.height()});
    Canvas.Draw(left, top, FPicture);
  }
  if (!FAdditionalInfo.empty()) {
    const int textHeight = Canvas.TextExtent(FAdditionalInfo).height();
    TextAt(Canvas, 16, h - textHeight - (FUnicodeReady ? 32 : 16), FAdditionalInfo);
  }
}

void TTamselAboutPanel::paintEvent(QPaintEvent*) {
  QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    TvxImageCanvas canvas(image);
    PaintTo(canvas);
  }
  QPainter(this).drawImage(0, 0, image);
}
