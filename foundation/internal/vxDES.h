// TDES: the Data Encryption Standard (FIPS 46) in the modes CBC, ECB, CFB
// and OFB over single blocks, 8-bit strings (raw or in a 64-symbol text
// form), files and streams, with a CBC-MAC and an optional CRC-32 of the
// plain data of the stream operations.
//
// Deciphering takes whole blocks only: an incomplete tail (a text form or
// file whose bytes are not a multiple of 8) is ignored, and padding removal
// never takes more bytes than there are.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/base/vxExceptions.h"

class TStream;

namespace vxInternal {

VX_DECLARE_EXCEPTION(EKeyError, Exception);
VX_DECLARE_EXCEPTION(EFileError, Exception);
VX_DECLARE_EXCEPTION(EInputError, Exception);

using TBlock = std::array<uint8_t, 8>;
using PBlock = TBlock*;

enum TCipherMode { CBC, ECB, CFB, OFB };
// smEncode: string results are written in the text form and string inputs
// read from it; smNormal: strings carry the raw cipher bytes.
enum TStringMode { smEncode, smNormal };

// The cipher state.
struct Tdes_ctx {
  bool KeyInit = false;
  bool IVInit = false;
  TBlock IV{};          // the chaining register
  TBlock ct{};          // scratch block of the mode steps
  uint32_t FEncKey[32]{};  // round keys 1 to 16, two words each
  uint32_t FDecKey[32]{};  // the same in reverse round order
  TBlock ByteBuffer{};  // the block being worked on
};

class TDES {
 public:
  static constexpr int kChunk = 4096;

  TDES() = default;
  TDES(const TDES&) = delete;
  TDES& operator=(const TDES&) = delete;
  // Wipes the key material.
  ~TDES() { Burn(); }

  static std::string GetVersion() { return "DES 1.15"; }

  // Key byte i goes to position i mod 8 (the last byte falling on a position
  // wins); the parity bits take no part. The register stays as it is.
  void InitialiseString(const std::string& Key);
  void InitialiseByte(const uint8_t* Key, int32_t Keylength);
  // Input byte i is combined by XOR into position i mod 8 of a cleared IV.
  void LoadIVString(const std::string& IVString);
  void LoadIVByte(const uint8_t* IVByte, int32_t IVLength);

  void EncBlock(const TBlock& Input, TBlock& Output);
  void DecBlock(const TBlock& Input, TBlock& Output);

  // Pads with 1 to 8 bytes of value p; an empty Input gives an empty Output.
  void EncString(const std::string& Input, std::string& Output);
  // Raises EInputError "DES: Input not valid - too short" below 8 bytes and
  // EConvertError for a character outside the text form's alphabet.
  void DecString(const std::string& Input, std::string& Output);

  // An existing output file is replaced only when the whole output was
  // written; on failure no output file is left behind.
  void EncFile(const std::string& InputFileName, const std::string& OutputFileName);
  void DecFile(const std::string& InputFileName, const std::string& OutputFileName);

  void EncStream(TStream& Input, TStream& Output);
  void DecStream(TStream& Input, TStream& Output);

  void CBCMACBlock(TBlock& MAC);
  void CBCMACString(std::string& MAC);

  // Zero-fills the whole cipher state; properties and FBuffer stay.
  void Burn();

  TCipherMode CipherMode() const { return FCipherMode; }
  void SetCipherMode(TCipherMode Value) { FCipherMode = Value; }
  TStringMode StringMode() const { return FStringMode; }
  void SetStringMode(TStringMode Value) { FStringMode = Value; }
  bool CrcCaclFlage() const { return FCrcCaclFlage; }
  void SetCrcCaclFlage(bool Value) { FCrcCaclFlage = Value; }
  int32_t Crc32Value() const { return FCrc32Value; }
  void SetCrc32Value(int32_t Value) { FCrc32Value = Value; }
  bool EncDecNoPosFlage() const { return FEncDecNoPosFlage; }
  void SetEncDecNoPosFlage(bool Value) { FEncDecNoPosFlage = Value; }

  const Tdes_ctx& Context() const { return ctx; }

 private:
  void CheckReady() const;
  // The mode steps over Count whole blocks in place.
  void EncryptBlocks(uint8_t* Data, size_t Count);
  void DecryptBlocks(uint8_t* Data, size_t Count);
  void AddCrc(const uint8_t* Data, size_t Length);

  Tdes_ctx ctx;
  uint8_t FBuffer[4105]{};
  TCipherMode FCipherMode = CBC;
  TStringMode FStringMode = smEncode;
  bool FCrcCaclFlage = false;
  int32_t FCrc32Value = 0;
  bool FEncDecNoPosFlage = false;
};

// The 64-symbol text form: "+-0-9A-Za-z", 3 bytes to 4 symbols, no padding
// character. DesTextToBytes raises EConvertError "DES: Error converting from
// Base64 - invalid character" for any character outside the alphabet.
std::string DesBytesToText(const std::string& Bytes);
std::string DesTextToBytes(const std::string& Text);

}  // namespace vxInternal
