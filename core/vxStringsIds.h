// Identifiers, the compressed text format and the default placeholders.
//
// Compressed text: one zlib stream (deflate level 9, 15-bit window, memory
// level 8, default strategy; header 0x78 0xDA) whose content is the text's
// byte length as 4 bytes little-endian, then the text's bytes. The
// compressed bytes travel as 8-bit text; stored files and peers rely on them.
#pragma once

#include <functional>
#include <string>

#include "core/vxTypes.h"
#include "platform/base/vxBase.h"
#include "platform/text/vxFormatSettings.h"
#include "platform/files/vxZlib.h"

namespace TvxStrings {

// A new GUID in the braced form (38 characters), and as 32 upper-case
// hexadecimal digits: the same as TvxTools::CreateGuidStr and CreateId.
std::string CreateGuidStr();
TIdType CreateId();

// The compressed text of S. Raises EZCompressionError for a text of 2 GiB
// or more, whose length the format cannot hold.
std::string CompressString(const std::string& S);

// The text that CompressString packed into S. Raises EZDecompressionError
// when S is not such a stream: damaged data, a stream that ends early, or a
// length field that does not match what the stream holds.
std::string DecompressString(const std::string& S);

// Where the default placeholders take their values from. System() gives
// the running system's clock, names, GUIDs and format settings; tests bring
// fixed ones.
struct TPlaceholderSources {
  std::function<TDateTime()> Now;
  std::function<ustring()> UserName;           // "%user" when no name is given
  std::function<ustring()> ComputerName;       // "%host" when no name is given
  std::function<ustring()> UserPrincipalName;  // "%userprincipal"
  std::function<ustring()> FullyQualifiedHostName;  // "%hostdnsfullqualified"
  std::function<std::string()> NewGuid;        // braced form
  std::function<const TFormatSettings&()> Settings;

  static TPlaceholderSources System();
};

// Text with the default placeholders ("%timestamp", "%date", "%time",
// "%day", "%month", "%year", "%quarter", "%id", "%guid", "%user", "%host"
// and the other forms of the table in the .cpp) replaced, each in its
// all-lower-case and its all-upper-case spelling; other spellings ('%Date')
// are not placeholders, though a shorter placeholder inside them may be
// ('%Date' holds '%D', the day). Placeholders are replaced one after the
// other in the table's order, over the whole text, so longer ones go before
// the shorter ones they begin with and later ones act on inserted values.
// UserName and HostName give "%user" and "%host" (the system's names when
// empty). Each value is worked out at most once per call ('%id-%id' holds
// one identifier twice), and only when its placeholder occurs.
ustring CheckDefaultPlaceHolders(const ustring& Text, const ustring& UserName, const ustring& HostName);
ustring CheckDefaultPlaceHolders(const ustring& Text, const ustring& UserName, const ustring& HostName,
                                 const TPlaceholderSources& Sources);

}  // namespace TvxStrings
