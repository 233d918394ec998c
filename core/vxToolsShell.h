// TvxTools: shell registrations: a file type with its icon, its entry for
// new files and its open command, and a link file that starts a program.
//
// On this platform: the registration is written to the library's own
// registry (platform/registry/vxRegistry.h) under HKEY_CLASSES_ROOT; a link
// file is a desktop launcher in the freedesktop.org "Desktop Entry" format.
#pragma once

#include <cstdint>

#include "platform/base/vxBase.h"

namespace TvxTools {

// Writes, under HKEY_CLASSES_ROOT and in this order (E is Extension, taken
// as it is, without a leading dot; (default) the key's unnamed value):
//   .E                         (default)  E + "_file"
//   .E\shellnew                FileName   "unnamed." + E    (EnableNewFile)
//   .E\shellnew                NullFile   empty             (EnableNewFile)
//   E_file                     (default)  FileType
//   E_file\DefaultIcon         (default)  IconFile, with "," and IconId
//                                         when IconId is not -1
//   E_file\shell\open\command  (default)  '"' ExeFile '" "%1"'
// True; False when anything failed (what was written before stays).
bool RegisterFileType(const ustring& ExeFile, const ustring& FileType, const ustring& Extension,
                      const ustring& IconFile, int32_t IconId, bool EnableNewFile);

// Writes LinkFile as a desktop launcher (UTF-8) that runs FileName with the
// arguments of Parameter (split as a command line is) in the folder of
// FileName: its Name is the pure name of LinkFile, its Comment Description
// and its Icon IconFile (when they are not empty). A launcher has no icon
// index, so IconId is not kept. An existing LinkFile is replaced in one
// step (a symbolic link itself, not the file it points to). True when the
// file was written.
bool CreateLinkFile(const ustring& FileName, const ustring& Parameter, const ustring& Description,
                    const ustring& LinkFile, const ustring& IconFile, int32_t IconId);
// The launcher's text that CreateLinkFile writes to LinkFile.
ustring LinkFileText(const ustring& FileName, const ustring& Parameter, const ustring& Description,
                     const ustring& LinkFile, const ustring& IconFile);

}  // namespace TvxTools
