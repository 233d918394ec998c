// Version texts of the user-interface module and the header's line gradients.
#include "plugin/ui/vxVCLTools.h"

#include <cmath>
#include <mutex>

#include "core/vxToolsModule.h"
#include "core/vxVersionTools.h"
#include "core/vxConversion.h"
#include "platform/base/vxRuntime.h"
#include "platform/version/vxModule.h"

namespace vxVCLTools {

namespace {

constexpr char16_t Unknown[] = u"Unknown";

std::mutex ModuleLock;
ustring ModuleOverride;

// Nearest integer, halves to the even one, whatever the floating-point
// rounding mode of the host process.
int64_t RoundHalfEven(double Value) {
  const double floor = std::floor(Value);
  const double fraction = Value - floor;
  auto result = static_cast<int64_t>(floor);
  if (fraction > 0.5 || (fraction == 0.5 && (result & 1) != 0)) ++result;
  return result;
}

}  // namespace

bool ReadVersionInfo(const ustring& FileName, TFileInfo& Info) {
  try {
    return ReadFileInfo(FileName, Info);
  } catch (...) {
    return false;
  }
}

bool ReadFixedFileVersion(const ustring& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Release,
                          uint16_t& Build) {
  Major = Minor = Release = Build = 0;
  try {
    return TvxVersionTools::GetInternalFileVersion(FileName, Major, Minor, Release, Build);
  } catch (...) {
    Major = Minor = Release = Build = 0;
    return false;
  }
}

ustring GetFileVersionText(const ustring& FileName) {
  uint16_t major = 0, minor = 0, release = 0, build = 0;
  if (!ReadFixedFileVersion(FileName, major, minor, release, build)) return Unknown;
  std::string text;
  for (const uint16_t part : {major, minor, release, build}) {
    if (!text.empty()) text.push_back('.');
    text.append(TvxConversion::IntToStr(part));
  }
  return ustring(text.begin(), text.end());  // digits and dots only
}

ustring ModuleFileName() {
  {
    const std::lock_guard lock(ModuleLock);
    if (!ModuleOverride.empty()) return ModuleOverride;
  }
  return vxModule::OwnModuleFileName();
}

void SetModuleFileName(const ustring& FileName) {
  const std::lock_guard lock(ModuleLock);
  ModuleOverride = FileName;
}

ustring GetModuleDescription() {
  TFileInfo info;
  return ReadVersionInfo(ModuleFileName(), info) ? info.FileDescription : ustring(Unknown);
}

ustring GetModuleCopyright() {
  TFileInfo info;
  return ReadVersionInfo(ModuleFileName(), info) ? info.LegalCopyright : ustring(Unknown);
}

ustring GetModuleVersionText() {
  const ustring module = ModuleFileName();
  TFileInfo info;
  if (!ReadVersionInfo(module, info)) return u"Unknown build";
  return GetFileVersionText(module) + u" (rel. " + info.ProductVersion + u")";
}

ustring PlaceholderRule(const ustring& Text) {
  return vxRuntime::Trim(Text).starts_with(u"#####") ? ustring(u"#####") : Text;
}

void DrawGradient(TvxCanvas& Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                  TGradientOrientation Orientation) {
  if (Orientation == TGradientOrientation::goRadInner2Outer) return;
  const bool horizontal = Orientation == TGradientOrientation::goLeft2Right;
  const int n = horizontal ? RectWidth(Rect) : RectHeight(Rect);
  if (n == 0) return;
  const double stepR = (static_cast<double>(GetRValue(EndColor)) - GetRValue(StartColor)) / n;
  const double stepG = (static_cast<double>(GetGValue(EndColor)) - GetGValue(StartColor)) / n;
  const double stepB = (static_cast<double>(GetBValue(EndColor)) - GetBValue(StartColor)) / n;
  for (int i = 0; i <= n; ++i) {
    Canvas.PenColor = RGB(static_cast<uint32_t>(RoundHalfEven(GetRValue(StartColor) + stepR * i)),
                          static_cast<uint32_t>(RoundHalfEven(GetGValue(StartColor) + stepG * i)),
                          static_cast<uint32_t>(RoundHalfEven(GetBValue(StartColor) + stepB * i)));
    if (horizontal) {
      Canvas.MoveTo(Rect.Left + i, Rect.Top);
      Canvas.LineTo(Rect.Left + i, Rect.Bottom);
    } else {
      Canvas.MoveTo(Rect.Left, Rect.Top + i);
      Canvas.LineTo(Rect.Right, Rect.Top + i);
    }
  }
}

void DrawMultiGradient(TvxCanvas& Canvas, const TRect& Rect, const TGradRow& Colors,
                       TGradientOrientation Orientation) {
  if (Orientation == TGradientOrientation::goRadInner2Outer || Colors.size() < 2) return;
  const int parts = static_cast<int>(Colors.size()) - 1;
  const bool horizontal = Orientation == TGradientOrientation::goLeft2Right;
  const int step = (horizontal ? RectWidth(Rect) : RectHeight(Rect)) / parts;
  for (int i = 0; i < parts; ++i) {
    TRect part = Rect;
    if (horizontal) {
      part.Left = Rect.Left + i * step;
      part.Right = Rect.Left + (i + 1) * step;
    } else {
      part.Top = Rect.Top + i * step;
      part.Bottom = Rect.Top + (i + 1) * step;
    }
    DrawGradient(Canvas, part, Colors[static_cast<size_t>(i)], Colors[static_cast<size_t>(i) + 1], Orientation);
  }
}

}  // namespace vxVCLTools
