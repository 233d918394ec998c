// Base64 encoder and decoder shared by every user of Base64 in the system.
#include "platform/text/vxBase64Codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vxBase64Codec {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The two characters of every 12-bit value, first character first in memory.
constexpr std::array<char, 8192> kPairs = [] {
  std::array<char, 8192> pairs{};
  for (size_t v = 0; v < 4096; ++v) {
    pairs[2 * v] = kAlphabet[v >> 6];
    pairs[2 * v + 1] = kAlphabet[v & 63];
  }
  return pairs;
}();

inline char* PutPair(char* out, uint32_t twelveBits) {
  std::memcpy(out, &kPairs[2 * twelveBits], 2);
  return out + 2;
}

// One group of three bytes as four characters.
inline char* PutGroup(char* out, const unsigned char* in) {
  const uint32_t v = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
  out = PutPair(out, v >> 12);
  return PutPair(out, v & 0xFFF);
}

// Six bytes as eight characters from one eight-byte load; the load reads
// two bytes past the six, which the caller guarantees are there.
inline char* PutTwoGroups(char* out, const unsigned char* in) {
  uint64_t word;
  std::memcpy(&word, in, 8);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  // The six bytes are the top 48 bits.
  char pairs[8];
  std::memcpy(pairs + 0, &kPairs[2 * ((word >> 52) & 0xFFF)], 2);
  std::memcpy(pairs + 2, &kPairs[2 * ((word >> 40) & 0xFFF)], 2);
  std::memcpy(pairs + 4, &kPairs[2 * ((word >> 28) & 0xFFF)], 2);
  std::memcpy(pairs + 6, &kPairs[2 * ((word >> 16) & 0xFFF)], 2);
  std::memcpy(out, pairs, 8);
  return out + 8;
}

#if defined(__x86_64__)
// Blocks of 24 bytes as 32 characters on whole vectors (AVX2): each 128-bit
// lane takes 12 bytes, spreads every group of three over four bytes, moves
// the four 6-bit values into place with two multiplications and adds to each
// the offset of its range of the alphabet. Reads never go past in + n (each
// block reads 28 bytes); returns the bytes done, a multiple of 24.
__attribute__((target("avx2"))) size_t PutBlocksAvx2(char* out, const unsigned char* in, size_t n) {
  const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                          1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
  // Offsets to the alphabet: A-Z, a-z, then the digits, "+" and "/".
  const __m256i offsets = _mm256_setr_epi8(65, 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0,  //
                                           65, 71, -4, -4, -4, -4, -4, -4, -4, -4, -4, -4, -19, -16, 0, 0);
  size_t done = 0;
  for (; done + 28 <= n; done += 24) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + done + 12));
    const __m256i bytes = _mm256_shuffle_epi8(_mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1), spread);
    const __m256i first = _mm256_mulhi_epu16(_mm256_and_si256(bytes, _mm256_set1_epi32(0x0FC0FC00)),
                                             _mm256_set1_epi32(0x04000040));
    const __m256i second = _mm256_mullo_epi16(_mm256_and_si256(bytes, _mm256_set1_epi32(0x003F03F0)),
                                              _mm256_set1_epi32(0x01000010));
    const __m256i values = _mm256_or_si256(first, second);
    __m256i range = _mm256_subs_epu8(values, _mm256_set1_epi8(51));
    range = _mm256_sub_epi8(range, _mm256_cmpgt_epi8(values, _mm256_set1_epi8(25)));
    const __m256i text = _mm256_add_epi8(values, _mm256_shuffle_epi8(offsets, range));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), text);
    out += 32;
  }
  return done;
}

// Asked at the first use, not while the library loads.
bool HasAvx2() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}
#endif

