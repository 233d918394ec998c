// Fuzzes the scan of ":NAME" parameters in SQL statements (quotes, quoted
// identifiers, comments and "::" casts skipped): every mark found lies in
// the statement, in order and apart, and is a colon and a name. Numbering
// the parameters ("$1" or ":1", one number per distinct name, in order of
// first appearance) leaves the text between them as it was, gives equal
// names equal numbers, and the statement numbered with ":" scans to marks at
// the same places, named by their numbers.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/data/vxDataConnection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const ustring sql = vxFuzz::Units(std::string_view(reinterpret_cast<const char*>(Data), Size));
  const std::vector<vxData::TParameterMark> marks = vxData::ScanParameters(sql);
  size_t end = 0;
  for (const auto& mark : marks) {
    vxFuzz::Check(mark.Position >= end && mark.Length >= 2 && mark.Position + mark.Length <= sql.size());
    vxFuzz::Check(sql[mark.Position] == u':' && sql.compare(mark.Position + 1, mark.Length - 1, mark.Name) == 0);
    end = mark.Position + mark.Length;
  }

  for (char16_t sign : {u'$', u':'}) {
    std::vector<ustring> names;
    const ustring numbered = vxData::NumberParameters(sql, sign, names);
    vxFuzz::Check(names.size() <= marks.size());
    std::map<ustring, size_t> numberOf;
    std::vector<size_t> places, numbers;
    size_t from = 0, at = 0, highest = 0;
    for (const auto& mark : marks) {
      const size_t piece = mark.Position - from;
      vxFuzz::Check(numbered.compare(at, piece, sql, from, piece) == 0);
      at += piece;
      vxFuzz::Check(at < numbered.size() && numbered[at] == sign);
      places.push_back(at++);
      size_t number = 0, digits = 0;
      for (; at < numbered.size() && numbered[at] >= u'0' && numbered[at] <= u'9' && digits < 10; ++at, ++digits)
        number = number * 10 + static_cast<size_t>(numbered[at] - u'0');
      vxFuzz::Check(digits > 0 && number >= 1 && number <= highest + 1);
      highest = std::max(highest, number);
      const auto [known, added] = numberOf.emplace(mark.Name, number);
      vxFuzz::Check(added || known->second == number);
      numbers.push_back(number);
      from = mark.Position + mark.Length;
    }
    vxFuzz::Check(highest == names.size());
    vxFuzz::Check(numbered.compare(at, ustring::npos, sql, from, ustring::npos) == 0);
    if (sign != u':') continue;
    const std::vector<vxData::TParameterMark> again = vxData::ScanParameters(numbered);
    vxFuzz::Check(again.size() == marks.size());
    for (size_t i = 0; i < again.size(); ++i) {
      vxFuzz::Check(again[i].Position == places[i]);
      size_t value = 0;
      for (char16_t c : again[i].Name) value = value * 10 + static_cast<size_t>(c - u'0');
      vxFuzz::Check(value == numbers[i]);
    }
  }
  return 0;
}
