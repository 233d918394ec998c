// Fuzzes the readers of the services and hosts files, the services-file
// writer's text, the service manager's answers and the launcher text.
// Input: file bytes, a zero byte, a name. A name that SetServiceSettings
// can write so that it is read back (ASCII letters, digits and "-", shorter
// than the padding) must read back as the port just written, and a launcher
// has exactly one line per key whatever its texts hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/vxToolsServices.h"
#include "core/vxToolsShell.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/process/vxServiceManager.h"

namespace {

bool PlainName(const std::string& name) {
  if (name.empty() || name.size() >= 18) return false;
  for (const char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-')) return false;
  return true;
}

// No control characters but tab, CR and LF, which the two rules treat alike.
bool PlainText(const std::string& bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const auto fields = vxFuzz::Fields(Data, Size, 2);
  const std::string& bytes = fields[0];
  const ustring name = AnsiToWide(fields[1]);

  TvxTools::ServicesPortOfText(bytes, name);
  ustring address;
  TvxTools::HostAddressOfText(bytes, name, address);
  vxServiceManager::StateFromQueryOutput(bytes);
  vxServiceManager::ValidUnitName(name);

  const ustring text = AnsiToWide(bytes);
  const ustring line = TvxTools::ServiceLine(name, u"4711", u"tcp", u"fuzz");
  const ustring written = TvxTools::ServicesTextWithEntry(text, name, line, u"\n");
  if (PlainName(fields[1]) && PlainText(bytes)) vxFuzz::Check(TvxTools::ServicesPortOfText(WideToAnsi(written), name) == 4711);

  const ustring launcher = TvxTools::LinkFileText(text, name, text, name, text);
  size_t breaks = 0;
  for (const char16_t c : launcher) breaks += c == u'\n' || c == u'\r';
  size_t keys = 4;  // group, Type, Name, Exec
  keys += !text.empty();                                // Comment
  keys += text.find(u'/') != ustring::npos;              // Path
  keys += !text.empty();                                // Icon
  vxFuzz::Check(breaks == keys);
  return 0;
}
