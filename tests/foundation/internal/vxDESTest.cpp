// DES: the FIPS known answer, the four modes against OpenSSL's DES over
// random keys, vectors and lengths, key and vector folding, the chain across
// calls, the text form, padding, files, streams with CRC, CBC-MAC and Burn.
#include "foundation/internal/vxDES.h"

// OpenSSL's legacy DES routines serve only as the oracle here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <gtest/gtest.h>
#include <openssl/des.h>

#include <random>
#include <string>

#include "foundation/internal/vxCRC.h"
#include "platform/files/vxStream.h"
#include "support/vxTestTempDir.h"

using namespace vxInternal;

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

TBlock ToBlock(const std::string& bytes) {
  TBlock b{};
  for (size_t i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(bytes[i]);
  return b;
}

std::string FromBlock(const TBlock& b) { return std::string(b.begin(), b.end()); }

std::string RandomBytes(std::mt19937& rng, size_t n) {
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

std::string Padded(std::string s) {
  const size_t p = 8 - s.size() % 8;
  s.append(p, static_cast<char>(p));
  return s;
}

// OpenSSL's encipherment of already padded data.
std::string OpenSslEncrypt(TCipherMode mode, const std::string& key, const std::string& iv, const std::string& data) {
  DES_cblock k, v;
  memcpy(k, key.data(), 8);
  memcpy(v, iv.data(), 8);
  DES_key_schedule ks;
  DES_set_key_unchecked(&k, &ks);
  std::string out(data.size(), '\0');
  auto* in = reinterpret_cast<const unsigned char*>(data.data());
  auto* o = reinterpret_cast<unsigned char*>(out.data());
  int num = 0;
  switch (mode) {
    case ECB:
      for (size_t i = 0; i < data.size(); i += 8) {
        DES_cblock bin, bout;
        memcpy(bin, in + i, 8);
        DES_ecb_encrypt(&bin, &bout, &ks, DES_ENCRYPT);
        memcpy(o + i, bout, 8);
      }
      break;
    case CBC:
      DES_ncbc_encrypt(in, o, static_cast<long>(data.size()), &ks, &v, DES_ENCRYPT);
      break;
    case CFB:
      DES_cfb64_encrypt(in, o, static_cast<long>(data.size()), &ks, &v, &num, DES_ENCRYPT);
      break;
    case OFB:
      DES_ofb64_encrypt(in, o, static_cast<long>(data.size()), &ks, &v, &num);
      break;
  }
  return out;
}

struct TDesFixture : ::testing::Test {
  TDES des;
};

}  // namespace

TEST(DESTest, FipsKnownAnswer) {
  TDES des;
  des.SetCipherMode(ECB);
  des.InitialiseString(Unhex("133457799BBCDFF1"));
  TBlock out;
  des.EncBlock(ToBlock(Unhex("0123456789ABCDEF")), out);
  EXPECT_EQ(Hex(FromBlock(out)), "85E813540F0AB405");
  TBlock back;
  des.DecBlock(out, back);
  EXPECT_EQ(Hex(FromBlock(back)), "0123456789ABCDEF");
  EXPECT_EQ(TDES::GetVersion(), "DES 1.15");
}

TEST(DESTest, FourModesAgreeWithOpenSsl) {
  std::mt19937 rng(20261211);
  for (const TCipherMode mode : {ECB, CBC, CFB, OFB}) {
    for (int round = 0; round < 60; ++round) {
      const std::string key = RandomBytes(rng, 8), iv = RandomBytes(rng, 8);
      const std::string plain = RandomBytes(rng, rng() % 300);
      TDES des;
      des.SetCipherMode(mode);
      des.SetStringMode(smNormal);
      des.InitialiseString(key);
      des.LoadIVString(iv);
      std::string cipher;
      des.EncString(plain, cipher);
      if (plain.empty()) {
        EXPECT_TRUE(cipher.empty());
        continue;
      }
      ASSERT_EQ(Hex(cipher), Hex(OpenSslEncrypt(mode, key, iv, Padded(plain)))) << "mode " << mode << " round " << round;
      des.LoadIVString(iv);
      std::string back;
      des.DecString(cipher, back);
      EXPECT_EQ(back, plain);
    }
  }
}

TEST(DESTest, ParityBitsTakeNoPart) {
  TDES a, b;
  a.SetCipherMode(ECB);
  b.SetCipherMode(ECB);
  a.InitialiseString(Unhex("133457799BBCDFF1"));
  b.InitialiseString(Unhex("123556789ABCDEF0"));  // each byte's low bit flipped
  TBlock x, y;
  a.EncBlock(ToBlock(Unhex("0123456789ABCDEF")), x);
  b.EncBlock(ToBlock(Unhex("0123456789ABCDEF")), y);
  EXPECT_EQ(x, y);
}

TEST(DESTest, LongKeysFoldAndShortKeysPadWithZeros) {
  const std::string plain = "same plain text";
  auto enc = [&](const std::string& key) {
    TDES des;
    des.SetCipherMode(ECB);
    des.InitialiseString(key);
    std::string out;
    des.EncString(plain, out);
    return out;
  };
  // Bytes 9 and 10 replace bytes 1 and 2.
  EXPECT_EQ(enc("ABCDEFGHIJ"), enc("IJCDEFGH"));
  EXPECT_EQ(enc("abc"), enc(std::string("abc\0\0\0\0\0", 8)));
  EXPECT_NE(enc("ABCDEFGHIJ"), enc("ABCDEFGH"));
}

TEST(DESTest, LongVectorsFoldByXor) {
  const std::string iv12 = "\x01\x02\x03\x04\x05\x06\x07\x08\x10\x20\x30\x40";
  const std::string iv8 = "\x11\x22\x33\x44\x05\x06\x07\x08";
  auto enc = [&](const std::string& iv) {
    TDES des;
    des.InitialiseString("key");
    des.LoadIVString(iv);
    std::string out;
    des.EncString("chained text", out);
    return out;
  };
  EXPECT_EQ(enc(iv12), enc(iv8));
  EXPECT_EQ(enc("\x01"), enc(std::string("\x01\0\0\0\0\0\0\0", 8)));
}

TEST_F(TDesFixture, ReadinessChecks) {
  std::string out;
  try {
    des.EncString("", out);
    FAIL();
  } catch (const EKeyError& e) {
    EXPECT_STREQ(e.what(), "DES: Key not set");
  }
  EXPECT_THROW(des.DecString("", out), EKeyError);
  des.InitialiseString("key");
  // A new component is in CBC and needs a vector.
  try {
    des.EncString("x", out);
    FAIL();
  } catch (const EKeyError& e) {
    EXPECT_STREQ(e.what(), "DES: IV not set");
  }
  des.SetCipherMode(ECB);
  des.EncString("x", out);
  EXPECT_EQ(out.size(), 11u);
  // Loading a new key keeps the vector state.
  des.SetCipherMode(OFB);
  des.LoadIVString("iv");
  des.InitialiseString("other");
  EXPECT_TRUE(des.Context().IVInit);
  des.EncString("x", out);
}

TEST_F(TDesFixture, CbcChainContinuesAcrossCalls) {
  des.InitialiseString("chainkey");
  des.LoadIVString("12345678");
  std::string a, b;
  des.EncString("the same text", a);
  des.EncString("the same text", b);
  EXPECT_NE(a, b);
  // Deciphering in the same order with the vector reloaded gives both back.
  des.LoadIVString("12345678");
  std::string pa, pb;
  des.DecString(a, pa);
  des.DecString(b, pb);
  EXPECT_EQ(pa, "the same text");
  EXPECT_EQ(pb, "the same text");
}

TEST_F(TDesFixture, SymbolCountsAndShortInput) {
  des.SetCipherMode(ECB);
  des.InitialiseString("k");
  struct {
    size_t bytes, symbols;
  } cases[] = {{0, 0}, {1, 11}, {7, 11}, {8, 22}, {15, 22}, {16, 32}};
  for (const auto& c : cases) {
    std::string out;
    des.EncString(std::string(c.bytes, 'x'), out);
    EXPECT_EQ(out.size(), c.symbols) << c.bytes;
    std::string back;
    des.DecString(out, back);
    EXPECT_EQ(back, std::string(c.bytes, 'x'));
  }
  for (size_t n = 1; n <= 10; ++n) {
    std::string out;
    try {
      des.DecString(std::string(n, 'A'), out);
      FAIL() << n;
    } catch (const EInputError& e) {
      EXPECT_STREQ(e.what(), "DES: Input not valid - too short");
    }
  }
  std::string out;
  for (const char* bad : {"AAAAAAAAAAA AAAAAAAAAA", "AAAAAAAAAAA=", "AAAAAAAAAAA/", "AAAA\r\nAAAAAAAA"}) {
    try {
      des.DecString(bad, out);
      FAIL() << bad;
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), "DES: Error converting from Base64 - invalid character");
    }
  }
}

