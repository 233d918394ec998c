// The drawing surface of the user-interface library: colours as $00BBGGRR
// values with the system colours from one fixed table, rectangles with an
// exclusive right and bottom edge, and a small canvas interface with the
// pixel rules of the classic Windows drawing calls (a line leaves out its
// last pixel, an outline lies inside its rectangle), drawn on a QImage.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <vector>

#include "platform/base/vxBase.h"
#include "platform/base/vxGeometry.h"

using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clNone = 0x1FFFFFFF;
// What a pixel read outside the surface gives.
constexpr TColor CLR_INVALID = 0xFFFFFFFF;

// A system colour (high byte $FF) becomes its entry of the fixed table
// (unknown entries black); any other value is returned as it stands.
TColor ColorToRGB(TColor Color);
// The RGB bytes of Color's low 24 bits, as a Qt colour.
QColor ToQColor(TColor Color);
// The $00BBGGRR value of a Qt colour.
TColor FromQColor(QColor Color);
constexpr uint8_t GetRValue(TColor C) { return static_cast<uint8_t>(C); }
constexpr uint8_t GetGValue(TColor C) { return static_cast<uint8_t>(C >> 8); }
constexpr uint8_t GetBValue(TColor C) { return static_cast<uint8_t>(C >> 16); }
constexpr TColor RGB(uint32_t R, uint32_t G, uint32_t B) { return (R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16); }

// The rounded a * b / c of the system's MulDiv (halves away from zero); -1
// when c is 0.
int32_t MulDiv(int32_t A, int32_t B, int32_t C);

// Rectangles are the platform's, right and bottom edges excluded.
inline int RectWidth(const TRect& R) { return R.Right - R.Left; }
inline int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
// Whether R covers no pixel.
inline bool IsEmptyArea(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
inline QRect ToQRect(const TRect& R) { return QRect(R.Left, R.Top, RectWidth(R), RectHeight(R)); }
inline TRect ToTRect(const QRect& R) { return {R.left(), R.top(), R.left() + R.width(), R.top() + R.height()}; }

// A font as the controls keep it: name, size in points, bold, colour.
struct TFont {
  ustring Name = u"Tahoma";
  int Size = 8;
  bool Bold = false;
  TColor Color = clBlack;
  // Aliased, so that text pixels carry exactly the text colour.
  QFont ToQFont() const;
  friend bool operator==(const TFont&, const TFont&) = default;
};

// Text formats of DrawText.
enum TTextFormat : uint32_t {
  DT_LEFT = 0x0,
  DT_CENTER = 0x1,
  DT_RIGHT = 0x2,
  DT_VCENTER = 0x4,
  DT_SINGLELINE = 0x20,
  DT_NOPREFIX = 0x800,
  DT_END_ELLIPSIS = 0x8000,
};

// The canvas: a pen, a brush and a font, and the drawing operations the
// controls use. Rectangles exclude their right and bottom edge.
class TvxCanvas {
 public:
  virtual ~TvxCanvas() = default;

  TColor PenColor = clBlack;
  TColor BrushColor = clWhite;
  bool BrushClear = false;
  TFont Font;

  // The rectangle filled with the brush colour (whatever the brush style).
  virtual void FillRect(const TRect& R) = 0;
  // A one-pixel outline inside R in the brush colour.
  virtual void FrameRect(const TRect& R) = 0;
  // A one-pixel pen outline inside R, filled with the brush unless clear.
  virtual void Rectangle(const TRect& R) = 0;
  // The same with corners rounded by an ellipse of W x H.
  virtual void RoundRect(const TRect& R, int W, int H) = 0;
  void MoveTo(int X, int Y) { PenPos = {X, Y}; }
  // A pen line from the pen position to (X, Y) without its last pixel.
  virtual void LineTo(int X, int Y) = 0;
  virtual TColor Pixel(int X, int Y) const = 0;
  // The dotted outline of R that a second call removes again.
  virtual void DrawFocusRect(const TRect& R) = 0;
  virtual QSize TextExtent(const ustring& Text) const = 0;
  virtual void TextRect(const TRect& R, const ustring& Text, uint32_t Format) = 0;
  virtual void Draw(int X, int Y, const QImage& Image) = 0;
  virtual void StretchDraw(const TRect& R, const QImage& Image) = 0;
  // The area drawing may reach, in canvas coordinates.
  virtual TRect ClipRect() const = 0;
  // Saves the clip, narrows it to R; RestoreClip takes the saved one back.
  virtual void IntersectClip(const TRect& R) = 0;
  virtual void RestoreClip() = 0;

 protected:
  TPoint PenPos;
};

// The canvas on a QImage (32-bit RGB). It paints while it exists.
class TvxImageCanvas final : public TvxCanvas {
 public:
  explicit TvxImageCanvas(QImage& Image);
  ~TvxImageCanvas() override;
  TvxImageCanvas(const TvxImageCanvas&) = delete;
  TvxImageCanvas& operator=(const TvxImageCanvas&) = delete;

  void FillRect(const TRect& R) override;
  void FrameRect(const TRect& R) override;
  void Rectangle(const TRect& R) override;
  void RoundRect(const TRect& R, int W, int H) override;
  void LineTo(int X, int Y) override;
  TColor Pixel(int X, int Y) const override;
  void DrawFocusRect(const TRect& R) override;
  QSize TextExtent(const ustring& Text) const override;
  void TextRect(const TRect& R, const ustring& Text, uint32_t Format) override;
  void Draw(int X, int Y, const QImage& Image) override;
  void StretchDraw(const TRect& R, const QImage& Image) override;
  TRect ClipRect() const override;
  void IntersectClip(const TRect& R) override;
  void RestoreClip() override;

 private:
  void Fill(const TRect& R, TColor Color);
  QImage& Image;
  QPainter Painter;
  std::vector<QRect> Clips;
};

// Ustring and QString, both UTF-16.
QString ToQString(const ustring& Text);
ustring FromQString(const QString& Text);
