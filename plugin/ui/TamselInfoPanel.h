// The dialog's header strip: a 48 x 48 picture of the module's kind, a title,
// a subject line and a two-colour gradient.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>

#include "plugin/ui/vxCanvas.h"
#include "plugin/ui/vxVCLTools.h"

namespace TamselInfoPanel {
enum class TvxTypes : uint8_t { UserExit, Exportservice, Conversion, Recognition, Plugin, Plugin_Custom, Custom };
}

class TTamselInfoPanel : public QWidget {
 public:
  // Raises EResNotFound when one of the built-in pictures is missing.
  explicit TTamselInfoPanel(QWidget* Parent = nullptr);

  ustring Title() const { return FTitle; }
  void SetTitle(const ustring& Value);
  ustring Subject() const { return FSubject; }
  void SetSubject(const ustring& Value);
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& Value);
  TColor StartColor() const { return FStartColor; }
  void SetStartColor(TColor Value);
  TColor EndeColor() const { return FEndeColor; }
  void SetEndeColor(TColor Value);
  TGradientOrientation GradientOrientation() const { return FGradientOrientation; }
  void SetGradientOrientation(TGradientOrientation Value);
  // Reading a type other than Custom restores the standard look.
  TamselInfoPanel::TvxTypes PanelType();
  void SetPanelType(TamselInfoPanel::TvxTypes Value);
  const QImage& Picture() const { return FPicture; }
  void SetPicture(const QImage& Value);
  bool Scroll() const { return FScroll; }
  void SetScroll(bool Value) { FScroll = Value; }

  // The picture painted for the current type.
  const QImage& TypePicture() const;
  // The panel as it paints itself.
  void PaintTo(TvxCanvas& Canvas);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  ustring FTitle;
  ustring FSubject;
  TFont FFont;
  TColor FStartColor = clWhite;
  TColor FEndeColor = 0xEFEFEF;
  TGradientOrientation FGradientOrientation = TGradientOrientation::goLeft2Right;
  TamselInfoPanel::TvxTypes FPanelType = TamselInfoPanel::TvxTypes::Custom;
  QImage FPicture;
  bool FScroll = false;
  bool FSubjectFromModule = false;
  bool FFirstPaint = true;
  TGradRow FColorRow;
  // USEREXIT, EXPORTSERVICE, CONVERSION, PLUGIN, RECOGNITION.
  std::array<QImage, 5> FPictures;
};