TEST(DESTest, TextFormIsTheXxencodeAlphabet) {
  EXPECT_EQ(DesBytesToText(std::string("\0\0\0", 3)), "++++");
  EXPECT_EQ(DesBytesToText("\xFF\xFF\xFF"), "zzzz");
  EXPECT_EQ(DesBytesToText("\xFF"), "zk");
  EXPECT_EQ(DesBytesToText("\xFF\xFF"), "zzw");
  EXPECT_EQ(DesTextToBytes("zk"), "\xFF");
  EXPECT_EQ(DesTextToBytes("zzw"), "\xFF\xFF");
  EXPECT_EQ(DesTextToBytes("zzzzz"), "\xFF\xFF\xFF");  // a final single symbol gives nothing
  std::mt19937 rng(7);
  for (int i = 0; i < 50; ++i) {
    const std::string b = RandomBytes(rng, rng() % 40);
    EXPECT_EQ(DesTextToBytes(DesBytesToText(b)), b);
  }
}

TEST_F(TDesFixture, PaddingRemovalAndIncompleteTail) {
  des.SetCipherMode(ECB);
  des.SetStringMode(smNormal);
  des.InitialiseString("padkey");
  auto encRaw = [&](const std::string& block16) {
    // Enciphers whole blocks without padding, through EncBlock.
    std::string out;
    for (size_t i = 0; i < block16.size(); i += 8) {
      TBlock o;
      des.EncBlock(ToBlock(block16.substr(i, 8)), o);
      out += FromBlock(o);
    }
    return out;
  };
  std::string out;
  // A last byte of 0 or above 8 removes only that byte.
  des.DecString(encRaw(std::string("ABCDEFG\0", 8)), out);
  EXPECT_EQ(out, "ABCDEFG");
  des.DecString(encRaw("ABCDEFG\x09"), out);
  EXPECT_EQ(out, "ABCDEFG");
  des.DecString(encRaw("ABCDEFG\xFF"), out);
  EXPECT_EQ(out, "ABCDEFG");
  // A last byte of 8 in a single block leaves nothing, never a negative count.
  des.DecString(encRaw("\x08\x08\x08\x08\x08\x08\x08\x08"), out);
  EXPECT_EQ(out, "");
  // An incomplete tail after whole blocks is ignored.
  des.DecString(encRaw("ABCDEFG\x01") + "xyz", out);
  EXPECT_EQ(out, "ABCDEFG");
}

