// Fuzzes the INI reader: any bytes read without a crash; what is read is
// written and read back the same, and a written key reads back as written.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/vxExceptions.h"
#include "platform/files/vxIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);
  TIniFile ini = TIniFile::FromBytes(input);
  const ustring value = ini.ReadString(u"Parameters", u"Port", u"<none>");
  ini.ReadInteger(u"Parameters", u"Port", 0);
  ini.ReadBool(u"oledb", u"Provider", false);
  // Written bytes read back as the same text.
  const TIniFile again = TIniFile::FromBytes(ini.Bytes());
  if (again.Text() != ini.Text()) __builtin_trap();
  if (again.ReadString(u"Parameters", u"Port", u"<none>") != value) __builtin_trap();
  // A key written reads back unchanged (values are trimmed and unquoted on
  // reading, so the written value is plain).
  try {
    ini.WriteString(u"Fuzz", u"Key", u"value 1");
  } catch (const Exception&) {
    __builtin_trap();
  }
  if (TIniFile::FromBytes(ini.Bytes()).ReadString(u"fuzz", u"KEY", u"") != u"value 1") __builtin_trap();
  return 0;
}
