// Command lines: a command-line text taken apart into arguments as the
// original platform's C runtime takes its own apart, and the arguments this
// process was started with.
#pragma once

#include <string_view>
#include <vector>

#include "platform/base/vxBase.h"

namespace vxCommandLine {

// The arguments of a command-line text by the C runtime's rules:
// - arguments are separated by runs of blanks and tabs outside quotation
//   marks; a quotation mark switches quoting on and off and is dropped;
//   inside quotes two quotation marks in a row give one, quoting goes on;
// - 2n backslashes before a quotation mark give n backslashes and the mark
//   switches quoting; 2n+1 give n backslashes and a literal quotation mark;
//   backslashes before anything else are kept as they are;
// - a quoted empty text ("") is an empty argument.
// With WithProgramName the first argument is a program name: up to the next
// quotation mark when it begins with one (no escapes), else up to the first
// blank or tab.
std::vector<ustring> SplitCommandLine(std::u16string_view CommandLine, bool WithProgramName);

// One argument written so that SplitCommandLine reads it back unchanged:
// as it is when it is not empty and holds no blank, tab or quotation mark,
// else in quotation marks with its quotation marks and the backslashes
// before them escaped.
ustring QuoteArgument(const ustring& Argument);

// This process's arguments as it was started (/proc/self/cmdline, each read
// as UTF-8), the program first; never split again. Empty when they cannot
// be read.
std::vector<ustring> ProcessArguments();

}  // namespace vxCommandLine
