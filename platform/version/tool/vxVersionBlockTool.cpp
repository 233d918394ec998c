// Build-time tool: writes a version block file from the project's version
// and texts, for the version section of our own modules.
// Usage: vxversionblock OUTPUT FILEVERSION PRODUCTVERSION [KEY=VALUE ...]
// The versions have four "."-separated numbers; texts are UTF-8.
#include <charconv>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/base/vxCodePage.h"
#include "platform/version/vxVersionBlock.h"

namespace {

bool ReadVersion(const std::string& text, uint16_t (&parts)[4]) {
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    const auto [next, error] = std::from_chars(p, end, parts[i]);
    if (error != std::errc()) return false;
    p = next;
    if (i < 3) {
      if (p == end || *p != '.') return false;
      ++p;
    }
  }
  return p == end;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: vxversionblock OUTPUT FILEVERSION PRODUCTVERSION [KEY=VALUE ...]\n";
    return 2;
  }
  vxVersionBlock::TBlockContent content;
  if (!ReadVersion(argv[2], content.FileVersion) || !ReadVersion(argv[3], content.ProductVersion)) {
    std::cerr << "vxversionblock: a version needs four numbers up to 65535 separated by \".\"\n";
    return 2;
  }
  vxVersionBlock::TStringTable table;  // U.S. English, UTF-16
  for (int i = 4; i < argc; ++i) {
    const std::string item = argv[i];
    const size_t equals = item.find('=');
    if (equals == std::string::npos || equals == 0) {
      std::cerr << "vxversionblock: expected KEY=VALUE, got \"" << item << "\"\n";
      return 2;
    }
    table.Values.emplace_back(Utf8ToWide(item.substr(0, equals)), Utf8ToWide(item.substr(equals + 1)));
  }
  content.TranslationList.emplace_back(table.Language, table.CodePage);
  content.StringTables.push_back(std::move(table));
  const std::string block = vxVersionBlock::Build(content);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(block.data(), static_cast<std::streamsize>(block.size()));
  out.close();
  if (!out) {
    std::cerr << "vxversionblock: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
