// TvxTools: operations on the interactive desktop of the calling process:
// screen shots, the message box, the credentials dialog, the application's
// windows, the keyboard input and the clipboard. They run on the thread of
// the process's Qt application (one is made on first use when the process
// has none) and need a display. Passwords: core/vxToolsPasswords.h.
#pragma once

#include <cstdint>

#include "core/vxToolsPasswords.h"
#include "platform/base/vxBase.h"
#include "platform/values/vxVariant.h"

namespace TvxTools {

// Saves a JPEG (quality 1..100) of the application's active window, frame
// included, when ActiveWindow is set and there is one, else of the whole
// primary screen. False when anything fails (no display, a folder that does
// not exist); a failed save leaves no file behind.
bool TakeScreenShot(const ustring& JpegFileName, bool ActiveWindow, int32_t JpegQuality);

// Shows the variant's text in a message box with one OK button; True when
// it has been closed. Raises what converting the variant raises, and
// Exception when no dialog can be shown.
bool ShowMessage(const Variant& MessageText);

// Asks for a user name and a password with the given caption and message,
// the fields filled with UserName and Password. True when the user
// confirmed (the two then hold what was entered); False after a cancel or
// when no dialog can be shown (the two then stay as given).
bool PromptForCredentials(const ustring& Caption, const ustring& MessageText, ustring& UserName,
                          ustring& Password);

// Raises the application's window and asks for it to be activated. Always
// True.
bool PushApplicationToFront();

// The title of the application's active window; empty when there is none.
ustring GetActiveWindowTitle();

// There is no keyboard message queue of a thread to empty here: 0.
int32_t ClearKeyboardBuffer();

// Replaces the clipboard's content with HtmlStr and PlainStr together: the
// HTML as "text/html" (UTF-8), the block of core/vxToolsHtmlClipboard.h
// with a terminating NUL as "HTML Format", and PlainStr as plain text.
// True; raises EClipboardException when the clipboard cannot be used.
bool CopyHTMLToClipBoard(const ustring& PlainStr, const ustring& HtmlStr);

}  // namespace TvxTools
