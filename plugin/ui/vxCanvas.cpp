// The canvas on a QImage with the pixel rules of the classic drawing calls,
// and the fixed table of system colours.
#include "plugin/ui/vxCanvas.h"

#include <QFontMetrics>
#include <array>
#include <cstdlib>

namespace {

// The system colours as $00BBGGRR, indexed by the low byte of a system
// colour value: the platform's standard light scheme, fixed so that every
// machine paints alike.
constexpr std::array<TColor, 31> SystemColors = {
    0xC8C8C8,  // scroll bar
    0x000000,  // desktop
    0xD1B499,  // active caption
    0xDBCDBF,  // inactive caption
    0xF0F0F0,  // menu
    0xFFFFFF,  // window
    0x646464,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0x000000,  // caption text
    0xB4B4B4,  // active border
    0xFCF7F4,  // inactive border
    0xABABAB,  // application workspace
    0xD77800,  // highlight
    0xFFFFFF,  // highlight text
    0xF0F0F0,  // button face
    0xA0A0A0,  // button shadow
    0x6D6D6D,  // grey text
    0x000000,  // button text
    0x000000,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x696969,  // 3D dark shadow
    0xE3E3E3,  // 3D light
    0x000000,  // info text
    0xE1FFFF,  // info background
    0x000000,  // (unused)
    0xCC6600,  // hot light
    0xEAD1B9,  // gradient active caption
    0xF2E4D7,  // gradient inactive caption
    0xD77800,  // menu highlight
    0xF0F0F0,  // menu bar
};

}  // namespace

TColor ColorToRGB(TColor Color) {
  if ((Color & 0xFF000000u) != 0xFF000000u) return Color;
  const uint32_t index = Color & 0xFF;
  return index < SystemColors.size() ? SystemColors[index] : clBlack;
}

QColor ToQColor(TColor Color) { return QColor(GetRValue(Color), GetGValue(Color), GetBValue(Color)); }

TColor FromQColor(QColor Color) {
  return RGB(static_cast<uint32_t>(Color.red()), static_cast<uint32_t>(Color.green()),
             static_cast<uint32_t>(Color.blue()));
}

int32_t MulDiv(int32_t A, int32_t B, int32_t C) {
  if (C == 0) return -1;
  int64_t a = A;
  int64_t c = C;
  if (c < 0) {
    a = -a;
    c = -c;
  }
  const int64_t product = a * B;
  const int64_t rounded = product >= 0 ? (product + c / 2) / c : (product - c / 2) / c;
  return static_cast<int32_t>(rounded);
}

QString ToQString(const ustring& Text) {
  return QString(reinterpret_cast<const QChar*>(Text.data()), static_cast<qsizetype>(Text.size()));
}

ustring FromQString(const QString& Text) {
  return ustring(reinterpret_cast<const char16_t*>(Text.utf16()), static_cast<size_t>(Text.size()));
}

QFont TFont::ToQFont() const {
  QFont font(ToQString(Name));
  font.setPointSize(Size > 0 ? Size : 8);
  font.setBold(Bold);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

TvxImageCanvas::TvxImageCanvas(QImage& Image) : Image(Image), Painter(&Image) {
  Painter.setRenderHint(QPainter::Antialiasing, false);
  Painter.setRenderHint(QPainter::TextAntialiasing, false);
}

TvxImageCanvas::~TvxImageCanvas() { Painter.end(); }

void TvxImageCanvas::Fill(const TRect& R, TColor Color) {
  if (IsEmptyArea(R)) return;
  Painter.fillRect(ToQRect(R), ToQColor(ColorToRGB(Color)));
}

void TvxImageCanvas::FillRect(const TRect& R) { Fill(R, BrushColor); }

void TvxImageCanvas::FrameRect(const TRect& R) {
  if (IsEmptyArea(R)) return;
  Fill({R.Left, R.Top, R.Right, R.Top + 1}, BrushColor);
  Fill({R.Left, R.Bottom - 1, R.Right, R.Bottom}, BrushColor);
  Fill({R.Left, R.Top, R.Left + 1, R.Bottom}, BrushColor);
  Fill({R.Right - 1, R.Top, R.Right, R.Bottom}, BrushColor);
}

void TvxImageCanvas::Rectangle(const TRect& R) {
  if (IsEmptyArea(R)) return;
  if (!BrushClear) Fill(R, BrushColor);
  Fill({R.Left, R.Top, R.Right, R.Top + 1}, PenColor);
  Fill({R.Left, R.Bottom - 1, R.Right, R.Bottom}, PenColor);
  Fill({R.Left, R.Top, R.Left + 1, R.Bottom}, PenColor);
  Fill({R.Right - 1, R.Top, R.Right, R.Bottom}, PenColor);
}

void TvxImageCanvas::RoundRect(const TRect& R, int W, int H) {
  if (IsEmptyArea(R)) return;
  Painter.save();
  Painter.setPen(QPen(ToQColor(ColorToRGB(PenColor)), 0));
  Painter.setBrush(BrushClear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(ColorToRGB(BrushColor))));
  // An aliased cosmetic outline of (x, y, w, h) covers x..x+w: so one less.
  Painter.drawRoundedRect(QRect(R.Left, R.Top, RectWidth(R) - 1, RectHeight(R) - 1), W / 2.0, H / 2.0);
  Painter.restore();
}

