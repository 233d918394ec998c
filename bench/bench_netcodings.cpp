// URL percent coding and the multipart body reader on 1 MiB: our routines
// beside a plain standard-library loop doing the same work and, for the
// codings, libcurl's curl_easy_escape and curl_easy_unescape.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "configstore/vxNet.h"
#include "configstore/vxNetWeb.h"

namespace {

constexpr size_t kSize = 1u << 20;

// About 1 MiB of text as form fields and paths hold it: words, blanks,
// punctuation and UTF-8 umlauts.
const std::string& PlainText() {
  static const std::string text = [] {
    const std::string line = "Gr\xC3\xBC\xC3\x9F" "e aus M\xC3\xBCnchen: invoice=4711&path=/a/b?c=d; total 20.50 EUR (net)\n";
    std::string t;
    while (t.size() < kSize) t += line;
    return t;
  }();
  return text;
}

const std::string& EncodedText() {
  static const std::string text = TvxNet::EncodeUrlPart(PlainText());
  return text;
}

bool Kept(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_';
}

// The plain loop: the same escapes, written the obvious way.
std::string PlainEscape(std::string_view text) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (Kept(c)) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PlainUnescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

struct TCurl {
  TCurl() : Handle(curl_easy_init()) {}
  ~TCurl() { curl_easy_cleanup(Handle); }
  CURL* Handle;
};

void Bytes(benchmark::State& state, size_t size) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void BM_Encode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxNet::EncodeUrlPart(PlainText()));
  Bytes(state, PlainText().size());
}
BENCHMARK(BM_Encode)->Name("UrlEncode1MiB:ours");

void BM_Encode_Loop(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PlainEscape(PlainText()));
  Bytes(state, PlainText().size());
}
BENCHMARK(BM_Encode_Loop)->Name("UrlEncode1MiB:std_loop");

void BM_Encode_Curl(benchmark::State& state) {
  TCurl curl;
  for (auto _ : state) {
    char* out = curl_easy_escape(curl.Handle, PlainText().data(), static_cast<int>(PlainText().size()));
    benchmark::DoNotOptimize(out);
    curl_free(out);
  }
  Bytes(state, PlainText().size());
}
BENCHMARK(BM_Encode_Curl)->Name("UrlEncode1MiB:curl_easy_escape");

void BM_Decode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxNet::DecodeUrlPart(EncodedText()));
  Bytes(state, EncodedText().size());
}
BENCHMARK(BM_Decode)->Name("UrlDecode1MiB:ours");

void BM_Decode_Loop(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PlainUnescape(EncodedText()));
  Bytes(state, EncodedText().size());
}
BENCHMARK(BM_Decode_Loop)->Name("UrlDecode1MiB:std_loop");

void BM_Decode_Curl(benchmark::State& state) {
  TCurl curl;
  for (auto _ : state) {
    int length = 0;
    char* out = curl_easy_unescape(curl.Handle, EncodedText().data(), static_cast<int>(EncodedText().size()), &length);
    benchmark::DoNotOptimize(out);
    curl_free(out);
  }
  Bytes(state, EncodedText().size());
}
BENCHMARK(BM_Decode_Curl)->Name("UrlDecode1MiB:curl_easy_unescape");

// The doubly escaped form EncodeUrlPartW writes (every blank "%2520"),
// which DecodeUrlPart undoes in its one pass.
const std::string& DoublyEncodedText() {
  static const std::string text = [] {
    ustring wide;
    for (const char c : PlainText()) wide.push_back(static_cast<unsigned char>(c));
    return TvxNet::EncodeUrlPartW(wide);
  }();
  return text;
}

void BM_DecodeDouble(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(TvxNet::DecodeUrlPart(DoublyEncodedText()));
  Bytes(state, DoublyEncodedText().size());
}
BENCHMARK(BM_DecodeDouble)->Name("UrlDecodeDoubleEscapes1MiB:ours");

void BM_DecodeDouble_Loop(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PlainUnescape(PlainUnescape(DoublyEncodedText())));
  Bytes(state, DoublyEncodedText().size());
}
BENCHMARK(BM_DecodeDouble_Loop)->Name("UrlDecodeDoubleEscapes1MiB:std_loop_twice");

