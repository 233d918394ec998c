// The command protocol fed with arbitrary command sequences and texts: no
// exception may leave it and every answer is 0, -1 or 1. The commands that
// reach the network or delete files (600), those that ask the host
// environment (105, 120) and the dialog (800, which opens a window where a
// display exists) are left out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "plugin/vxExportCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const int32_t codes[] = {cmdInit, cmdSetConfig, cmdSetRecipient, cmdNewDocument, cmdSetText, cmdAddField,
                                  cmdAddFile, cmdGetConfig, cmdDone, 0, 700};
  // Each command: one byte choosing the code, one byte the length of its
  // text in UTF-16 units, then the text (two bytes a unit).
  size_t pos = 0;
  std::vector<char16_t> answer;
  while (pos + 2 <= Size) {
    const int32_t code = codes[Data[pos] % (sizeof codes / sizeof codes[0])];
    const size_t units = Data[pos + 1];
    pos += 2;
    std::vector<char16_t> text;
    for (size_t i = 0; i < units && pos + 1 < Size; ++i, pos += 2)
      text.push_back(static_cast<char16_t>(Data[pos] | (Data[pos + 1] << 8)));
    text.push_back(u'\0');
    // Output texts may be as long as the configuration string handed over.
    text.resize(text.size() + 4 * Size + 1024, u'\0');
    answer.assign(4 * Size + 1024, u'\0');
    const int32_t result = vxExportCommands::Execute(code, text.data(), 0, answer.data());
    if (result != 0 && result != -1 && result != 1) std::abort();
  }
  vxExportCommands::Shutdown();
  return 0;
}
