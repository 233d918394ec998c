// Fuzzes HTML to text: any document, as UTF-8 or as raw UTF-16 units (lone
// surrogates and NUL included), gives a text without failing, and the text
// stays within a small multiple of the document's length.
#include "core/vxStringsDecode.h"
#include "fuzz/FuzzInput.h"
#include "platform/html/vxHtmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const std::string bytes(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const ustring html = (Data[0] & 1) ? vxFuzz::Units(bytes) : vxFuzz::Wide(bytes);
  const ustring text = (Data[0] & 2) ? TvxStrings::HtmlToText(html) : vxHtmlText::InnerText(html, u"\n");
  // Every character of the text comes from a character, an entity or a tag
  // of the document (a tag gives at most two line breaks of two units).
  vxFuzz::Check(text.size() <= 4 * html.size() + 16);
  return 0;
}
