// TvxTools: the desktop operations, on the layers of desktop/platform/.
#include "desktop/vxToolsDesktop.h"

#include <utility>

#include "core/vxFilesContent.h"
#include "core/vxToolsHtmlClipboard.h"
#include "desktop/platform/vxClipboard.h"
#include "desktop/platform/vxDialogs.h"
#include "desktop/platform/vxScreen.h"
#include "platform/base/vxCodePage.h"

namespace TvxTools {

bool TakeScreenShot(const ustring& JpegFileName, bool ActiveWindow, int32_t JpegQuality) {
  try {
    std::string jpeg, reason;
    if (!vxScreen::GrabJpeg(ActiveWindow, JpegQuality, jpeg, reason)) return false;
    return TvxFiles::SaveStringToFile(JpegFileName, jpeg, false, false, "");
  } catch (...) {
    return false;
  }
}

bool ShowMessage(const Variant& MessageText) {
  vxDialogs::ShowMessageBox(MessageText.AsString());
  return true;
}

bool PromptForCredentials(const ustring& Caption, const ustring& MessageText, ustring& UserName,
                          ustring& Password) {
  try {
    return vxDialogs::PromptCredentials(Caption, MessageText, UserName, Password);
  } catch (...) {
    return false;
  }
}

bool PushApplicationToFront() {
  try {
    vxScreen::RaiseApplication();
  } catch (...) {
  }
  return true;
}

ustring GetActiveWindowTitle() {
  try {
    return vxScreen::ActiveWindowTitle();
  } catch (...) {
    return {};
  }
}

int32_t ClearKeyboardBuffer() { return 0; }

bool CopyHTMLToClipBoard(const ustring& PlainStr, const ustring& HtmlStr) {
  const std::string html = WideToUtf8(HtmlStr);
  std::string block = HtmlClipboardBlockUtf8(html);
  block.push_back('\0');
  vxClipboard::SetContent(PlainStr, {{"text/html", html}, {"HTML Format", std::move(block)}});
  return true;
}

}  // namespace TvxTools