void BM_DecodeDouble_Curl(benchmark::State& state) {
  TCurl curl;
  for (auto _ : state) {
    int length = 0;
    char* once = curl_easy_unescape(curl.Handle, DoublyEncodedText().data(),
                                    static_cast<int>(DoublyEncodedText().size()), &length);
    char* twice = curl_easy_unescape(curl.Handle, once, length, &length);
    benchmark::DoNotOptimize(twice);
    curl_free(once);
    curl_free(twice);
  }
  Bytes(state, DoublyEncodedText().size());
}
BENCHMARK(BM_DecodeDouble_Curl)->Name("UrlDecodeDoubleEscapes1MiB:curl_easy_unescape_twice");

// A form body of 1 MiB: 64 fields of 16 KiB each.
const std::string& FormBody() {
  static const std::string body = [] {
    std::string b;
    const std::string content = PlainText().substr(0, 16 * 1024 - 2);
    for (int i = 0; i < 64; ++i)
      b += "--vxboundary\r\nContent-Disposition: form-data; name=\"field" + std::to_string(i) +
           "\"; filename=\"f.txt\"\r\nContent-Type: text/plain\r\n\r\n" + content + "\r\n";
    return b + "--vxboundary--\r\n";
  }();
  return body;
}

void BM_MultiPart(benchmark::State& state) {
  for (auto _ : state) {
    TMultiParts parts;
    benchmark::DoNotOptimize(TvxNet::ParseMultiPartData(FormBody(), parts, true));
    benchmark::DoNotOptimize(parts.data());
  }
  Bytes(state, FormBody().size());
}
BENCHMARK(BM_MultiPart)->Name("MultiPart1MiB:ours");

// The plain loop: split at the delimiter, the headers at the empty line,
// and fill the same records: every header line with its upper-cased name,
// the field name, file name and content type, and the content.
ustring Widened(std::string_view bytes, bool upper) {
  ustring text;
  text.reserve(bytes.size());
  for (const char c : bytes) text += static_cast<char16_t>(upper && c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

std::string Quoted(std::string_view line, std::string_view parameter) {
  const size_t at = line.find(parameter);
  if (at == std::string_view::npos) return {};
  const size_t start = at + parameter.size();
  return std::string(line.substr(start, line.find('"', start) - start));
}

void BM_MultiPart_Loop(benchmark::State& state) {
  const std::string& body = FormBody();
  for (auto _ : state) {
    TMultiParts parts;
    const std::string delimiter = body.substr(0, body.find("\r\n"));
    size_t p = 0;
    for (;;) {
      const size_t lineEnd = body.find("\r\n", p);
      const size_t blank = body.find("\r\n\r\n", lineEnd);
      const size_t next = body.find(delimiter, blank);
      if (lineEnd == std::string::npos || blank == std::string::npos || next == std::string::npos) break;
      TMultiPart& part = parts.emplace_back();
      const std::string_view headers(body.data() + lineEnd + 2, blank - lineEnd - 2);
      for (size_t start = 0; start <= headers.size();) {
        const size_t end = std::min(headers.find("\r\n", start), headers.size());
        const std::string_view line = headers.substr(start, end - start);
        const size_t colon = line.find(':');
        part.Header.push_back({Widened(line.substr(0, colon), true), Widened(line.substr(colon + 2), false)});
        if (part.Header.back().Key == u"CONTENT-DISPOSITION") {
          part.Name = Quoted(line, " name=\"");
          part.SORTL = part.Name;
          for (char& c : part.SORTL) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
          part.FileName = Widened(Quoted(line, "filename=\""), false);
        } else if (part.Header.back().Key == u"CONTENT-TYPE") {
          part.CType = std::string(line.substr(colon + 2));
        }
        start = end + 2;
      }
      part.Data = body.substr(blank + 4, next - blank - 6);
      p = next + delimiter.size();
      if (body.compare(p, 2, "--") == 0) break;
    }
    benchmark::DoNotOptimize(parts.data());
  }
  Bytes(state, body.size());
}
BENCHMARK(BM_MultiPart_Loop)->Name("MultiPart1MiB:std_loop");

}  // namespace