TEST_F(TDesFixture, FilesRoundTripAndErrors) {
  TTestTempDir dir;
  des.InitialiseString("filekey");
  des.LoadIVString("fileiv");
  for (const size_t size : {0, 1, 4095, 4096, 4097, 10000}) {
    std::string plain(size, '\0');
    for (size_t i = 0; i < size; ++i) plain[i] = static_cast<char>(i * 31 + 7);
    TTestTempDir::WriteBytes(dir.File("plain"), plain);
    des.LoadIVString("fileiv");
    des.EncFile(dir.File("plain"), dir.File("cipher"));
    const std::string cipher = TTestTempDir::ReadBytes(dir.File("cipher"));
    EXPECT_EQ(cipher.size(), (size / 8 + 1) * 8) << size;
    EXPECT_EQ(cipher, OpenSslEncrypt(CBC, std::string("filekey\0", 8), std::string("fileiv\0\0", 8), Padded(plain))) << size;

    des.LoadIVString("fileiv");
    des.DecFile(dir.File("cipher"), dir.File("back"));
    EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("back")), plain) << size;
  }
  try {
    des.EncFile(dir.File("missing"), dir.File("out"));
    FAIL();
  } catch (const EFileError& e) {
    EXPECT_STREQ(e.what(), "DES: Input file not found");
  }
  try {
    des.EncFile(dir.File("plain"), dir.File("no/such/folder/out"));
    FAIL();
  } catch (const EFileError& e) {
    EXPECT_STREQ(e.what(), "DES: Could not open output file");
  }
  // An encrypted file of fewer than 8 bytes is refused and leaves no output.
  TTestTempDir::WriteBytes(dir.File("short"), "abc");
  EXPECT_THROW(des.DecFile(dir.File("short"), dir.File("shortout")), EInputError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("shortout")));
}

TEST_F(TDesFixture, EmptyFileGivesOnePaddingBlock) {
  TTestTempDir dir;
  des.SetCipherMode(ECB);
  des.InitialiseString("k");
  TTestTempDir::WriteBytes(dir.File("empty"), "");
  des.EncFile(dir.File("empty"), dir.File("out"));
  TBlock expected;
  des.EncBlock(ToBlock(std::string(8, '\x08')), expected);
  EXPECT_EQ(TTestTempDir::ReadBytes(dir.File("out")), FromBlock(expected));
}

