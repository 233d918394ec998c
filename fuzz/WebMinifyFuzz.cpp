// Fuzzes the minifiers and the placeholders. Input: a text, a zero byte,
// style values (one "NAME=value" per line). Both minifiers end on any
// text; the placeholders end too, with a result no longer than the text
// plus a value for each of its own placeholders and the capped replacements
// inside inserted values.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "configstore/vxNetWeb.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 2);
  const ustring text = vxFuzz::Wide(fields[0]);
  TvxNet::CompressCSS(text);
  TvxNet::CompressJavaScript(text);

  TvxDictionary<ustring, Variant> style;
  size_t longest = 0;
  size_t start = 0;
  while (start < fields[1].size()) {
    size_t end = fields[1].find('\n', start);
    if (end == std::string::npos) end = fields[1].size();
    const std::string line = fields[1].substr(start, end - start);
    start = end + 1;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string value = line.substr(equals + 1);
    style.AddOrSetValue(AnsiToWide(line.substr(0, equals)), Variant(AnsiToWide(value)));
    longest = std::max(longest, WideToAnsi(AnsiToWide(value)).size());
  }
  const std::string result = TvxNet::ApplyStyle(style, fields[0]);
  size_t placeholders = 0;
  for (size_t at = fields[0].find("[@"); at != std::string::npos; at = fields[0].find("[@", at + 1)) ++placeholders;
  vxFuzz::Check(result.size() <= fields[0].size() + (placeholders + 1024) * longest);
  return 0;
}
