// TvxTools: starting programs, handing files and URLs to the desktop,
// finding and ending processes, shutting down or logging off, and the quick
// debug log.
//
// On this platform: a program's parameters are split into its arguments as
// the original platform's C runtime splits a command line; window states
// have no meaning and are accepted as they are; a new console is a new
// session; priority classes become nice values (IDLE 19, BELOW_NORMAL 10,
// NORMAL 0, ABOVE_NORMAL -5, HIGH -10, REALTIME -20); a process handle is
// the process id. Programs started without waiting are not children of
// this process, so none is left behind unreaped. An exit code is the exit
// status, or 128 plus the signal that ended the process. While
// ExecAndWait waits it calls the application's message hook
// (vxApplication::SetMessageHook) every 50 ms.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/vxBase.h"
#include "platform/values/vxVariant.h"

namespace TvxTools {

// Priority classes of the process-start operations.
inline constexpr uint32_t IDLE_PRIORITY_CLASS = 0x00000040;
inline constexpr uint32_t BELOW_NORMAL_PRIORITY_CLASS = 0x00004000;
inline constexpr uint32_t NORMAL_PRIORITY_CLASS = 0x00000020;
inline constexpr uint32_t ABOVE_NORMAL_PRIORITY_CLASS = 0x00008000;
inline constexpr uint32_t HIGH_PRIORITY_CLASS = 0x00000080;
inline constexpr uint32_t REALTIME_PRIORITY_CLASS = 0x00000100;
inline constexpr uint32_t CREATE_NEW_CONSOLE = 0x00000010;
// No limit for a wait.
inline constexpr uint32_t INFINITE = 0xFFFFFFFF;

// Shut-down flags.
inline constexpr uint32_t EWX_LOGOFF = 0;
inline constexpr uint32_t EWX_SHUTDOWN = 1;
inline constexpr uint32_t EWX_REBOOT = 2;
inline constexpr uint32_t EWX_FORCE = 4;
inline constexpr uint32_t EWX_POWEROFF = 8;

// Starts Filename with Params (split into arguments; Filename is always one
// argument, blanks and all) in WorkDirectory (empty: the caller's), in a
// new session, and waits for its end; ExitCode gets its exit code. False
// (ExitCode 0) when it cannot be started. Timeout (ms) bounds the wait:
// when it passes, the program is killed and ExitCode is 128 + 9.
bool ExecAndWait(const ustring& Filename, const ustring& Params, uint16_t WindowState, uint32_t& ExitCode,
                 const ustring& WorkDirectory, uint32_t Timeout = INFINITE);
bool ExecAndWait(const ustring& Filename, const ustring& Params, uint16_t WindowState, const ustring& WorkDirectory,
                 uint32_t Timeout = INFINITE);
// Starts the program and returns at once; True when it was started.
bool ExecProcess(const ustring& Filename, const ustring& Params, uint16_t WindowState, const ustring& WorkDirectory);
// The same with a priority class (and CREATE_NEW_CONSOLE, always given);
// ProcessHandle receives the process id, 0 when it was not started.
bool ExecProcess(const ustring& Filename, const ustring& Params, uint32_t Priority, uint16_t WindowState,
                 uintptr_t& ProcessHandle, const ustring& WorkDirectory);
// Starts a whole command line (the program first) in the caller's folder.
bool ExecProcess(const ustring& CmdLine, uint16_t WindowState);

// Trimmed ShellCommand (empty: False). With Check the file is the text
// before the first blank and the parameters the text after it, else the
// whole text is the file. With IsUrl the parameters are dropped and the
// file must contain "http://" or "https://" in any letter case, else
// Exception "invalid url". A program (with "/" or found on PATH) runs with
// the parameters; an existing file or folder and a URL are handed to the
// desktop's opener (xdg-open); anything else gives False.
bool ShellExecute(const ustring& ShellCommand, uint16_t ShowCmd, bool IsUrl, bool Check);
// Opens the folder of FileName in the desktop's file manager.
bool ShowFileInExplorer(const ustring& FileName);
// INF setup files do not exist on this platform: always False.
bool InstallINF(const ustring& PathName, uintptr_t hParent);

// Ends (SIGKILL) every process whose executable's file name equals the file
// name of ExeFileName, a-z upper-cased on both sides; the outcome of the
// last attempt, False when none matched.
bool KillProcess(const ustring& ExeFileName);
// Ends the process with that id; False for 0.
bool KillProcess(uint32_t ProcessHandle);
// A process whose executable's file name matches (UpperStrW on both sides)
// runs.
bool ProcessExists(const ustring& ExeFileName);
bool ProcessExists(uint32_t PID);
// The process with that id runs and its executable's name matches.
bool ProcessExists(uint32_t PID, const ustring& ExeFileName);
// There are no windows with titles here: always False.
bool RemoteCloseApplication(const ustring& WindowCaption);

// The shut-down flags of the four switches (EWX_ values).
uint32_t ShutDownFlags(bool QuickShutDown, bool Reboot, bool PowerOff, bool LogOff);
// Asks the system to shut down, restart, power off (systemctl halt, reboot,
// poweroff) or to end the user's session (loginctl terminate-session, or
// terminate-user without a session); forced means the system's inhibitors
// are not asked. True when the command was started.
bool SystemShutDown(bool QuickShutDown, bool Reboot, bool PowerOff, bool LogOff);

// Appends "[dd.mm.yyyy hh:nn:ss-zzz] " and Data's text with CR LF, in the
// system code page, to OtherLogFile, or to "qdl.log" in the folder of the
// process's executable; False on any failure.
bool qdl(const Variant& Data, const ustring& OtherLogFile);

}  // namespace TvxTools
