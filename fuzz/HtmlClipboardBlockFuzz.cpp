// Fuzzes the clipboard block "HTML Format": for any text (lone surrogates
// included) the block's two numbers are its header length and its whole
// length, and the fragment between them is the text in UTF-8.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/vxToolsHtmlClipboard.h"
#include "fuzz/FuzzInput.h"

namespace {

uint64_t Number(const std::string& Block, const std::string& Name) {
  const size_t at = Block.find(Name);
  if (at == std::string::npos) __builtin_trap();
  const size_t from = at + Name.size();
  const size_t to = Block.find("\r\n", from);
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(Block.data() + from, Block.data() + to, value);
  if (error != std::errc() || end != Block.data() + to || to - from < 6) __builtin_trap();
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const ustring html = vxFuzz::Units(std::string_view(reinterpret_cast<const char*>(Data), Size));
  const std::string utf8 = WideToUtf8(html);
  const std::string block = TvxTools::HtmlClipboardBlock(html);
  const uint64_t start = Number(block, "StartFragment:");
  const uint64_t end = Number(block, "EndFragment:");
  if (end != block.size() || start + utf8.size() + 2 != end) __builtin_trap();
  if (block.compare(start, utf8.size() + 2, utf8 + "\r\n") != 0) __builtin_trap();
  if (block.compare(0, 13, "Version:0.9\r\n") != 0) __builtin_trap();
  return 0;
}
