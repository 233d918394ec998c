// TvxTypes: the rectangle records and their comma-separated texts, sets of
// enumeration members as text.
#include "core/vxTypesRectsSets.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "core/vxConversion.h"
#include "core/vxMath.h"
#include "platform/base/vxCodePage.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/text/vxNumberText.h"

namespace TvxTypes {
namespace {

// 32-bit edge arithmetic wraps as the stored 32-bit fields do, without the
// undefined behaviour of a signed overflow.
int32_t Wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

int32_t Inclusive(int32_t start, int32_t extent) {
  return Wrap32(int64_t{start} + extent - (extent > 0 ? 1 : 0));
}

double Inclusive(double start, double extent) { return extent > 0 ? start + extent - 1 : start + extent; }

// Halves to the even neighbour; beyond the 32-bit range its nearest end,
// NaN 0.
int32_t Round32(double value) {
  const int64_t rounded = TvxMath::RoundExt(value, TvxRoundMode::Nearest);
  return static_cast<int32_t>(
      std::clamp<int64_t>(rounded, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The parts of a text split at ",", as the readers see them once a "," is
// appended: 'a,b' gives two parts, the empty text one empty part.
std::vector<ustring> Parts(const ustring& text) {
  std::vector<ustring> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(u',', start);
    parts.push_back(text.substr(start, comma == ustring::npos ? ustring::npos : comma - start));
    if (comma == ustring::npos) return parts;
    start = comma + 1;
  }
}

// The four numbers of a rectangle text; missing parts count as empty.
template <class T, class Read>
std::array<T, 4> FourParts(const ustring& text, Read read) {
  const std::vector<ustring> parts = Parts(text);
  std::array<T, 4> values{};
  for (size_t i = 0; i < values.size(); ++i) values[i] = read(i < parts.size() ? parts[i] : ustring());
  return values;
}

double ReadReal(const ustring& part) { return TvxConversion::StrToReal(part, false, 0); }

std::optional<int32_t> ReadInt32(const ustring& part) {
  int32_t value = 0;
  if (!vxRuntime::TryStrToInt(part, value)) return std::nullopt;
  return value;
}

std::string JoinEdges(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(right) + "," +
         std::to_string(bottom);
}

// Whether the storage is a set of 1, 2 or 4 bytes as its description says.
bool IsReadableSet(const TvxSetTypeInfo& info, size_t storageLength) {
  const int32_t size = info.StorageSize();
  return (size == 1 || size == 2 || size == 4) && storageLength == static_cast<size_t>(size);
}

bool IsSetDelimiter(char c) { return c == ' ' || c == ',' || c == ']'; }

}  // namespace

// ---- Rectangles --------------------------------------------------------------

TRelRect FloatRect(double Left, double Top, double Right, double Bottom) {
  return TRelRect{Left, Top, Right, Bottom, Right - Left, Bottom - Top};
}

TAdvRect AdvRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  return TAdvRect{Left, Top, Right, Bottom, Wrap32(int64_t{Right} - Left + 1), Wrap32(int64_t{Bottom} - Top + 1)};
}

TAdvRect FloatRectToAdvRect(const TRelRect& Rect) {
  TAdvRect r;
  r.Left = Round32(Rect.Left);
  r.Top = Round32(Rect.Top);
  r.Width = Round32(Rect.Width);
  r.Height = Round32(Rect.Height);
  r.Right = Inclusive(r.Left, r.Width);
  r.Bottom = Inclusive(r.Top, r.Height);
  return r;
}

TRect FloatRectToTRect(const TRelRect& Rect) {
  TRect r;
  r.Left = Round32(Rect.Left);
  r.Top = Round32(Rect.Top);
  r.Right = Inclusive(r.Left, Round32(Rect.Width));
  r.Bottom = Inclusive(r.Top, Round32(Rect.Height));
  return r;
}

TRelRect TRectToFloatRect(const TRect& Rect) {
  TRelRect r;
  r.Left = Rect.Left;
  r.Top = Rect.Top;
  r.Width = static_cast<double>(int64_t{Rect.Right} - Rect.Left);
  r.Height = static_cast<double>(int64_t{Rect.Bottom} - Rect.Top);
  r.Right = Inclusive(r.Left, r.Width);
  r.Bottom = Inclusive(r.Top, r.Height);
  return r;
}

TRelRect StrToFloatRect(const ustring& Rect) {
  const auto [left, top, right, bottom] = FourParts<double>(Rect, ReadReal);
  return FloatRect(left, top, right, bottom);
}

TRelRect StrToFloatRectLTWH(const ustring& Rect) {
  const auto [left, top, width, height] = FourParts<double>(Rect, ReadReal);
  return TRelRect{left, top, Inclusive(left, width), Inclusive(top, height), width, height};
}

TAdvRect StrToAdvRect(const ustring& Rect) {
  const auto [left, top, right, bottom] =
      FourParts<int32_t>(Rect, [](const ustring& part) { return ReadInt32(part).value_or(0); });
  return TAdvRect{left, top, right, bottom, Wrap32(int64_t{right} - left), Wrap32(int64_t{bottom} - top)};
}

TRect StrToRect(const ustring& Size) {
  const std::vector<ustring> parts = Parts(Size);
  int32_t edges[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < parts.size() && i < 4; ++i) edges[i] = ReadInt32(parts[i]).value_or(-1);
  return TRect{edges[0], edges[1], edges[2], edges[3]};
}

std::string AdvRectToStr(const TAdvRect& Rect) { return JoinEdges(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }

std::string RectToStr(const TRect& Rect) { return JoinEdges(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom); }

bool IsRectEmpty(const TRect& Rect) { return Rect == TRect{}; }

bool IsRectEmpty(const TRelRect& Rect) {
  return Rect.Left == 0 && Rect.Top == 0 && Rect.Right == 0 && Rect.Bottom == 0 && Rect.Width == 0 &&
         Rect.Height == 0;
}

bool IsRectEmpty(const TAdvRect& Rect) { return Rect == TAdvRect{}; }

// ---- Sets ------------------------------------------------------------------

std::string SetToString(const TvxSetTypeInfo& Info, std::span<const std::byte> SetParam, bool Brackets) {
  uint32_t bits = 0;
  if (IsReadableSet(Info, SetParam.size()))
    for (size_t i = 0; i < SetParam.size(); ++i) bits |= std::to_integer<uint32_t>(SetParam[i]) << (8 * i);
  std::string result;
  for (int32_t ordinal = 0; ordinal < 32 && ordinal < Info.MemberCount(); ++ordinal) {
    if ((bits & (uint32_t{1} << ordinal)) == 0) continue;
    if (!result.empty()) result += ',';
    result += Info.MemberName(ordinal);
  }
  return Brackets ? "[" + result + "]" : result;
}

bool StringToSet(const TvxSetTypeInfo& Info, std::span<std::byte> SetParam, const std::string& Value) {
  if (!IsReadableSet(Info, SetParam.size())) return false;
  uint32_t bits = 0;
  size_t i = 0;
  while (i < Value.size() && (Value[i] == ' ' || Value[i] == '[')) ++i;
  while (i < Value.size()) {
    const size_t start = i;
    while (i < Value.size() && !IsSetDelimiter(Value[i])) ++i;
    const std::string_view word = std::string_view(Value).substr(start, i - start);
    while (i < Value.size() && IsSetDelimiter(Value[i])) ++i;
    const int32_t ordinal = Info.OrdinalOf(word);
    if (ordinal < 0) {
      bits = 0;  // an unknown name leaves the set empty
      break;
    }
    if (ordinal < 32) bits |= uint32_t{1} << ordinal;
  }
  for (size_t b = 0; b < SetParam.size(); ++b) SetParam[b] = static_cast<std::byte>(bits >> (8 * b));
  return true;
}

}  // namespace TvxTypes

std::string DefaultShortDateFormatA() { return WideToAnsi(FormatSettings().ShortDateFormat); }
