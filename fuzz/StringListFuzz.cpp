// Fuzzes the string list's text setters (Text, CommaText, DelimitedText with
// any delimiter and quote, in the wide and the 8-bit list): a list set from
// any text writes a text that sets the same list again.
#include "core/vxAnsiStringList.h"
#include "fuzz/FuzzInput.h"
#include "platform/lists/vxStringList.h"

namespace {

template <class List>
bool SameItems(const List& a, const List& b) {
  if (a.Count() != b.Count()) return false;
  for (int32_t i = 0; i < a.Count(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

template <class List, class Text>
void RoundTrips(const Text& text, typename Text::value_type delimiter, typename Text::value_type quote) {
  List list, again;
  list.SetText(text);
  again.SetText(list.Text());
  vxFuzz::Check(SameItems(list, again));

  list.SetCommaText(text);
  again.SetCommaText(list.CommaText());
  vxFuzz::Check(SameItems(list, again));

  // A delimiter that is also the quote cannot be told from it.
  if (delimiter == quote) return;
  list.SetDelimiter(delimiter);
  list.SetQuoteChar(quote);
  again.SetDelimiter(delimiter);
  again.SetQuoteChar(quote);
  list.SetDelimitedText(text);
  again.SetDelimitedText(list.DelimitedText());
  vxFuzz::Check(SameItems(list, again));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const char delimiter = static_cast<char>(Data[0]);
  const char quote = static_cast<char>(Data[1]);
  const std::string bytes(reinterpret_cast<const char*>(Data + 2), Size - 2);
  RoundTrips<TAnsiStringList>(bytes, delimiter, quote);
  RoundTrips<TStringList>(vxFuzz::Wide(bytes), static_cast<unsigned char>(delimiter), static_cast<unsigned char>(quote));
  return 0;
}
