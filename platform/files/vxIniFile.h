// INI files: sections in brackets, "key=value" lines, ";" comments. The
// reader follows the original platform's profile files: section and key
// names are found without regard to case (vxCaseMap::Upper on both sides),
// blanks around names and values are dropped, a value wholly in matching
// quotation marks (double or single) loses them, the first section of a
// name and the first key of a name in it count, a line without "=" is a key
// with an empty value. Lines before the first section belong to no section.
//
// Encodings: a file is read by its byte-order mark (UTF-8 or UTF-16 little
// endian, or big endian); without one as UTF-8 when it is well formed, else as
// Windows-1252. Writing keeps the file's encoding as long as it holds every
// character, else it becomes UTF-8 with a mark (UTF-16 LE with a mark for a
// lone surrogate), so nothing is lost. Files are replaced whole and
// atomically (TAtomicFileStream).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"

enum class TIniEncoding { Ansi, Utf8, Utf8Mark, Utf16LEMark };

class TIniFile {
 public:
  // Reads FileName; a missing file is an empty one. Raises EFOpenError when
  // the file exists but cannot be read.
  explicit TIniFile(const ustring& FileName);
  // An INI text in memory (no file name; UpdateFile then does nothing).
  static TIniFile FromBytes(std::string_view Bytes);
  static TIniFile FromText(const ustring& Text, TIniEncoding Encoding);

  const ustring& FileName() const { return FFileName; }
  TIniEncoding Encoding() const { return FEncoding; }
  void SetEncoding(TIniEncoding Encoding) { FEncoding = Encoding; }

  bool SectionExists(const ustring& Section) const;
  bool ValueExists(const ustring& Section, const ustring& Ident) const;
  ustring ReadString(const ustring& Section, const ustring& Ident, const ustring& Default) const;
  // The value as a 32-bit number: decimal with an optional sign, or
  // hexadecimal after "0x" or "$"; Default when absent or no such number.
  int32_t ReadInteger(const ustring& Section, const ustring& Ident, int32_t Default) const;
  // ReadInteger(..., Default ? 1 : 0) != 0.
  bool ReadBool(const ustring& Section, const ustring& Ident, bool Default) const;

  // Sets the value of a key: the first key of the name in the section is
  // rewritten as "key=value", or a new line goes after the section's last
  // key, or a new section goes at the end. Raises EConvertError for a name
  // or value holding a line break, which could not be read back.
  void WriteString(const ustring& Section, const ustring& Ident, const ustring& Value);

  // The whole text, lines ended by CR LF, and its bytes in Encoding().
  ustring Text() const;
  std::string Bytes() const;
  // Writes the text to FileName (or to another file), replacing it whole.
  // Raises EFOpenError when the file cannot be created, EWriteError when it
  // cannot be written; the old file then stays as it was.
  void UpdateFile() const;
  void SaveToFile(const ustring& FileName) const;

 private:
  TIniFile() = default;
  void Parse(const ustring& Text);
  // The lines of the first section of that name: [Header, End), End after
  // its last key line.
  bool FindSection(const ustring& Section, size_t& Header, size_t& End) const;
  // The line index of the first key Ident in that section, or npos.
  size_t FindKey(const ustring& Section, const ustring& Ident) const;

  ustring FFileName;
  TIniEncoding FEncoding = TIniEncoding::Utf8;
  std::vector<ustring> FLines;
};