// Groups of whole bytes: n is a multiple of 3. Reads never go past in + n.
char* PutGroups(char* out, const unsigned char* in, size_t n) {
#if defined(__x86_64__)
  if (n >= 28 && HasAvx2()) {
    const size_t done = PutBlocksAvx2(out, in, n);
    out += done / 3 * 4;
    in += done;
    n -= done;
  }
#endif
  const unsigned char* const end = in + n;
  while (end - in >= 8) {
    out = PutTwoGroups(out, in);
    in += 6;
  }
  for (; in < end; in += 3) out = PutGroup(out, in);
  return out;
}

// The last one or two bytes with their padding.
char* PutRest(char* out, const unsigned char* in, size_t rest) {
  const uint32_t v = (uint32_t{in[0]} << 16) | (rest == 2 ? uint32_t{in[1]} << 8 : 0);
  *out++ = kAlphabet[(v >> 18) & 63];
  *out++ = kAlphabet[(v >> 12) & 63];
  *out++ = rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
  *out++ = '=';
  return out;
}

// All of data on one line.
char* PutFlat(char* out, std::string_view data) {
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());
  const size_t whole = data.size() - data.size() % 3;
  out = PutGroups(out, in, whole);
  if (whole < data.size()) out = PutRest(out, in + whole, data.size() - whole);
  return out;
}

size_t FlatLength(size_t size) { return (size + 2) / 3 * 4; }

int Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

std::string Encode(std::string_view data) {
  std::string out(FlatLength(data.size()), '\0');
  PutFlat(out.data(), data);
  return out;
}

size_t EncodedLinesLength(size_t DataSize, size_t LineLength, bool TrailingBreak) {
  const size_t flat = FlatLength(DataSize);
  if (LineLength == 0 || flat == 0) return flat;
  const size_t lines = (flat + LineLength - 1) / LineLength;
  return flat + 2 * (TrailingBreak ? lines : lines - 1);
}

char* EncodeLinesTo(char* Out, std::string_view data, size_t LineLength, bool TrailingBreak) {
  if (LineLength == 0 || data.empty()) return PutFlat(Out, data);
  const auto* in = reinterpret_cast<const unsigned char*>(data.data());
  size_t left = data.size();
  if (LineLength % 4 == 0) {
    // Whole lines straight from the input: each is whole groups.
    const size_t lineBytes = LineBytes(LineLength);
    while (left > lineBytes || (left == lineBytes && TrailingBreak)) {
      Out = PutGroups(Out, in, lineBytes);
      *Out++ = '\r';
      *Out++ = '\n';
      in += lineBytes;
      left -= lineBytes;
    }
    // The last line, shorter or without its break.
    Out = PutFlat(Out, std::string_view(reinterpret_cast<const char*>(in), left));
    if (TrailingBreak && left > 0) {
      *Out++ = '\r';
      *Out++ = '\n';
    }
    return Out;
  }
  // Lines that end inside a group: the flat text, broken as it is copied.
  std::string flat(FlatLength(left), '\0');
  PutFlat(flat.data(), data);
  for (size_t i = 0; i < flat.size(); i += LineLength) {
    const size_t n = std::min(LineLength, flat.size() - i);
    std::memcpy(Out, flat.data() + i, n);
    Out += n;
    if (TrailingBreak || i + LineLength < flat.size()) {
      *Out++ = '\r';
      *Out++ = '\n';
    }
  }
  return Out;
}

std::string EncodeLines(std::string_view data, size_t LineLength, bool TrailingBreak) {
  std::string out(EncodedLinesLength(data.size(), LineLength, TrailingBreak), '\0');
  EncodeLinesTo(out.data(), data, LineLength, TrailingBreak);
  return out;
}

std::string Decode(std::string_view text, bool StopAtPadding) {
  std::string out;
  out.reserve(text.size() / 4 * 3);
  uint32_t buffer = 0;
  int bits = 0;
  for (const char ch : text) {
    if (ch == '=' && StopAtPadding) break;
    const int v = Value(static_cast<unsigned char>(ch));
    if (v < 0) continue;
    buffer = (buffer << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
    }
  }
  return out;
}

}  // namespace vxBase64Codec
