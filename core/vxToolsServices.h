// TvxTools: the system's services file and hosts file, and the system's
// services: reading and writing port entries, reading and appending host
// entries, asking for a service's state, stopping and starting a service.
//
// On this platform: the services file is /etc/services (package netbase)
// and the hosts file /etc/hosts, both kept with Unix line ends; tests point
// the operations at files of their own. Services are the units of the
// service manager (systemd, platform/process/vxServiceManager.h), asked for
// and started or stopped with its command-line program through a command
// runner that tests replace; only this computer's services can be reached,
// another machine's state is 0.
//
// Lines: a line ends at CR LF, a lone CR or a lone LF. A line's first field
// is its text after leading blanks and tabs up to the next blank or tab (the
// whole rest when there is none): a tab separates fields as a blank does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/base/vxBase.h"

namespace TvxTools {

// ---- The files ----

inline constexpr char16_t kServicesFile[] = u"/etc/services";
inline constexpr char16_t kHostsFile[] = u"/etc/hosts";

// The files the operations below use, and setting them (tests point them at
// files of their own); each setter returns the previous name, and an empty
// name restores the system's file.
ustring ServicesFileName();
ustring SetServicesFileName(const ustring& FileName);
ustring HostsFileName();
ustring SetHostsFileName(const ustring& FileName);

// ---- Services file ----

// The port of the first services-file line whose name (the text before its
// first blank, tabs counting as blanks, after trimming) equals Typ with the
// letters a-z upper-cased on both sides: the text after the name up to the
// first "/", trimmed; empty gives 0, every "%" is removed, and text that is
// then no integer gives -1. -1 when no line matches. Raises EInOutError when
// the file cannot be opened or read.
int32_t GetServicesPort(const ustring& Typ);
// The same rule on the bytes of a services file (Windows-1252 text).
int32_t ServicesPortOfText(std::string_view Bytes, const ustring& Typ);

// Writes the entry of Name: Name padded with blanks to 18 characters, Port,
// "/", ConnectionType padded to 27 characters, "#" and Comment. It takes the
// place of the first line whose first field equals Name (UpperStrW on both
// sides), else it is appended. The file keeps its encoding (its byte-order
// mark, else Windows-1252), its other bytes and its line ends, and is
// replaced in one step. False, with the file as it was, when it is missing
// or cannot be written, when a text holds a line break or a character the
// file's encoding cannot hold.
bool SetServiceSettings(const ustring& Name, const ustring& Port, const ustring& ConnectionType,
                        const ustring& Comment);
// The line SetServiceSettings writes.
ustring ServiceLine(const ustring& Name, const ustring& Port, const ustring& ConnectionType, const ustring& Comment);
// The services-file text (decoded, line ends kept) with the entry Line for
// Name put in, as SetServiceSettings does; LineBreak ends an appended line.
ustring ServicesTextWithEntry(const ustring& Text, const ustring& Name, const ustring& Line, const ustring& LineBreak);

// ---- Hosts file ----

// Appends Address, two blanks and Host as one line in Windows-1252, with the
// file's line end (LF when it has none), after a line end of its own when
// the file's last line lacks one. False when the file is missing or cannot
// be written, when a text holds a line break or a character Windows-1252
// lacks; a failed write is taken back.
bool SetHostSettings(const ustring& Address, const ustring& Host);
// The first field of the first line (empty lines and lines starting with "#"
// skipped) that contains Host anywhere (UpperStrW on both sides, so 'host'
// finds 'localhost'). False, Address unchanged, when no line does or Host is
// empty. Raises EInOutError when the file cannot be opened or read.
bool GetHostSettings(const ustring& Host, ustring& Address);
// The same rule on the bytes of a hosts file (Windows-1252 text).
bool HostAddressOfText(std::string_view Bytes, const ustring& Host, ustring& Address);

// ---- Services ----

// The state of the service (1 stopped, 2 start pending, 3 stop pending, 4
// running); 0 when it cannot be asked for: Machine is not empty (another
// computer), Service is no valid unit name, the service manager cannot be
// asked or does not know the service. Never raises.
uint32_t GetServiceStatus(const ustring& Machine, const ustring& Service);
// Stop or start a service of this computer: nothing runs when its state is
// 0 (False); else the service manager's stop or start command runs
// (ExecAndWait, bounded), then up to 120 rounds read the state: StopService
// waits 500 ms after each state other than 1 and ends at 0 or 1;
// StartService waits 500 ms after every state read and ends at 0 or 4. True
// when the last state read is 1 (stop) or 4 (start).
bool StopService(const ustring& Service);
bool StartService(const ustring& Service);

// The runner of the service manager's commands: Program and Params as
// ExecAndWait takes them. Output, when given, receives what the command
// writes to its standard output. True when the command ran to its end,
// ExitCode then holding its exit code.
using TServiceCommandRunner =
    std::function<bool(const ustring& Program, const ustring& Params, uint32_t& ExitCode, std::string* Output)>;
// Sets the runner for every thread and returns the previous one; an empty
// runner restores the default (ExecAndWait, and for output a bounded run
// that reads it).
TServiceCommandRunner SetServiceCommandRunner(TServiceCommandRunner Runner);
// The pause between two state reads; an empty one restores the default
// (the thread sleeps).
using TServicePollWait = std::function<void(uint32_t Milliseconds)>;
TServicePollWait SetServicePollWait(TServicePollWait Wait);

}  // namespace TvxTools
