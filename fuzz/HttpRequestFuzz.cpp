// Fuzzes the HTTP server's request reader: any bytes, fed whole and in
// pieces of sizes the input chooses, give the same requests and the same
// failure either way, and no request passes the limits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/http/vxHttpRequestReader.h"

namespace {

constexpr THttpRequestReader::TLimits Limits{2048, 16, 4096};

struct TOutcome {
  std::vector<std::string> Requests;  // each flattened
  int FailureStatus = 0;
  bool operator==(const TOutcome&) const = default;
};

std::string Flatten(const THttpServerRequest& r) {
  std::string text = r.Method + '\n' + r.Target + '\n' + r.Path + '\n' + r.Query + '\n' +
                     static_cast<char>('0' + r.VersionMajor) + static_cast<char>('0' + r.VersionMinor) + '\n';
  for (const THttpHeaderField& f : r.Headers) text += f.Name + ':' + f.Value + '\n';
  return text + r.Body;
}

void Drain(THttpRequestReader& reader, TOutcome& outcome) {
  while (reader.Complete()) {
    const THttpServerRequest request = reader.TakeRequest();
    if (request.Method.empty() || request.Headers.size() > Limits.MaxHeaderLines ||
        request.Body.size() > Limits.MaxBodyBytes || request.Path + (request.Target.find('?') == std::string::npos ? "" : "?" + request.Query) != request.Target)
      __builtin_trap();
    outcome.Requests.push_back(Flatten(request));
    reader.Feed({});
  }
}

TOutcome Read(const std::string& bytes, const std::vector<size_t>& pieces) {
  THttpRequestReader reader(Limits);
  TOutcome outcome;
  size_t at = 0;
  for (size_t piece : pieces) {
    if (at >= bytes.size()) break;
    reader.Feed(std::string_view(bytes).substr(at, piece));
    at += piece;
    Drain(reader, outcome);
  }
  if (at < bytes.size()) {
    reader.Feed(std::string_view(bytes).substr(at));
    Drain(reader, outcome);
  }
  reader.FeedEnd();
  if (reader.Failed()) {
    outcome.FailureStatus = reader.FailureStatus();
    if (reader.FailureText().empty()) __builtin_trap();
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  // The first byte chooses the sizes of the pieces.
  const uint8_t seed = Data[0];
  const std::string bytes(reinterpret_cast<const char*>(Data) + 1, Size - 1);
  std::vector<size_t> pieces;
  for (size_t i = 0, left = bytes.size(); left > 0; ++i) {
    const size_t piece = 1 + ((seed >> (i % 8)) & 7) * (1 + i % 5);
    pieces.push_back(piece);
    left -= std::min(left, piece);
  }
  const TOutcome whole = Read(bytes, {bytes.size()});
  const TOutcome split = Read(bytes, pieces);
  if (!(whole == split)) __builtin_trap();
  return 0;
}
