// DES after FIPS 46, table-driven: the S-boxes merged with the P permutation
// into eight tables of 64 words, made by the compiler (no start-up work),
// and the initial and final permutations done by swapping bit groups
// between the two halves.
#include "foundation/internal/vxDES.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/internal/vxCRC.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxRuntime.h"
#include "platform/files/vxStream.h"

namespace vxInternal {
namespace {

// ---- The standard's tables (bit 1 is the high bit of the first byte) ----

constexpr uint8_t kPC1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18, 10, 2,  59, 51, 43,
                              35, 27, 19, 11, 3,  60, 52, 44, 36, 63, 55, 47, 39, 31, 23, 15, 7,  62, 54,
                              46, 38, 30, 22, 14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

constexpr uint8_t kPC2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                              26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                              51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

constexpr uint8_t kShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

constexpr uint8_t kP[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                            2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

constexpr uint8_t kSBox[8][64] = {
    {14, 4,  13, 1, 2,  15, 11, 8,  3,  10, 6,  12, 5,  9,  0, 7,  0, 15, 7,  4,  14, 2,
     13, 1,  10, 6, 12, 11, 9,  5,  3,  8,  4,  1,  14, 8,  13, 6, 2,  11, 15, 12, 9,  7,
     3,  10, 5,  0, 15, 12, 8,  2,  4,  9,  1,  7,  5,  11, 3,  14, 10, 0,  6,  13},
    {15, 1,  8,  14, 6,  11, 3,  4,  9,  7, 2,  13, 12, 0, 5,  10, 3,  13, 4,  7,  15, 2,
     8,  14, 12, 0,  1,  10, 6,  9,  11, 5, 0,  14, 7,  11, 10, 4, 13, 1,  5,  8,  12, 6,
     9,  3,  2,  15, 13, 8,  10, 1,  3,  15, 4, 2,  11, 6,  7, 12, 0,  5,  14, 9},
    {10, 0,  9,  14, 6, 3,  15, 5,  1,  13, 12, 7,  11, 4,  2,  8,  13, 7,  0,  9,  3, 4,
     6,  10, 2,  8,  5, 14, 12, 11, 15, 1,  13, 6,  4,  9,  8,  15, 3,  0,  11, 1,  2, 12,
     5,  10, 14, 7,  1, 10, 13, 0,  6,  9,  8,  7,  4,  15, 14, 3,  11, 5,  2,  12},
    {7,  13, 14, 3, 0,  6,  9,  10, 1,  2,  8,  5,  11, 12, 4,  15, 13, 8,  11, 5,  6,  15,
     0,  3,  4,  7, 2,  12, 1,  10, 14, 9,  10, 6,  9,  0,  12, 11, 7,  13, 15, 1,  3,  14,
     5,  2,  8,  4, 3,  15, 0,  6,  10, 1,  13, 8,  9,  4,  5,  11, 12, 7,  2,  14},
    {2,  12, 4,  1,  7,  10, 11, 6,  8,  5,  3,  15, 13, 0, 14, 9,  14, 11, 2,  12, 4,  7,
     13, 1,  5,  0,  15, 10, 3,  9,  8,  6,  4,  2,  1,  11, 10, 13, 7, 8,  15, 9,  12, 5,
     6,  3,  0,  14, 11, 8,  12, 7,  1,  14, 2,  13, 6,  15, 0,  9,  10, 4,  5,  3},
    {12, 1,  10, 15, 9, 2,  6,  8,  0,  13, 3,  4,  14, 7,  5,  11, 10, 15, 4,  2,  7,  12,
     9,  5,  6,  1,  13, 14, 0,  11, 3,  8,  9,  14, 15, 5,  2,  8,  12, 3,  7,  0,  4,  10,
     1,  13, 11, 6,  4,  3,  2,  12, 9,  5,  15, 10, 11, 14, 1,  7,  6,  0,  8,  13},
    {4,  11, 2,  14, 15, 0,  8,  13, 3,  12, 9,  7,  5,  10, 6,  1,  13, 0,  11, 7,  4,  9,
     1,  10, 14, 3,  5,  12, 2,  15, 8,  6,  1,  4,  11, 13, 12, 3,  7,  14, 10, 15, 6,  8,
     0,  5,  9,  2,  6,  11, 13, 8,  1,  4,  10, 7,  9,  5,  0,  15, 14, 2,  3,  12},
    {13, 2,  8,  4,  6,  15, 11, 1,  10, 9,  3,  14, 5,  0,  12, 7,  1,  15, 13, 8,  10, 3,
     7,  4,  12, 5,  6,  11, 0,  14, 9,  2,  7,  11, 4,  1,  9,  12, 14, 2,  0,  6,  10, 13,
     15, 3,  5,  8,  2,  1,  14, 7,  4,  10, 8,  13, 15, 12, 9,  0,  3,  5,  6,  11}};

constexpr uint32_t Rotl1(uint32_t x) { return (x << 1) | (x >> 31); }

// SP[j][v]: S-box j+1 applied to the 6-bit group v (its first bit high),
// put at its place in the round function's output, permuted by P, and
// rotated left by one bit as the halves are held during the rounds.
struct TSPTables {
  uint32_t T[8][64];
};

constexpr TSPTables MakeSP() {
  TSPTables sp{};
  for (int j = 0; j < 8; ++j)
    for (int v = 0; v < 64; ++v) {
      const int row = ((v >> 4) & 2) | (v & 1);
      const int col = (v >> 1) & 15;
      const uint32_t s = static_cast<uint32_t>(kSBox[j][row * 16 + col]) << (28 - 4 * j);
      uint32_t p = 0;
      for (int i = 0; i < 32; ++i)
        if (s & (0x80000000u >> (kP[i] - 1))) p |= 0x80000000u >> i;
      sp.T[j][v] = Rotl1(p);
    }
  return sp;
}

constexpr TSPTables kSP = MakeSP();

// Each S-box row must be a permutation of 0 .. 15.
constexpr bool SBoxesValid() {
  for (const auto& box : kSBox)
    for (int row = 0; row < 4; ++row) {
      unsigned seen = 0;
      for (int col = 0; col < 16; ++col) seen |= 1u << box[row * 16 + col];
      if (seen != 0xFFFFu) return false;
    }
  return true;
}
static_assert(SBoxesValid(), "an S-box row is not a permutation");

inline uint32_t Load32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}
inline void Store32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// One block (left = bytes 0..3, right = bytes 4..7, big-endian) through the
// 16 rounds of the schedule Keys, in place.
inline void DesCore(const uint32_t* Keys, uint32_t& Left, uint32_t& Right) {
  uint32_t l = Left, r = Right, w;
  // Initial permutation.
  w = ((l >> 4) ^ r) & 0x0F0F0F0Fu; r ^= w; l ^= w << 4;
  w = ((l >> 16) ^ r) & 0x0000FFFFu; r ^= w; l ^= w << 16;
  w = ((r >> 2) ^ l) & 0x33333333u; l ^= w; r ^= w << 2;
  w = ((r >> 8) ^ l) & 0x00FF00FFu; l ^= w; r ^= w << 8;
  r = Rotl1(r);
  w = (l ^ r) & 0xAAAAAAAAu; l ^= w; r ^= w;
  l = Rotl1(l);

  const auto& S = kSP.T;
  for (int round = 0; round < 8; ++round) {
    w = ((r << 28) | (r >> 4)) ^ Keys[0];
    uint32_t f = S[6][w & 0x3F] | S[4][(w >> 8) & 0x3F] | S[2][(w >> 16) & 0x3F] | S[0][(w >> 24) & 0x3F];
    w = r ^ Keys[1];
    f |= S[7][w & 0x3F] | S[5][(w >> 8) & 0x3F] | S[3][(w >> 16) & 0x3F] | S[1][(w >> 24) & 0x3F];
    l ^= f;
    w = ((l << 28) | (l >> 4)) ^ Keys[2];
    f = S[6][w & 0x3F] | S[4][(w >> 8) & 0x3F] | S[2][(w >> 16) & 0x3F] | S[0][(w >> 24) & 0x3F];
    w = l ^ Keys[3];
    f |= S[7][w & 0x3F] | S[5][(w >> 8) & 0x3F] | S[3][(w >> 16) & 0x3F] | S[1][(w >> 24) & 0x3F];
    r ^= f;
    Keys += 4;
  }

  // Final permutation of (right, left).
  r = (r << 31) | (r >> 1);
  w = (l ^ r) & 0xAAAAAAAAu; l ^= w; r ^= w;
  l = (l << 31) | (l >> 1);
  w = ((l >> 8) ^ r) & 0x00FF00FFu; r ^= w; l ^= w << 8;
  w = ((l >> 2) ^ r) & 0x33333333u; r ^= w; l ^= w << 2;
  w = ((r >> 16) ^ l) & 0x0000FFFFu; l ^= w; r ^= w << 16;
  w = ((r >> 4) ^ l) & 0x0F0F0F0Fu; l ^= w; r ^= w << 4;
  Left = r;
  Right = l;
}

// The 16 round keys of the FIPS 46 schedule: per round the groups of S-boxes
// 1, 3, 5, 7 in one word and 2, 4, 6, 8 in the other, one byte each.
void MakeSchedule(const uint8_t Key[8], uint32_t Enc[32], uint32_t Dec[32]) {
  auto keyBit = [&](int n) { return (Key[(n - 1) >> 3] >> (7 - ((n - 1) & 7))) & 1; };
  uint8_t cd[56];
  for (int i = 0; i < 56; ++i) cd[i] = static_cast<uint8_t>(keyBit(kPC1[i]));
  for (int round = 0; round < 16; ++round) {
    for (int s = 0; s < kShifts[round]; ++s) {
      std::rotate(cd, cd + 1, cd + 28);
      std::rotate(cd + 28, cd + 29, cd + 56);
    }
    uint32_t group[8] = {};
    for (int i = 0; i < 48; ++i) group[i / 6] = (group[i / 6] << 1) | cd[kPC2[i] - 1];
    Enc[2 * round] = (group[0] << 24) | (group[2] << 16) | (group[4] << 8) | group[6];
    Enc[2 * round + 1] = (group[1] << 24) | (group[3] << 16) | (group[5] << 8) | group[7];
  }
  for (int round = 0; round < 16; ++round) {
    Dec[2 * round] = Enc[2 * (15 - round)];
    Dec[2 * round + 1] = Enc[2 * (15 - round) + 1];
  }
  std::memset(cd, 0, sizeof cd);
}

constexpr char kAlphabet[] = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct TSymbolValues {
  int8_t V[256];
};
constexpr TSymbolValues MakeSymbolValues() {
  TSymbolValues t{};
  for (auto& v : t.V) v = -1;
  for (int i = 0; i < 64; ++i) t.V[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
  return t;
}
constexpr TSymbolValues kSymbolValues = MakeSymbolValues();

// Appends 1 to 8 bytes of value p so that the length is a multiple of 8.
size_t PadLength(size_t n) { return 8 - (n % 8); }

// The length that remains of Length deciphered bytes once the padding that
// the last byte names is taken off: 1 to 8 bytes, or 1 for any other value.
size_t UnpaddedLength(const uint8_t* Data, size_t Length) {
  if (Length == 0) return 0;
  const uint8_t c = Data[Length - 1];
  const size_t cut = (c >= 1 && c <= 8) ? c : 1;
  return Length - std::min(cut, Length);
}

const char* const kKeyNotSet = "DES: Key not set";
const char* const kIVNotSet = "DES: IV not set";
const char* const kMacMode = "DES: Mode must be CBC for CBCMAC";
const char* const kInputNotFound = "DES: Input file not found";
const char* const kOutputOpen = "DES: Could not open output file";
const char* const kOutputWrite = "DES: Error writing output file";
const char* const kTooShort = "DES: Input not valid - too short";
const char* const kInvalidChar = "DES: Error converting from Base64 - invalid character";

}  // namespace

std::string DesBytesToText(const std::string& Bytes) {
  std::string out;
  out.reserve((Bytes.size() * 4 + 2) / 3);
  const auto* p = reinterpret_cast<const uint8_t*>(Bytes.data());
  size_t n = Bytes.size(), i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (n - i == 1) {
    const uint32_t v = uint32_t{p[i]} << 16;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
  } else if (n - i == 2) {
    const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8);
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
  }
  return out;
}

std::string DesTextToBytes(const std::string& Text) {
  std::string out;
  out.reserve(Text.size() / 4 * 3 + 2);
  uint32_t acc = 0;
  int symbols = 0;
  for (const char ch : Text) {
    const int v = kSymbolValues.V[static_cast<uint8_t>(ch)];
    if (v < 0) throw EConvertError(kInvalidChar);
    acc = (acc << 6) | static_cast<uint32_t>(v);
    if (++symbols == 4) {
      out += static_cast<char>(acc >> 16);
      out += static_cast<char>(acc >> 8);
      out += static_cast<char>(acc);
      acc = 0;
      symbols = 0;
    }
  }
  // A final 2 symbols give 1 byte, 3 symbols 2 bytes, 1 symbol nothing.
  if (symbols == 2) {
    out += static_cast<char>(acc >> 4);
  } else if (symbols == 3) {
    out += static_cast<char>(acc >> 10);
    out += static_cast<char>(acc >> 2);
  }
  return out;
}

void TDES::InitialiseByte(const uint8_t* Key, int32_t Keylength) {
  ctx.ct.fill(0);
  ctx.ByteBuffer.fill(0);
  uint8_t block[8] = {};
  for (int32_t i = 0; i < Keylength; ++i) block[i % 8] = Key[i];
  MakeSchedule(block, ctx.FEncKey, ctx.FDecKey);
  std::memset(block, 0, sizeof block);
  ctx.KeyInit = true;
}

void TDES::InitialiseString(const std::string& Key) {
  InitialiseByte(reinterpret_cast<const uint8_t*>(Key.data()), static_cast<int32_t>(std::min<size_t>(Key.size(), INT32_MAX)));
}

void TDES::LoadIVByte(const uint8_t* IVByte, int32_t IVLength) {
  ctx.IV.fill(0);
  for (int32_t i = 0; i < IVLength; ++i) ctx.IV[i % 8] ^= IVByte[i];
  ctx.IVInit = true;
}

void TDES::LoadIVString(const std::string& IVString) {
  LoadIVByte(reinterpret_cast<const uint8_t*>(IVString.data()), static_cast<int32_t>(std::min<size_t>(IVString.size(), INT32_MAX)));
}

void TDES::CheckReady() const {
  if (!ctx.KeyInit) throw EKeyError(kKeyNotSet);
  if (FCipherMode != ECB && !ctx.IVInit) throw EKeyError(kIVNotSet);
}

namespace {

// The mode steps over Count blocks in place with the register R0:R1; the
// mode is fixed for the whole run so that the loop carries no branch.
template <TCipherMode Mode>
void EncryptRun(const uint32_t* Keys, uint8_t* Data, size_t Count, uint32_t& R0, uint32_t& R1) {
  uint32_t r0 = R0, r1 = R1;
  for (size_t b = 0; b < Count; ++b, Data += 8) {
    uint32_t l = Load32(Data), r = Load32(Data + 4);
    if constexpr (Mode == CBC) {
      l ^= r0;
      r ^= r1;
      DesCore(Keys, l, r);
      r0 = l;
      r1 = r;
    } else if constexpr (Mode == ECB) {
      DesCore(Keys, l, r);
    } else if constexpr (Mode == CFB) {
      DesCore(Keys, r0, r1);
      l ^= r0;
      r ^= r1;
      r0 = l;
      r1 = r;
    } else {
      DesCore(Keys, r0, r1);
      l ^= r0;
      r ^= r1;
    }
    Store32(Data, l);
    Store32(Data + 4, r);
  }
  R0 = r0;
  R1 = r1;
}

// CFB and OFB decipher with the enciphering schedule EncKeys.
template <TCipherMode Mode>
void DecryptRun(const uint32_t* DecKeys, const uint32_t* EncKeys, uint8_t* Data, size_t Count, uint32_t& R0,
                uint32_t& R1) {
  uint32_t r0 = R0, r1 = R1;
  for (size_t b = 0; b < Count; ++b, Data += 8) {
    uint32_t l = Load32(Data), r = Load32(Data + 4);
    if constexpr (Mode == CBC) {
      const uint32_t c0 = l, c1 = r;
      DesCore(DecKeys, l, r);
      l ^= r0;
      r ^= r1;
      r0 = c0;
      r1 = c1;
    } else if constexpr (Mode == ECB) {
      DesCore(DecKeys, l, r);
    } else if constexpr (Mode == CFB) {
      const uint32_t c0 = l, c1 = r;
      DesCore(EncKeys, r0, r1);
      l ^= r0;
      r ^= r1;
      r0 = c0;
      r1 = c1;
    } else {
      DesCore(EncKeys, r0, r1);
      l ^= r0;
      r ^= r1;
    }
    Store32(Data, l);
    Store32(Data + 4, r);
  }
  R0 = r0;
  R1 = r1;
}

}  // namespace

void TDES::EncryptBlocks(uint8_t* Data, size_t Count) {
  uint32_t r0 = Load32(ctx.IV.data()), r1 = Load32(ctx.IV.data() + 4);
  switch (FCipherMode) {
    case CBC: EncryptRun<CBC>(ctx.FEncKey, Data, Count, r0, r1); break;
    case ECB: EncryptRun<ECB>(ctx.FEncKey, Data, Count, r0, r1); break;
    case CFB: EncryptRun<CFB>(ctx.FEncKey, Data, Count, r0, r1); break;
    case OFB: EncryptRun<OFB>(ctx.FEncKey, Data, Count, r0, r1); break;
  }
  Store32(ctx.IV.data(), r0);
  Store32(ctx.IV.data() + 4, r1);
}

void TDES::DecryptBlocks(uint8_t* Data, size_t Count) {
  uint32_t r0 = Load32(ctx.IV.data()), r1 = Load32(ctx.IV.data() + 4);
  switch (FCipherMode) {
    case CBC: DecryptRun<CBC>(ctx.FDecKey, ctx.FEncKey, Data, Count, r0, r1); break;
    case ECB: DecryptRun<ECB>(ctx.FDecKey, ctx.FEncKey, Data, Count, r0, r1); break;
    case CFB: DecryptRun<CFB>(ctx.FDecKey, ctx.FEncKey, Data, Count, r0, r1); break;
    case OFB: DecryptRun<OFB>(ctx.FDecKey, ctx.FEncKey, Data, Count, r0, r1); break;
  }
  Store32(ctx.IV.data(), r0);
  Store32(ctx.IV.data() + 4, r1);
}

void TDES::EncBlock(const TBlock& Input, TBlock& Output) {
  CheckReady();
  ctx.ByteBuffer = Input;
  EncryptBlocks(ctx.ByteBuffer.data(), 1);
  Output = ctx.ByteBuffer;
}

void TDES::DecBlock(const TBlock& Input, TBlock& Output) {
  CheckReady();
  ctx.ByteBuffer = Input;
  DecryptBlocks(ctx.ByteBuffer.data(), 1);
  Output = ctx.ByteBuffer;
}

void TDES::EncString(const std::string& Input, std::string& Output) {
  CheckReady();
  Output.clear();
  if (Input.empty()) return;
  const size_t pad = PadLength(Input.size());
  std::string raw = Input;
  raw.append(pad, static_cast<char>(pad));
  EncryptBlocks(reinterpret_cast<uint8_t*>(raw.data()), raw.size() / 8);
  Output = FStringMode == smEncode ? DesBytesToText(raw) : std::move(raw);
}

void TDES::DecString(const std::string& Input, std::string& Output) {
  CheckReady();
  Output.clear();
  if (Input.empty()) return;
  std::string raw = FStringMode == smEncode ? DesTextToBytes(Input) : Input;
  if (raw.size() < 8) throw EInputError(kTooShort);
  // Whole blocks only: an incomplete tail is ignored.
  const size_t blocks = raw.size() / 8;
  auto* data = reinterpret_cast<uint8_t*>(raw.data());
  DecryptBlocks(data, blocks);
  Output.assign(raw, 0, UnpaddedLength(data, blocks * 8));
}

void TDES::AddCrc(const uint8_t* Data, size_t Length) {
  if (!FCrcCaclFlage || Length == 0) return;
  FCrc32Value = static_cast<int32_t>(Crc32Update(static_cast<uint32_t>(FCrc32Value), Data, static_cast<int32_t>(Length)));
}

namespace {

std::unique_ptr<TFileStream> OpenInput(const std::string& Name) {
  try {
    return std::make_unique<TFileStream>(AnsiToWide(Name), fmOpenRead | fmShareDenyWrite);
  } catch (const Exception&) {
    throw EFileError(kInputNotFound);
  }
}

std::unique_ptr<TAtomicFileStream> OpenOutput(const std::string& Name) {
  try {
    return std::make_unique<TAtomicFileStream>(AnsiToWide(Name));
  } catch (const Exception&) {
    throw EFileError(kOutputOpen);
  }
}

void WriteOut(TStream& Out, const uint8_t* Data, size_t Length) {
  if (Length == 0) return;
  int64_t written = 0;
  try {
    written = Out.Write(Data, static_cast<int64_t>(Length));
  } catch (const Exception&) {
    written = -1;
  }
  if (written != static_cast<int64_t>(Length)) throw EFileError(kOutputWrite);
}

void CommitOut(TAtomicFileStream& Out) {
  try {
    Out.Commit();
  } catch (const Exception&) {
    throw EFileError(kOutputWrite);
  }
}

}  // namespace

void TDES::EncFile(const std::string& InputFileName, const std::string& OutputFileName) {
  CheckReady();
  auto in = OpenInput(InputFileName);
  auto out = OpenOutput(OutputFileName);
  const int64_t size = in->Size();
  int64_t done = 0;
  for (;;) {
    const auto len = static_cast<size_t>(std::min<int64_t>(kChunk, size - done));
    in->ReadBuffer(FBuffer, static_cast<int64_t>(len));
    done += static_cast<int64_t>(len);
    size_t total = len;
    const bool last = done >= size;
    if (last) {
      const size_t pad = PadLength(len);
      std::memset(FBuffer + len, static_cast<int>(pad), pad);
      total += pad;
    }
    EncryptBlocks(FBuffer, total / 8);
    WriteOut(*out, FBuffer, total);
    if (last) break;
  }
  CommitOut(*out);
}

void TDES::DecFile(const std::string& InputFileName, const std::string& OutputFileName) {
  CheckReady();
  auto in = OpenInput(InputFileName);
  const int64_t usable = in->Size() / 8 * 8;  // an incomplete tail is ignored
  if (usable < 8) throw EInputError(kTooShort);
  auto out = OpenOutput(OutputFileName);
  int64_t done = 0;
  while (done < usable) {
    const auto len = static_cast<size_t>(std::min<int64_t>(kChunk, usable - done));
    in->ReadBuffer(FBuffer, static_cast<int64_t>(len));
    done += static_cast<int64_t>(len);
    DecryptBlocks(FBuffer, len / 8);
    WriteOut(*out, FBuffer, done >= usable ? UnpaddedLength(FBuffer, len) : len);
  }
  CommitOut(*out);
}

namespace {

// The bytes a stream operation works on; both streams rewound unless the
// caller asked to start where they stand.
int64_t StreamCount(TStream& Input, TStream& Output, bool NoPos) {
  if (NoPos) return std::max<int64_t>(0, Input.Size() - Input.Position());
  Input.SetPosition(0);
  Output.SetPosition(0);
  return Input.Size();
}

}  // namespace

void TDES::EncStream(TStream& Input, TStream& Output) {
  const int64_t n = StreamCount(Input, Output, FEncDecNoPosFlage);
  if (n == 0) return;
  CheckReady();
  int64_t left = n;
  while (left >= kChunk) {
    Input.ReadBuffer(FBuffer, kChunk);
    AddCrc(FBuffer, kChunk);
    EncryptBlocks(FBuffer, kChunk / 8);
    Output.WriteBuffer(FBuffer, kChunk);
    left -= kChunk;
  }
  const auto r = static_cast<size_t>(left);
  Input.ReadBuffer(FBuffer, left);
  AddCrc(FBuffer, r);
  const size_t pad = PadLength(r);
  std::memset(FBuffer + r, static_cast<int>(pad), pad);
  EncryptBlocks(FBuffer, (r + pad) / 8);
  Output.WriteBuffer(FBuffer, static_cast<int64_t>(r + pad));
}

void TDES::DecStream(TStream& Input, TStream& Output) {
  const int64_t n = StreamCount(Input, Output, FEncDecNoPosFlage);
  if (n == 0) return;
  CheckReady();
  const int64_t usable = n / 8 * 8;  // an incomplete tail is ignored
  if (usable < 8) throw EInputError(kTooShort);
  int64_t done = 0;
  while (done < usable) {
    const auto len = static_cast<size_t>(std::min<int64_t>(kChunk, usable - done));
    Input.ReadBuffer(FBuffer, static_cast<int64_t>(len));
    done += static_cast<int64_t>(len);
    DecryptBlocks(FBuffer, len / 8);
    const size_t keep = done >= usable ? UnpaddedLength(FBuffer, len) : len;
    Output.WriteBuffer(FBuffer, static_cast<int64_t>(keep));
    AddCrc(FBuffer, keep);
  }
}

void TDES::CBCMACBlock(TBlock& MAC) {
  MAC.fill(0);
  if (FCipherMode != CBC) throw EKeyError(kMacMode);
  CheckReady();
  MAC = ctx.IV;
}

void TDES::CBCMACString(std::string& MAC) {
  TBlock block;
  CBCMACBlock(block);
  MAC.clear();
  for (const uint8_t b : block) vxRuntime::AppendHexByte(MAC, b);
}

void TDES::Burn() {
  // volatile writes so that the wipe is not dropped as a dead store.
  volatile uint8_t* p = reinterpret_cast<volatile uint8_t*>(&ctx);
  for (size_t i = 0; i < sizeof ctx; ++i) p[i] = 0;
  ctx.KeyInit = false;
  ctx.IVInit = false;
}

}  // namespace vxInternal
