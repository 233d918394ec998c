// Fuzzes the reader of user-dirs.dirs on any file text: a folder it gives
// is absolute. Then the round: a file written as xdg-user-dirs writes one
// (each folder in double quotes, "$", "`", '"' and "\" escaped with a
// backslash, "$HOME/" for a folder below home), with the fuzzed text's lines
// around it, gives back each folder as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/files/vxShellFolders.h"

namespace {

const std::string kHome = "/home/user";

std::string Quoted(const std::string& folder) {
  std::string out = "\"";
  size_t from = 0;
  if (folder.compare(0, kHome.size() + 1, kHome + "/") == 0) {
    out += "$HOME";
    from = kHome.size();
  }
  for (size_t i = from; i < folder.size(); ++i) {
    const char c = folder[i];
    if (c == '$' || c == '`' || c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> f = vxFuzz::Fields(Data, Size, 3);
  for (const char* key : {"XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR"}) {
    const std::string folder = vxFileSystem::UserDirsValue(f[0], key, kHome);
    vxFuzz::Check(folder.empty() || folder[0] == '/');
  }

  // The fuzzed text's lines that set neither key stay around the two.
  std::string around;
  for (size_t start = 0; start < f[0].size();) {
    size_t end = f[0].find('\n', start);
    if (end == std::string::npos) end = f[0].size();
    const std::string line = f[0].substr(start, end - start);
    start = end + 1;
    if (line.find("XDG_DESKTOP_DIR") == std::string::npos && line.find("XDG_DOCUMENTS_DIR") == std::string::npos)
      around += line + "\n";
  }
  std::string desktop = f[1], documents = f[2];
  for (std::string* folder : {&desktop, &documents}) {
    if (folder->find('\n') != std::string::npos) return 0;  // a file of lines holds none
    folder->insert(0, folder == &desktop ? "/" : kHome + "/");
  }
  const std::string text = "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=" + Quoted(desktop) + "\n" + around +
                           "XDG_DOCUMENTS_DIR=" + Quoted(documents) + "\n";
  vxFuzz::Check(vxFileSystem::UserDirsValue(text, "XDG_DESKTOP_DIR", kHome) == desktop);
  vxFuzz::Check(vxFileSystem::UserDirsValue(text, "XDG_DOCUMENTS_DIR", kHome) == documents);
  return 0;
}
