// TvxTools: the clipboard block "HTML Format".
#include "core/vxToolsHtmlClipboard.h"

#include <charconv>
#include <cstdint>

#include "platform/base/vxCodePage.h"

namespace TvxTools {

namespace {

constexpr std::string_view Head = "Version:0.9\r\nStartHTML:-1\r\nEndHTML:-1\r\nStartFragment:";
constexpr std::string_view Middle = "\r\nEndFragment:";
constexpr std::string_view LineEnd = "\r\n";

// The number with at least six digits, zeros in front.
std::string SixDigits(uint64_t Value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
  std::string text(digits, end);
  if (text.size() < 6) text.insert(0, 6 - text.size(), '0');
  return text;
}

}  // namespace

std::string HtmlClipboardBlockUtf8(std::string_view HtmlUtf8) {
  // The offsets depend on their own widths: widen them until both fit.
  const uint64_t fixed = Head.size() + Middle.size() + LineEnd.size();
  std::string start, end;
  size_t startWidth = 6, endWidth = 6;
  for (;;) {
    const uint64_t header = fixed + startWidth + endWidth;
    start = SixDigits(header);
    end = SixDigits(header + HtmlUtf8.size() + LineEnd.size());
    if (start.size() == startWidth && end.size() == endWidth) break;
    startWidth = start.size();
    endWidth = end.size();
  }
  std::string block;
  block.reserve(fixed + start.size() + end.size() + HtmlUtf8.size() + LineEnd.size());
  block.append(Head).append(start).append(Middle).append(end).append(LineEnd);
  block.append(HtmlUtf8).append(LineEnd);
  return block;
}

std::string HtmlClipboardBlock(std::u16string_view HtmlStr) { return HtmlClipboardBlockUtf8(WideToUtf8(HtmlStr)); }

}  // namespace TvxTools
