// TvxNet, the plain HTTP transfers: a GET that gives the body, an upload of
// a file with PUT in chunks of 4096 bytes with a progress procedure, and a
// request of any method with a byte string as its body, each with a full
// form that exchanges raw header texts and a short form. They block the
// calling thread until the transfer is over, keep nothing between calls
// and may run on several threads at once.
//
// Each call is one libcurl transfer: the proxy comes from the environment
// (http_proxy, https_proxy, no_proxy), redirects are followed (the header
// text is the final response's), https is verified against the system's
// trusted certificates (the file SSL_CERT_FILE names instead, when that is
// set), the user agent is "VARLO 5.2" and every request carries "Pragma:
// no-cache"; no "Accept-Encoding" and no "Expect: 100-continue" are sent.
// Time-outs: ConnectTimeout for connecting, ReadTimeout for every stretch
// without data, from GlobalClassFactory's client options (their defaults
// without a factory).
//
// A header text is a block of lines "Name: Value", each ending with CR LF;
// a response header text has the status line first. A response of any
// status is a result, not an error: test the code with
// CheckHTTPResponseCode. A transfer that fails raises Exception with the
// operation's text and the WinInet error number of the failure:
//   "internet open url exception code 12029" (HTTPGet)
//   "http send request exception code 12029" (HTTPPutBuffer)
//   "http response code 12029 (the server refused the connection)"
//                                                      (HTTPPutFile)
// The numbers: 12002 time-out, 12005 invalid URL, 12006 unknown scheme,
// 12007 name not resolved, 12017 cancelled, 12029 cannot connect, 12030
// connection closed, 12045 untrusted certificate, 12152 invalid response,
// 12156 too many redirects, 12157 TLS handshake, 12004 anything else.
#pragma once

#include <cstdint>
#include <string>

#include "configstore/vxNet.h"
#include "platform/base/vxBase.h"

namespace TvxNet {

// Called after each chunk of an upload: the file, the bytes written so
// far and the file's size; setting Abort stops the upload.
using TvxHTTPProgressProc = void (*)(const ustring& AFile, uint32_t AmtSent, uint32_t TotalAmt, bool& Abort);

// GET of AUrl (sent in the system code page) with the lines of
// ARequestHeader added; AResponseCode receives the status, AResponseHeader
// the response's header text.
std::string HTTPGet(const ustring& AUrl, int32_t& AResponseCode, const std::string& ARequestHeader,
                    std::string& AResponseHeader);
std::string HTTPGet(const ustring& AUrl, int32_t& AResponseCode);

// PUT of the file AFile to AUrl's server, port (0: 443 for https, else 80)
// and path; the status and header text are read after the whole body went.
// True when every byte was written. A Progress that aborts ends the
// transfer: the result is False, AResponseCode 0, and nothing is raised.
// With DelFile the file is deleted after a status of 200 to 299. A file
// that cannot be opened raises "file handle exception code " and the
// system's error number; a file of 4 GiB or more is refused (sizes are
// 32-bit) before anything is sent.
bool HTTPPutFile(const ustring& AUrl, const ustring& AFile, int32_t& AResponseCode, std::string& AResponseHeader,
                 TvxHTTPProgressProc Progress, bool DelFile);
bool HTTPPutFile(const ustring& AUrl, const ustring& AFile, int32_t& AResponseCode, TvxHTTPProgressProc Progress,
                 bool DelFile);

// A request with the method ACommand and ABuffer as its body to AUrl's
// server, port and path, with the lines of ARequestHeader added; gives the
// response body. The short form sends a PUT without extra lines.
std::string HTTPPutBuffer(const ustring& AUrl, const std::string& ABuffer, int32_t& AResponseCode,
                          const std::string& ARequestHeader, std::string& AResponseHeader,
                          const std::string& ACommand);
std::string HTTPPutBuffer(const ustring& AUrl, const std::string& ABuffer, int32_t& AResponseCode);

// True for 200 to 299.
bool CheckHTTPResponseCode(int32_t Code);

}  // namespace TvxNet
