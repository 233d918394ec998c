// Shell registrations in the library's registry, and desktop launchers.
#include "core/vxToolsShell.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/base/vxCodePage.h"
#include "platform/base/vxExceptions.h"
#include "platform/files/vxFileHandle.h"
#include "platform/files/vxFileSystem.h"
#include "platform/process/vxCommandLine.h"
#include "platform/registry/vxRegistry.h"

namespace TvxTools {
namespace {

// A value of the launcher format: backslash and control line ends escaped,
// a leading blank kept (readers drop blanks after "=").
ustring EscapeValue(const ustring& text) {
  ustring result;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    switch (c) {
      case u'\\': result += u"\\\\"; break;
      case u'\n': result += u"\\n"; break;
      case u'\r': result += u"\\r"; break;
      case u'\t': result += u"\\t"; break;
      case u' ':
        result += i == 0 ? u"\\s" : u" ";
        break;
      default: result += c;
    }
  }
  return result;
}

// One argument of the Exec key: quoted, with '"', '`', '$' and '\' escaped
// inside the quotes and "%" doubled (a single one starts a field code).
ustring ExecArgument(const ustring& argument) {
  ustring result = u"\"";
  for (const char16_t c : argument) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') result += u'\\';
    if (c == u'%') result += u'%';
    result += c;
  }
  result += u'"';
  return result;
}

ustring PureName(const ustring& fileName) {
  const ustring name = vxFileSystem::ExtractFileName(fileName);
  const size_t dot = name.rfind(u'.');
  return dot == ustring::npos ? name : name.substr(0, dot);
}

}  // namespace

bool RegisterFileType(const ustring& ExeFile, const ustring& FileType, const ustring& Extension,
                      const ustring& IconFile, int32_t IconId, bool EnableNewFile) {
  try {
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    auto write = [&](const ustring& key, const ustring& name, const ustring& data) {
      if (!registry.OpenKey(u"\\" + key, true)) throw Exception("the key cannot be opened");
      registry.WriteString(name, data);
      registry.CloseKey();
    };
    const ustring typeKey = Extension + u"_file";
    write(u"." + Extension, ustring(), typeKey);
    if (EnableNewFile) {
      write(u"." + Extension + u"\\shellnew", u"FileName", u"unnamed." + Extension);
      write(u"." + Extension + u"\\shellnew", u"NullFile", ustring());
    }
    write(typeKey, ustring(), FileType);
    const std::string id = std::to_string(IconId);
    write(typeKey + u"\\DefaultIcon", ustring(),
          IconId == -1 ? IconFile : IconFile + u"," + ustring(id.begin(), id.end()));
    write(typeKey + u"\\shell\\open\\command", ustring(), u"\"" + ExeFile + u"\" \"%1\"");
    return true;
  } catch (...) {
    return false;
  }
}

ustring LinkFileText(const ustring& FileName, const ustring& Parameter, const ustring& Description,
                     const ustring& LinkFile, const ustring& IconFile) {
  ustring exec = ExecArgument(FileName);
  for (const ustring& argument : vxCommandLine::SplitCommandLine(Parameter, false)) exec += u" " + ExecArgument(argument);
  ustring text = u"[Desktop Entry]\nType=Application\n";
  text += u"Name=" + EscapeValue(PureName(LinkFile)) + u"\n";
  if (!Description.empty()) text += u"Comment=" + EscapeValue(Description) + u"\n";
  text += u"Exec=" + EscapeValue(exec) + u"\n";
  const ustring folder = vxFileSystem::ExtractFilePath(FileName);
  if (!folder.empty()) text += u"Path=" + EscapeValue(folder) + u"\n";
  if (!IconFile.empty()) text += u"Icon=" + EscapeValue(IconFile) + u"\n";
  return text;
}

bool CreateLinkFile(const ustring& FileName, const ustring& Parameter, const ustring& Description,
                    const ustring& LinkFile, const ustring& IconFile, int32_t /*IconId*/) {
  try {
    const std::string text = WideToUtf8(LinkFileText(FileName, Parameter, Description, LinkFile, IconFile));
    struct stat status;
    if (lstat(vxFileSystem::NativePath(LinkFile).c_str(), &status) == 0 && S_ISLNK(status.st_mode) &&
        !vxFileSystem::DeleteFile(LinkFile))
      return false;
    return vxFileSystem::ReplaceFileContent(LinkFile, text);
  } catch (...) {
    return false;
  }
}

}  // namespace TvxTools
