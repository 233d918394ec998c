// Fuzzes the regular-expression wrapper: any expression either compiles or
// raises ERegExprError, and matching it against any text (every match in
// turn) never fails otherwise; each match lies inside the text.
#include "fuzz/FuzzInput.h"
#include "platform/text/vxRegExpr.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const bool ignoreCase = Data[0] & 1;
  const std::vector<std::string> f = vxFuzz::Fields(Data + 1, Size - 1, 2);
  const ustring input = vxFuzz::Wide(f[1]);
  try {
    TvxRegExpr expr(vxFuzz::Wide(f[0]), ignoreCase);
    int rounds = 0;
    for (bool found = expr.Exec(input); found && rounds < 1000; found = expr.ExecNext(), ++rounds) {
      for (int32_t i = 0; i <= expr.SubExprMatchCount(); ++i) {
        const int32_t pos = expr.MatchPos(i), len = expr.MatchLen(i);
        if (pos <= 0) continue;  // a group that took no part
        vxFuzz::Check(len >= 0 && pos - 1 + len <= static_cast<int32_t>(input.size()));
        vxFuzz::Check(expr.Match(i) == input.substr(pos - 1, len));
      }
    }
  } catch (const ERegExprError&) {
  }
  return 0;
}
