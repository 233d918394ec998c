// Data-link files, read and written through the INI layer.
#include "core/vxToolsUdl.h"

#include <chrono>
#include <thread>

#include "core/vxFilesContent.h"
#include "core/vxFilesPaths.h"
#include "core/vxToolsProcess.h"
#include "core/vxToolsSystem.h"
#include "platform/files/vxFileSystem.h"
#include "platform/files/vxIniFile.h"
#include "platform/process/vxCommandLine.h"

namespace TvxTools {

bool CreateUDLFile(const ustring& FileName, const ustring& ConStr) {
  const ustring text = u"[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n" + ConStr + u"\r\n";
  TIniFile::FromText(text, TIniEncoding::Utf16LEMark).SaveToFile(FileName);
  return true;
}

ustring GetConnectionstringFromUdlFile(const ustring& FileName) {
  try {
    const TIniFile ini(FileName);
    return u"Provider=" + ini.ReadString(u"oledb", u"Provider", ustring());
  } catch (...) {
    return {};
  }
}

ustring EditUDLFile(const ustring& FileName, bool Temp) {
  if (!vxFileSystem::FileExists(FileName)) TvxFiles::CreateBlankFile(FileName);
  const ustring editor = GetEnvironmentString(UdlEditorVariable);
  const std::vector<ustring> command = vxCommandLine::SplitCommandLine(editor, true);
  if (!command.empty() && !command[0].empty()) {
    ustring params;
    for (size_t i = 1; i < command.size(); ++i) params += vxCommandLine::QuoteArgument(command[i]) + u" ";
    params += vxCommandLine::QuoteArgument(FileName);
    ExecAndWait(command[0], params, 5, u"");
  }
  const ustring result = GetConnectionstringFromUdlFile(FileName);
  if (Temp) {
    for (int round = 0; round < 10 && vxFileSystem::FileExists(FileName); ++round) {
      vxFileSystem::FileSetAttr(FileName, vxFileSystem::faArchive);
      if (vxFileSystem::DeleteFile(FileName)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  }
  return result;
}

ustring EditConnectionString(const ustring& ConnectionString) {
  const ustring file = TvxFiles::GetTempPath() + u"vxconstr-" + CreateId().WideStr() + u"~~~.udl";
  CreateUDLFile(file, ConnectionString);
  return EditUDLFile(file, true);
}

}  // namespace TvxTools
