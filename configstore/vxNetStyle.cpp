// TvxNet: named placeholders "[@NAME(default)]" in style sheets and scripts.
#include <algorithm>
#include <vector>

#include "configstore/vxNetWeb.h"
#include "core/vxTypesValues.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"

namespace {

// At most this many placeholders that stand inside inserted values are
// replaced in one call.
constexpr size_t kMaxInsertedReplacements = 1024;

// A value inserted into the text: where it ends now, and the placeholder
// name it came from.
struct TInsertion {
  size_t End;
  std::string Name;
};

}  // namespace

namespace TvxNet {

std::string ApplyStyle(const TvxDictionary<ustring, Variant>& StyleDefinition, const std::string& CSSorJavaScript) {
  std::string text = CSSorJavaScript;
  // The inserted values that hold the search position, outermost first:
  // their names are the placeholders being expanded there.
  std::vector<TInsertion> open;
  size_t insertedReplacements = 0;
  size_t from = 0;
  for (;;) {
    const size_t start = text.find("[@", from);
    if (start == std::string::npos) break;
    from = start + 1;
    const size_t close = text.find(']', start);
    if (close == std::string::npos) continue;
    while (!open.empty() && open.back().End <= start) open.pop_back();

    const std::string token = text.substr(start, close + 1 - start);
    std::string name, value;
    const size_t paren = token.find('(');
    if (paren != std::string::npos) {
      name = vxRuntime::AsciiUpper(token.substr(2, paren - 2));
      const size_t defaultEnd = token.find(")]");
      if (defaultEnd != std::string::npos && defaultEnd > paren) value = token.substr(paren + 1, defaultEnd - paren - 1);
    }
    // A value that holds its own placeholder (directly or through others)
    // would make the text grow for ever: such a placeholder stays, and so
    // does every inserted one beyond the cap.
    if (!open.empty()) {
      const bool cycle =
          std::any_of(open.begin(), open.end(), [&](const TInsertion& insertion) { return insertion.Name == name; });
      if (cycle || insertedReplacements >= kMaxInsertedReplacements) continue;
      ++insertedReplacements;
    }
    Variant entry;
    if (StyleDefinition.TryGetValue(AnsiToWide(name), entry)) value = WideToAnsi(TvxTypes::VarToStr(entry));

    text.replace(start, token.size(), value);
    const size_t tokenEnd = start + token.size();
    for (TInsertion& insertion : open)
      insertion.End = insertion.End >= tokenEnd ? insertion.End - token.size() + value.size() : start + value.size();
    open.push_back({start + value.size(), name});
  }
  return text;
}

}  // namespace TvxNet