TEST_F(TDesFixture, StreamsWithCrcAndPositions) {
  des.InitialiseString("streamkey");
  des.SetCrcCaclFlage(true);
  std::string plain(9000, '\0');
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i ^ (i >> 3));
  TMemoryStream in(plain), cipher;
  des.LoadIVString("streamiv");
  des.EncStream(in, cipher);
  EXPECT_EQ(cipher.Size(), static_cast<int64_t>((plain.size() / 8 + 1) * 8));
  const int32_t encCrc = des.Crc32Value();
  EXPECT_EQ(static_cast<uint32_t>(encCrc), Crc32Update(0, plain.data(), static_cast<int32_t>(plain.size())));
  des.SetCrc32Value(0);
  des.LoadIVString("streamiv");
  TMemoryStream back;
  des.DecStream(cipher, back);
  EXPECT_EQ(back.DataString(), plain);
  EXPECT_EQ(des.Crc32Value(), encCrc);

  // An empty stream writes nothing, not even without a key.
  TDES fresh;
  TMemoryStream empty, out;
  fresh.EncStream(empty, out);
  EXPECT_EQ(out.Size(), 0);

  // Starting where the input stands.
  des.SetEncDecNoPosFlage(true);
  TMemoryStream part("skipXYZ"), partOut;
  part.SetPosition(4);
  des.LoadIVString("streamiv");
  des.EncStream(part, partOut);
  des.LoadIVString("streamiv");
  std::string direct;
  des.SetStringMode(smNormal);
  des.EncString("XYZ", direct);
  EXPECT_EQ(partOut.DataString(), direct);
}

TEST_F(TDesFixture, CbcMac) {
  TBlock mac;
  mac.fill(0xAA);
  des.SetCipherMode(ECB);
  des.InitialiseString("mackey");
  try {
    des.CBCMACBlock(mac);
    FAIL();
  } catch (const EKeyError& e) {
    EXPECT_STREQ(e.what(), "DES: Mode must be CBC for CBCMAC");
  }
  EXPECT_EQ(mac, TBlock{});
  des.SetCipherMode(CBC);
  des.LoadIVString("");
  des.SetStringMode(smNormal);
  std::string cipher, text;
  des.EncString("message to authenticate", cipher);
  des.CBCMACBlock(mac);
  EXPECT_EQ(FromBlock(mac), cipher.substr(cipher.size() - 8));
  des.CBCMACString(text);
  EXPECT_EQ(text, Hex(cipher.substr(cipher.size() - 8)));
}

TEST_F(TDesFixture, BurnEmptiesTheState) {
  des.InitialiseString("k");
  des.LoadIVString("iv");
  des.SetCipherMode(OFB);
  des.Burn();
  EXPECT_FALSE(des.Context().KeyInit);
  EXPECT_FALSE(des.Context().IVInit);
  EXPECT_EQ(des.Context().IV, TBlock{});
  EXPECT_EQ(des.CipherMode(), OFB);
  std::string out;
  EXPECT_THROW(des.EncString("x", out), EKeyError);
}

TEST(CRCTest, StandardCheckValueAndPieces) {
  const std::string s = "123456789";
  EXPECT_EQ(Crc32Update(0, s.data(), 9), 0xCBF43926u);
  const uint32_t first = Crc32Update(0, s.data(), 4);
  EXPECT_EQ(Crc32Update(first, s.data() + 4, 5), 0xCBF43926u);
  EXPECT_EQ(Crc32Update(0x1234u, nullptr, 9), 0u);
  EXPECT_EQ(Crc32Update(0x1234u, s.data(), 0), 0x1234u);
}

TEST_F(TDesFixture, StreamsRefuseShortInputAndIgnoreAnIncompleteTail) {
  TMemoryStream plain("stream text"), cipher, none;
  EXPECT_THROW(des.EncStream(plain, none), EKeyError);  // a non-empty stream needs a key
  des.InitialiseString("k");
  des.LoadIVString("v");
  des.EncStream(plain, cipher);
  // Three stray bytes after the whole blocks are not deciphered.
  TMemoryStream withTail(cipher.DataString() + "xyz"), back;
  des.LoadIVString("v");
  des.DecStream(withTail, back);
  EXPECT_EQ(back.DataString(), "stream text");
  TMemoryStream tiny("1234567"), out;
  EXPECT_THROW(des.DecStream(tiny, out), EInputError);
  EXPECT_EQ(out.Size(), 0);
}