void TvxImageCanvas::LineTo(int X, int Y) {
  // Bresenham from the pen position, the end point left out.
  const QColor color = ToQColor(ColorToRGB(PenColor));
  int x = PenPos.X;
  int y = PenPos.Y;
  const int dx = std::abs(X - x);
  const int dy = -std::abs(Y - y);
  const int sx = x < X ? 1 : -1;
  const int sy = y < Y ? 1 : -1;
  int error = dx + dy;
  while (x != X || y != Y) {
    Painter.fillRect(QRect(x, y, 1, 1), color);
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y += sy;
    }
  }
  PenPos = {X, Y};
}

TColor TvxImageCanvas::Pixel(int X, int Y) const {
  if (!Image.valid(X, Y)) return CLR_INVALID;
  return FromQColor(QColor(Image.pixel(X, Y)));
}

void TvxImageCanvas::DrawFocusRect(const TRect& R) {
  if (IsEmptyArea(R)) return;
  // Every other pixel of the outline inverted, as an XOR pen does.
  auto invert = [&](int X, int Y) {
    if (!Image.valid(X, Y) || ((X + Y) & 1) != 0) return;
    const QRgb value = Image.pixel(X, Y);
    Image.setPixel(X, Y, qRgb(255 - qRed(value), 255 - qGreen(value), 255 - qBlue(value)));
  };
  for (int x = R.Left; x < R.Right; ++x) {
    invert(x, R.Top);
    if (R.Bottom - 1 != R.Top) invert(x, R.Bottom - 1);
  }
  for (int y = R.Top + 1; y < R.Bottom - 1; ++y) {
    invert(R.Left, y);
    if (R.Right - 1 != R.Left) invert(R.Right - 1, y);
  }
}

QSize TvxImageCanvas::TextExtent(const ustring& Text) const {
  const QFontMetrics metrics(Font.ToQFont(), &Image);
  return QSize(metrics.horizontalAdvance(ToQString(Text)), metrics.height());
}

void TvxImageCanvas::TextRect(const TRect& R, const ustring& Text, uint32_t Format) {
  if (IsEmptyArea(R)) return;
  const QFont font = Font.ToQFont();
  const QFontMetrics metrics(font, &Image);
  QString text = ToQString(Text);
  if ((Format & DT_END_ELLIPSIS) != 0) text = metrics.elidedText(text, Qt::ElideRight, RectWidth(R));
  int flags = Qt::TextSingleLine;
  flags |= (Format & DT_CENTER) != 0 ? Qt::AlignHCenter : (Format & DT_RIGHT) != 0 ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (Format & DT_VCENTER) != 0 ? Qt::AlignVCenter : Qt::AlignTop;
  Painter.save();
  // An opaque brush paints the text's background, as an opaque mode does.
  if (!BrushClear) Fill(R, BrushColor);
  Painter.setClipRect(ToQRect(R), Painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  Painter.setFont(font);
  Painter.setPen(ToQColor(ColorToRGB(Font.Color)));
  Painter.drawText(ToQRect(R), flags, text);
  Painter.restore();
}

void TvxImageCanvas::Draw(int X, int Y, const QImage& Picture) {
  if (!Picture.isNull()) Painter.drawImage(X, Y, Picture);
}

void TvxImageCanvas::StretchDraw(const TRect& R, const QImage& Picture) {
  if (!Picture.isNull() && !IsEmptyArea(R)) Painter.drawImage(ToQRect(R), Picture);
}

TRect TvxImageCanvas::ClipRect() const {
  const QRect all = Image.rect();
  return ToTRect(Clips.empty() ? all : Clips.back().intersected(all));
}

void TvxImageCanvas::IntersectClip(const TRect& R) {
  const QRect current = Clips.empty() ? Image.rect() : Clips.back();
  Clips.push_back(current.intersected(ToQRect(R)));
  Painter.setClipRect(Clips.back());
}

void TvxImageCanvas::RestoreClip() {
  if (Clips.empty()) return;
  Clips.pop_back();
  if (Clips.empty())
    Painter.setClipping(false);
  else
    Painter.setClipRect(Clips.back());
}
