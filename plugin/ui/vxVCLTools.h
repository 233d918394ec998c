// The version texts of the user-interface module (its own version block, or
// a named file's) and the line gradients of the dialog's header.
#pragma once

#include <cstdint>
#include <vector>

#include "core/vxTypes.h"
#include "plugin/ui/vxCanvas.h"

using TFileInfo = TvxFileInfo;

enum class TGradientOrientation : uint8_t { goLeft2Right, goTop2Bottom, goRadInner2Outer };
using TGradRow = std::vector<TColor>;

namespace vxVCLTools {

// The ten texts of FileName's version block under its first translation,
// trimmed; False (every field "Unknown" without a block) on any failure.
bool ReadVersionInfo(const ustring& FileName, TFileInfo& Info);
// The fixed file version; all 0 and False for a missing or unversioned file.
bool ReadFixedFileVersion(const ustring& FileName, uint16_t& Major, uint16_t& Minor, uint16_t& Release,
                          uint16_t& Build);
// "Major.Minor.Release.Build", or "Unknown".
ustring GetFileVersionText(const ustring& FileName);

// The module whose version block the next three read: this library's own
// file unless a test named another one (an empty name restores it).
ustring ModuleFileName();
void SetModuleFileName(const ustring& FileName);
// FileDescription, or "Unknown".
ustring GetModuleDescription();
// LegalCopyright, or "Unknown".
ustring GetModuleCopyright();
// File version + " (rel. " + ProductVersion + ")", or "Unknown build".
ustring GetModuleVersionText();

// A text from a version block that begins with "#####" (after trimming) is
// an unfilled placeholder and shows as "#####".
ustring PlaceholderRule(const ustring& Text);

// Lines from StartColor to EndColor, one per pixel and one more on the far
// edge; channels taken as they stand.
void DrawGradient(TvxCanvas& Canvas, const TRect& Rect, TColor StartColor, TColor EndColor,
                  TGradientOrientation Orientation);
// Consecutive line gradients through Colors over equal parts of Rect.
void DrawMultiGradient(TvxCanvas& Canvas, const TRect& Rect, const TGradRow& Colors,
                       TGradientOrientation Orientation);

}  // namespace vxVCLTools
