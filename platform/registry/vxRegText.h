// The text format of a registry file (UTF-8, REGEDIT4 style):
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\varlo\System]
//   @="the key's default value"
//   "Path"="/opt/varlo/"
//   "Count"=dword:0000002a
//   "Template"=str(2):"%HOME%/templates"
//   "Servers"=str(7):"alpha\0beta\0"
//   "Big"=hex(b):00,10,00,00,00,00,00,00
//   "Blob"=hex:01,02,ff
//
// Every key has its own "[...]" line, subkeys after their parent, keys and
// values in the order they were created. Text is quoted with the escapes
// \\ \" \n \r \t \0 and \xHHHH (exactly four hex digits, for other control
// characters and unpaired surrogates), so any UTF-16 text round-trips.
// "hex(N):" holds the raw data of type N, text types as UTF-16LE with their
// terminating 0; a hex list may go on over lines ending in "\". Lines
// starting with ";" are comments (a rewrite drops them). Key names hold no
// control characters and no unpaired surrogates.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/registry/vxRegKeyTree.h"

namespace vxRegFile {

// The text of a root's file. The root node's name is the root's name.
std::string FormatRegText(const TRegKeyNode& root);
// The same text, made in one pass from Previous, the text the tree was last
// read from or written to: the lines of values that have not changed since
// are copied from it, the others written; afterwards the values' positions
// refer to the new text. The text is made in Buffer's storage (a large
// text is written faster into memory that is already there).
std::string FormatRegText(TRegKeyNode& root, std::string_view previous, std::string buffer = {});
// Parses a root's file; errors name FileName and the line. Values whose
// line is exactly as FormatRegText writes it keep its position in Text.
std::unique_ptr<TRegKeyNode> ParseRegText(std::string_view text, const ustring& rootName,
                                          const std::string& fileName);

}  // namespace vxRegFile
