// The header strip: picture by module kind, title, subject and gradient.
#include "plugin/ui/TamselInfoPanel.h"

#include <QPainter>

#include "plugin/ui/vxPictures.h"

// The unit's TvxTypes, apart from the core library's namespace of that name.
using TInfoType = TamselInfoPanel::TvxTypes;

namespace {

constexpr TColor SubjectColor = 0x808080;

void TextAt(TvxCanvas& Canvas, int X, int Y, const ustring& Text) {
  const QSize size = Canvas.TextExtent(Text);
  Canvas.TextRect({X, Y, X + size.width(), Y + size.height()}, Text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

TTamselInfoPanel::TTamselInfoPanel(QWidget* Parent) : QWidget(Parent) {
  setFixedHeight(64);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  FFont.Color = SubjectColor;
  FSubject = u"Subject";
  FFont.Color = clBlack;
  FTitle = u"Title";
  const char16_t* names[] = {u"USEREXIT", u"EXPORTSERVICE", u"CONVERSION", u"PLUGIN", u"RECOGNITION"};
  for (size_t i = 0; i < FPictures.size(); ++i) FPictures[i] = vxPictures::LoadPicture(names[i]);
}

void TTamselInfoPanel::SetTitle(const ustring& Value) {
  FFont.Color = clBlack;
  FTitle = Value;
  update();
}

void TTamselInfoPanel::SetSubject(const ustring& Value) {
  FFont.Color = SubjectColor;
  FSubject = Value;
  update();
}

void TTamselInfoPanel::SetFont(const TFont& Value) {
  FFont = Value;
  update();
}

void TTamselInfoPanel::SetStartColor(TColor Value) {
  FStartColor = Value;
  update();
}

void TTamselInfoPanel::SetEndeColor(TColor Value) {
  FEndeColor = Value;
  update();
}

void TTamselInfoPanel::SetGradientOrientation(TGradientOrientation Value) {
  FGradientOrientation = Value;
  update();
}

void TTamselInfoPanel::SetPicture(const QImage& Value) {
  FPicture = Value;
  update();
}

TInfoType TTamselInfoPanel::PanelType() {
  if (FPanelType != TInfoType::Custom) {
    FFont = TFont{};
    setFixedHeight(64);
    FGradientOrientation = TGradientOrientation::goLeft2Right;
    FStartColor = clWhite;
    FEndeColor = 0xEFEFEF;
    update();
  }
  return FPanelType;
}

void TTamselInfoPanel::SetPanelType(TInfoType Value) {
  FPanelType = Value;
  switch (Value) {
    case TInfoType::Custom:
    case TInfoType::Plugin_Custom:
      FSubjectFromModule = false;
      break;
    default: {
      FSubjectFromModule = true;
      SetSubject(vxVCLTools::GetModuleDescription());
      const char16_t* title = Value == TInfoType::UserExit        ? u"Configure userexit"
                              : Value == TInfoType::Exportservice ? u"Configure exportservice"
                              : Value == TInfoType::Conversion    ? u"Configure conversion engine"
                              : Value == TInfoType::Recognition   ? u"Configure recognition engine"
                                                                 : u"Configure plugin engine";
      SetTitle(title);
    }
  }
  update();
}

const QImage& TTamselInfoPanel::TypePicture() const {
  switch (FPanelType) {
    case TInfoType::UserExit: return FPictures[0];
    case TInfoType::Exportservice: return FPictures[1];
    case TInfoType::Conversion: return FPictures[2];
    case TInfoType::Plugin:
    case TInfoType::Plugin_Custom: return FPictures[3];
    case TInfoType::Recognition: return FPictures[4];
    case TInfoType::Custom: break;
  }
  return FPicture;
}

void TTamselInfoPanel::PaintTo(TvxCanvas& Canvas) {
  if (FSubjectFromModule && FFirstPaint) {
    FSubject = vxVCLTools::PlaceholderRule(vxVCLTools::GetModuleDescription());
    FFirstPaint = false;
  }
  const int w = width();
  const int h = height();
  Canvas.Font = FFont;
  Canvas.BrushClear = false;
  Canvas.BrushColor = clWhite;
  Canvas.FillRect(Canvas.ClipRect());
  FColorRow = {FStartColor, FEndeColor};
  vxVCLTools::DrawMultiGradient(Canvas, {64, 0, w, h}, FColorRow, FGradientOrientation);
  Canvas.DrawFocusRect({0, 0, w, h});
  Canvas.Font.Color = clBlack;
  TextAt(Canvas, 72, 16, FTitle);
  Canvas.Font.Color = SubjectColor;
  TextAt(Canvas, 72, 32, FSubject);
  Canvas.DrawFocusRect({8, 8, 56, 56});
  Canvas.Draw(8, 8, TypePicture());
  Canvas.PenColor = FStartColor;
  Canvas.MoveTo(8, 8);
  Canvas.LineTo(55, 8);
  Canvas.LineTo(55, 55);
  Canvas.LineTo(8, 55);
  Canvas.LineTo(8, 8);
}

void TTamselInfoPanel::paintEvent(QPaintEvent*) {
  QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    TvxImageCanvas canvas(image);
    PaintTo(canvas);
  }
  QPainter(this).drawImage(0, 0, image);
}
