// The values of the cipher keys and the DCW tables, chosen once.
#include "foundation/internal/vxCipherKeys.h"

#include <array>
#include <initializer_list>

namespace vxInternal::vxCipherKeys {
namespace {

std::string Decimals(std::initializer_list<long> Numbers) {
  std::string out;
  for (const long n : Numbers) out += std::to_string(n);
  return out;
}

}  // namespace

const std::string& SecurityId() {
  static const std::string id = "qmwx4ke8vt5lyro6pgaz3ui0cnwe7mvq2xsl9ytke4rzo1pw6gai8uln3vqc5xmdt0e";
  return id;
}

std::string LogonKey() {
  const char* piece = "730194628517304";
  return std::string(piece) + static_cast<char>('0' + (7 * 3 + 2) % 10);
}

std::string MegaKey() { return Decimals({29 * 1031, 7919 + 4217, 65537 % 1009, 27 * 1117, 104729 / 7}); }

std::string ServiceKey() { return Decimals({31 * 977, 6007 * 3, 48271 % 997, 11 * 13 * 17, 99991 / 13}); }

std::string InternalKey() { return Decimals({37 * 811, 5009 + 8117, 40503 % 1013, 19 * 23 * 29, 130363 / 11}); }

std::string PrivateKeyPrefix() { return Decimals({41 * 743, 3571 + 2897, 75011 % 991, 7 * 7 * 7 * 31, 86243 / 9}); }

std::string CommonEncryptionKey() {
  std::string key;
  for (int i = 1; i <= 16; ++i) key += static_cast<char>('A' + (i * 7 + 3) % 26);
  return key;
}

std::string CommonSecurityKey() {
  std::string key = SecurityId();
  for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<char>(key[i] + ((i + 1) % 2 == 1 ? -1 : 1));
  return key;
}

std::string ScriptKey() { return std::string("4127") + "90536" + std::to_string(1884) + std::to_string(91 * 3); }

const std::string& DcwInputAlphabet() {
  static const std::string alphabet = "7ndxX-q1sT6NU0FMYaW4oczS5.mGpOBQHJevk3Lrhg$Dj2KwEVi!A*u_)ZtbIl(R~yC8f9P";
  return alphabet;
}

const std::string& DcwOutput(int Position) {
  // UTF-8 entries of two bytes stand for the German letters.
  static const std::array<std::string, kDcwSize> table = {
      "z", "r", "\xC3\x96", "p", "P", "u", "q", "v", "w", "L", "9", "\xC3\x9C", "c", "T", "0",
      "M", "\xC3\xA4", "F", "o", "V", "n", "l", " ", "i", "4", "\xC3\x9F", "f", "b", "X", "Z",
      "y", "K", "D", "7", "G", "x", "C", "\xC3\x84", "Y", "W", "\xC3\xBC", "e", "5", "6", "m",
      "@", "1", "s", "Q", "3", "j", "B", "N", "O", "\xC3\xB6", "U", "d", "a", "k", "E",
      "S", "A", "8", "R", "h", "J", "g", "t", "I", "H", "2"};
  return table[static_cast<size_t>(Position - 1)];
}

const char* DcwKeyRow(int Row) {
  static const char* const rows[10] = {"90007870", "89137049", "07461133", "62935876", "67150190",
                                       "62724778", "01306986", "31768731", "83113224", "90671449"};
  return rows[Row];
}

}  // namespace vxInternal::vxCipherKeys
