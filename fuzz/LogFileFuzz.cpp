// Fuzzes the reading of whole log files (ParseLogFile): any bytes as a file
// read without a crash (a time that is no time is the one failure allowed),
// and never more entries than asked for. Then the round: messages written
// into a file as the log thread writes its lines (Windows-1252) and as the
// 8-bit line writer does (UTF-8) read back as they were written (line
// breaks as blanks, blanks trimmed), one entry each.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/vxConsoleTools.h"
#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/base/vxRuntime.h"
#include "platform/time/vxDateUtils.h"
#include "core/vxStringsClean.h"

namespace {

TvxConsoleTools& Console() {
  static TvxConsoleTools console(false);
  console.AsService = true;
  console.LogToFile = false;
  return console;
}

// The file every input is written to, in a folder of this process's own.
const std::string& LogPath() {
  static const std::string path = [] {
    std::string folder = "/tmp/vxfuzz-log-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) abort();
    return folder + "/log-20240506.txt";
  }();
  return path;
}

void WriteLog(const std::string& bytes) {
  std::ofstream out(LogPath(), std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) abort();
}

std::vector<ustring> ReadLog(int32_t MaxRecords) {
  TStringList list;
  Console().ParseLogFile(Utf8ToWide(LogPath()), list, MaxRecords, 5);
  std::vector<ustring> texts;
  for (int32_t i = 0; i < list.Count(); ++i) texts.push_back(list[i]);
  return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 2);
  WriteLog(f[0]);
  try {
    vxFuzz::Check(ReadLog(2).size() <= 2);
    (void)ReadLog(0);
  } catch (const EConvertError&) {
  }

  // One entry per line of the second field, the kinds in turn.
  std::vector<ustring> messages;
  for (size_t start = 0; start <= f[1].size() && messages.size() < 50;) {
    size_t end = f[1].find('\n', start);
    if (end == std::string::npos) end = f[1].size();
    messages.push_back(vxFuzz::Wide(std::string_view(f[1]).substr(start, end - start)));
    start = end + 1;
  }
  const TDateTime stamp = vxRuntime::EncodeDateTime(2024, 5, 6, 7, 8, 9, 123);
  std::string file;
  std::vector<ustring> expected;
  for (size_t i = 0; i < messages.size(); ++i) {
    const auto kind = static_cast<TvxLogInfoType>(i % (vxLog_Verify + 1));
    // The message on one line: line breaks and lone CRs as blanks.
    ustring line = TvxStrings::Breaks2BlanksW(messages[i]);
    std::replace(line.begin(), line.end(), u'\r', u' ');
    std::string bytes;
    if (i % 2 == 0) {
      file += WideToAnsi(TvxConsoleTools::CreateLogTextW(kind, messages[i], stamp, u"10.0.0.1", true));
      bytes = WideToAnsi(line);
      // The reader takes valid UTF-8 for UTF-8: 8-bit text that happens to
      // be valid UTF-8 cannot be told from it; every other text comes back
      // in the code page it was written in.
      expected.push_back(vxRuntime::Trim(IsUtf8(bytes) ? Utf8ToWide(bytes) : AnsiToWide(bytes)));
    } else {
      file += TvxConsoleTools::CreateLogText(kind, messages[i], stamp, u"10.0.0.1", true);
      expected.push_back(vxRuntime::Trim(Utf8ToWide(WideToUtf8(line))));
    }
    file += "\r\n";
  }
  WriteLog(file);
  vxFuzz::Check(ReadLog(0) == expected);
  return 0;
}
