// Helpers of the user-interface tests: an image canvas of a given size and
// colour, pixel reads as $00BBGGRR, the module the version texts come from
// for one test, and the folder where renderings are saved as PNG.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QString>
#include <string>

#include "plugin/ui/vxCanvas.h"
#include "plugin/ui/vxVCLTools.h"

namespace vxUiTest {

inline QImage Surface(int Width, int Height, TColor Fill = 0x123456) {
  QImage image(Width, Height, QImage::Format_RGB32);
  image.fill(ToQColor(Fill));
  return image;
}

inline TColor PixelOf(const QImage& Image, int X, int Y) { return FromQColor(QColor(Image.pixel(X, Y))); }

// The version texts read FileName's block until the end of the scope.
class TModuleGuard {
 public:
  explicit TModuleGuard(const char* FileName) {
    const std::string name(FileName);
    vxVCLTools::SetModuleFileName(ustring(name.begin(), name.end()));
  }
  ~TModuleGuard() { vxVCLTools::SetModuleFileName(u""); }
  TModuleGuard(const TModuleGuard&) = delete;
  TModuleGuard& operator=(const TModuleGuard&) = delete;
};

// Saves a rendering under the build folder for a reader to look at.
inline void SavePng(const QImage& Image, const char* Name) {
  const QString folder = QStringLiteral(VX_UI_PNG_DIR);
  ASSERT_TRUE(QDir().mkpath(folder));
  EXPECT_TRUE(Image.save(folder + "/" + Name + ".png", "PNG"));
}

}  // namespace vxUiTest
