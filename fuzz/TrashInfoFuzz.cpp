// Fuzzes the trash with any file name: a file of that name moves into the
// trash of a folder of this process's own (XDG_DATA_HOME), and its
// ".trashinfo" file reads back as the trash's rules say one is read: the
// group "[Trash Info]", a Path line that URL-decodes to the file's absolute
// path, a DeletionDate line of the form yyyy-mm-ddThh:mm:ss; the content is
// under files/ by the same name, and the file is gone from where it was.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/FuzzInput.h"
#include "platform/base/vxCodePage.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxTrash.h"

namespace {

const std::string& Base() {
  static const std::string base = [] {
    std::string folder = "/tmp/vxfuzz-trash-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) abort();
    if (setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1) != 0) abort();
    std::filesystem::create_directory(folder + "/in");
    return folder;
  }();
  return base;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The URL-decoded text; false for a "%" without two hexadecimal digits.
bool Decoded(const std::string& text, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size() || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0) return false;
    out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
    i += 2;
  }
  return true;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool IsDate(const std::string& d) {
  if (d.size() != 19) return false;
  for (size_t i = 0; i < d.size(); ++i) {
    const char expected = i == 4 || i == 7 ? '-' : i == 10 ? 'T' : i == 13 || i == 16 ? ':' : '0';
    if (expected == '0' ? (d[i] < '0' || d[i] > '9') : d[i] != expected) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // A file name as the file system takes one: its UTF-8 bytes (what the
  // layer makes of a wide name), no "/" and no NUL, at most 200 bytes.
  const std::string name = WideToUtf8(vxFuzz::Wide(std::string_view(reinterpret_cast<const char*>(Data), Size)));
  if (name.empty() || name.size() > 200 || name == "." || name == ".." ||
      name.find_first_of(std::string("/\0", 2)) != std::string::npos)
    return 0;
  const std::string source = Base() + "/in/" + name;
  if (!vxFileSystem::ReplaceFileContent(Utf8ToWide(source), "content")) return 0;
  vxFuzz::Check(vxFileSystem::MoveToTrash(Utf8ToWide(source)));
  struct stat st {};
  vxFuzz::Check(lstat(source.c_str(), &st) != 0);

  const std::string trash = Base() + "/data/Trash";
  const std::string info = trash + "/info/" + name + ".trashinfo";
  const std::string text = ReadAll(info);
  size_t start = 0;
  const auto line = [&] {
    const size_t end = text.find('\n', start);
    vxFuzz::Check(end != std::string::npos);
    std::string l = text.substr(start, end - start);
    start = end + 1;
    return l;
  };
  vxFuzz::Check(line() == "[Trash Info]");
  const std::string path = line();
  std::string decoded;
  vxFuzz::Check(path.compare(0, 5, "Path=") == 0 && Decoded(path.substr(5), decoded) && decoded == source);
  const std::string date = line();
  vxFuzz::Check(date.compare(0, 13, "DeletionDate=") == 0 && IsDate(date.substr(13)));
  vxFuzz::Check(start == text.size());
  const std::string moved = trash + "/files/" + name;
  vxFuzz::Check(lstat(moved.c_str(), &st) == 0 && S_ISREG(st.st_mode));
  unlink(moved.c_str());
  unlink(info.c_str());
  return 0;
}
