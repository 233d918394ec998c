// Fuzzes the multipart body reader. Any body reads without failing and
// every part's content is a piece of the body; a body written from the
// input's fields (a zero byte between field name and content, 0x01 between
// parts) with a delimiter found in none of them reads back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "configstore/vxNetWeb.h"
#include "fuzz/FuzzInput.h"

namespace {

// A field name that goes into quotes as it is and comes back unchanged.
bool PlainName(const std::string& name) {
  for (const char c : name)
    if (c == '"' || c == '\r' || c == '\n' || c == '\0' || c == '\x01') return false;
  return true;
}

void WrittenBodyReadsBack(const std::string& input) {
  struct TField {
    std::string Name, Content;
  };
  std::vector<TField> fields;
  size_t start = 0;
  while (start <= input.size() && fields.size() < 16) {
    size_t end = input.find('\x01', start);
    if (end == std::string::npos) end = input.size();
    const std::string piece = input.substr(start, end - start);
    const size_t zero = piece.find('\0');
    fields.push_back({piece.substr(0, zero), zero == std::string::npos ? std::string() : piece.substr(zero + 1)});
    start = end + 1;
  }
  std::string delimiter = "--vxfuzz";
  for (const TField& field : fields) {
    if (!PlainName(field.Name)) return;
    while (field.Content.find(delimiter) != std::string::npos || field.Name.find(delimiter) != std::string::npos)
      delimiter += 'x';
  }
  std::string body;
  for (const TField& field : fields)
    body += delimiter + "\r\nContent-Disposition: form-data; name=\"" + field.Name + "\"\r\n\r\n" + field.Content + "\r\n";
  body += delimiter + "--\r\n";
  TMultiParts parts;
  vxFuzz::Check(TvxNet::ParseMultiPartData(body, parts, true));
  vxFuzz::Check(parts.size() == fields.size());
  for (size_t i = 0; i < fields.size() && i < parts.size(); ++i) {
    vxFuzz::Check(parts[i].Name == fields[i].Name);
    vxFuzz::Check(parts[i].Data == fields[i].Content);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);
  TMultiParts parts;
  TvxNet::ParseMultiPartData(input, parts, Size % 2 == 0);
  for (const TMultiPart& part : parts) {
    vxFuzz::Check(part.Data.empty() || input.find(part.Data) != std::string::npos);
    TvxNet::GetMultiPartHeaderValue(part, u"content-type", u"");
  }
  TvxNet::GetMultiPartId(parts, "A");
  WrittenBodyReadsBack(input);
  return 0;
}
