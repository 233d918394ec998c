// The About page's panel: product name, copyright and version of this
// module, an optional picture and an optional line of further information.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "plugin/ui/vxCanvas.h"

namespace TamselAboutPanel {
enum class TvxTypes : uint8_t { Tamsel, Custom };
}

class TTamselAboutPanel : public QWidget {
 public:
  explicit TTamselAboutPanel(QWidget* Parent = nullptr);

  ustring ProductName() const { return FProductName; }
  virtual void SetProductName(const ustring& Value);
  ustring CopyRight() const { return FCopyRight; }
  void SetCopyRight(const ustring& Value);
  ustring ProgramVersion() const { return FProgramVersion; }
  void SetProgramVersion(const ustring& Value);
  ustring AdditionalInfo() const { return FAdditionalInfo; }
  void SetAdditionalInfo(const ustring& Value);
  bool UnicodeReady() const { return FUnicodeReady; }
  void SetUnicodeReady(bool Value);
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& Value);
  const QImage& Picture() const { return FPicture; }
  void SetPicture(const QImage& Value);
  // A stored 0 reads (and is kept) as 16 and 80.
  int PictureLeft();
  void SetPictureLeft(int Value);
  int PictureTop();
  void SetPictureTop(int Value);
  // Reading Tamsel restores the standard font and the module's texts; every
  // read repaints.
  TamselAboutPanel::TvxTypes PanelType();
  void SetPanelType(TamselAboutPanel::TvxTypes Value);

  // The panel as it paints itself.
  void PaintTo(TvxCanvas& Canvas);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  void TakeModuleTexts();
  ustring FProductName;
  ustring FCopyRight;
  ustring FProgramVersion;
  bool FUnicodeReady = true;
  ustring FAdditionalInfo;
  TFont FFont;
  QImage FPicture;
  int FPictureTop = 0;
  int FPictureLeft = 0;
  TamselAboutPanel::TvxTypes FPanelType = TamselAboutPanel::TvxTypes::Tamsel;
  bool FPainted = false;
};
