// Command-line splitting by the C runtime's rules and this process's own
// arguments.
#include "platform/process/vxCommandLine.h"

#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxStream.h"

namespace vxCommandLine {
namespace {

bool IsSeparator(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::vector<ustring> SplitCommandLine(std::u16string_view CommandLine, bool WithProgramName) {
  std::vector<ustring> arguments;
  const size_t n = CommandLine.size();
  size_t i = 0;
  if (WithProgramName) {
    ustring program;
    if (i < n && CommandLine[i] == u'"') {
      ++i;
      while (i < n && CommandLine[i] != u'"') program.push_back(CommandLine[i++]);
      if (i < n) ++i;  // the closing quotation mark
    }
    // Text right after a quoted name still belongs to it.
    while (i < n && !IsSeparator(CommandLine[i])) program.push_back(CommandLine[i++]);
    arguments.push_back(std::move(program));
  }
  for (;;) {
    while (i < n && IsSeparator(CommandLine[i])) ++i;
    if (i >= n) break;
    ustring argument;
    bool quoted = false;
    while (i < n) {
      const char16_t c = CommandLine[i];
      if (c == u'\\') {
        size_t slashes = 0;
        while (i < n && CommandLine[i] == u'\\') {
          ++slashes;
          ++i;
        }
        if (i < n && CommandLine[i] == u'"') {
          argument.append(slashes / 2, u'\\');
          if (slashes % 2 == 1) {
            argument.push_back(u'"');
            ++i;
          }
          // An even count leaves the quotation mark to the next round.
        } else {
          argument.append(slashes, u'\\');
        }
        continue;
      }
      if (c == u'"') {
        if (quoted && i + 1 < n && CommandLine[i + 1] == u'"') {
          argument.push_back(u'"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      if (!quoted && IsSeparator(c)) break;
      argument.push_back(c);
      ++i;
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

ustring QuoteArgument(const ustring& Argument) {
  if (!Argument.empty() && Argument.find_first_of(u" \t\"") == ustring::npos) return Argument;
  ustring quoted = u"\"";
  size_t slashes = 0;
  for (char16_t c : Argument) {
    if (c == u'\\') {
      ++slashes;
    } else if (c == u'"') {
      quoted.append(slashes + 1, u'\\');  // each backslash doubled, the mark escaped
      slashes = 0;
    } else {
      slashes = 0;
    }
    quoted.push_back(c);
  }
  quoted.append(slashes, u'\\');  // backslashes before the closing mark doubled
  quoted.push_back(u'"');
  return quoted;
}

std::vector<ustring> ProcessArguments() {
  std::vector<ustring> arguments;
  try {
    TFileStream stream(u"/proc/self/cmdline", fmOpenRead);
    const std::string bytes = stream.ReadToEnd();
    size_t start = 0;
    while (start < bytes.size()) {
      size_t end = bytes.find('\0', start);
      if (end == std::string::npos) end = bytes.size();
      arguments.push_back(Utf8ToWide(std::string_view(bytes).substr(start, end - start)));
      start = end + 1;
    }
  } catch (const Exception&) {
    arguments.clear();
  }
  return arguments;
}

}  // namespace vxCommandLine
