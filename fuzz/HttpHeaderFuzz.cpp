// Fuzzes the header texts: a value out of a raw header, and the raw header
// of a request whose headers come from the input. Input: a header text, a
// zero byte, a name, a zero byte, a value. A value read out of a raw header
// is a trimmed piece of it; a request's raw header is one "Name: Value"
// line per header, whatever its names and values hold.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "configstore/vxNetHttpMessages.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> fields = vxFuzz::Fields(Data, Size, 3);
  const std::string value = TvxNet::GetHttpRawHeaderValue(fields[1], fields[0]);
  vxFuzz::Check(fields[0].find(value) != std::string::npos);
  vxFuzz::Check(value.empty() || (static_cast<unsigned char>(value.front()) > 32 &&
                                  static_cast<unsigned char>(value.back()) > 32));

  TvxHTTPRequest request;
  request.SetCommandStr(fields[1]);
  request.SetHeader(vxFuzz::Wide(fields[1]), fields[2]);
  request.SetContentText(fields[0]);
  request.SetContentType(vxFuzz::Wide(fields[2]));
  const std::string raw = request.RawHeader();
  size_t lines = 0;
  for (size_t at = raw.find('\n'); at != std::string::npos; at = raw.find('\n', at + 1)) {
    vxFuzz::Check(at > 0 && raw[at - 1] == '\r');
    ++lines;
  }
  std::unique_ptr<TStrings> names;
  request.GetHeaderList(names);
  vxFuzz::Check(lines == static_cast<size_t>(names->Count()));
  vxFuzz::Check(raw.size() >= 2 && raw.compare(raw.size() - 2, 2, "\r\n") == 0);
  return 0;
}
