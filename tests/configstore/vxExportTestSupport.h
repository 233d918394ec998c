// What the export and import tests share: the export's many arguments with
// their usual values, and an outline of a written document (every element
// with its attributes and text) to compare in one line.
#pragma once

#include <string>

#include "configstore/vxConfigManager.h"
#include "platform/base/vxCodePage.h"
#include "platform/xml/vxXmlDocument.h"
#include "support/vxTestTempDir.h"

namespace vxStoreTest {

struct TExportArguments {
  ustring RootKey{};
  ustring FileName{};
  bool SubNodes = true;
  bool AsPackage = false;
  ustring PackageName{};
  ustring PackageVersion{};
  ustring InfoText{};
  bool OverwritePackage = false;
  TCharEncodeType Encoding = vxCE_UTF8;
  TProgressCallBackProc CallBack{};
  const TStrings* ValidProperties = nullptr;
  TvxPackageDescriptionType InfoTextType = vxPDT_PlainText;
  bool PWProtectScripts = false;
  std::string ScriptPassword{};
  bool IncludeChangeInfos = false;
  ustring ReleaseRequired{};
  TvxExportFormatVersion FormatVersion = vxEFV_V1_5;
};

inline bool RunExport(TvxConfigManager& Store, const TExportArguments& A) {
  return Store.Export(A.RootKey, A.FileName, A.SubNodes, A.AsPackage, A.PackageName, A.PackageVersion, A.InfoText,
                      A.OverwritePackage, A.Encoding, A.CallBack, A.ValidProperties, A.InfoTextType,
                      A.PWProtectScripts, A.ScriptPassword, A.IncludeChangeInfos, A.ReleaseRequired, A.FormatVersion);
}

// The elements below the document element, one a line, indented by depth:
// the name, each attribute as name=value, and ": " + the text of a leaf.
// Attributes named in Skip are left out (ids, dates and hashes that change).
inline void OutlineOf(const TXMLNode& Element, int Depth, const std::vector<ustring>& Skip, std::string& Out) {
  for (const TXMLNode& child : Element.ChildNodes()) {
    if (child.NodeType() != ntElement) continue;
    Out += std::string(2 * Depth, ' ') + WideToUtf8(child.NodeName());
    for (const auto& [name, value] : child.Attributes())
      if (std::find(Skip.begin(), Skip.end(), name) == Skip.end()) Out += " " + WideToUtf8(name + u"=" + value);
    bool leaf = true;
    for (const TXMLNode& grandchild : child.ChildNodes()) leaf = leaf && grandchild.NodeType() != ntElement;
    if (leaf && child.HasChildNodes()) Out += ": " + WideToUtf8(child.Text());
    Out += "\n";
    if (!leaf) OutlineOf(child, Depth + 1, Skip, Out);
  }
}

inline std::string Outline(const std::string& File, const std::vector<ustring>& Skip = {}) {
  TXMLDocument doc;
  doc.LoadFromXML(TTestTempDir::ReadBytes(File));
  std::string out;
  OutlineOf(doc.DocumentElement(), 0, Skip, out);
  return out;
}

}  // namespace vxStoreTest
