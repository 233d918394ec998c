// TvxComTools::AskServer: one request/answer string sent to a server over
// TCP and its answer read and parsed, to one server or to a list of servers
// with fail-over and a liveness probe. Every wait is bounded: ConWait (ms)
// for the connect and each write, ResWait (ms) for each wait for answer
// data. An answer has no length prefix: it is complete when it ends with
// the closing tag of its first tag (letter case counting), or when the
// server closes or ResWait passes. All forms block the calling thread, keep
// no state of their own and never raise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/vxComTools.h"
#include "platform/base/vxBase.h"

struct TServer {
  bool Active = false;  // the server is believed to answer
  ustring Host;         // host name or numeric address
  int32_t Port = 0;
};

struct TServerList {
  std::vector<TServer> Server;
  bool Rotate = false;  // start at the server after the one used last
  int32_t ActId = 0;    // index of the server used last
};

namespace TvxComTools {

// Chunk size of each write and read.
inline constexpr size_t kComChunkSize = 10000;
// The liveness probe and its time-outs.
inline constexpr char kAliveRequest[] = "<ALIVE><></ALIVE>";
inline constexpr int32_t kAliveSendWait = 2000;
inline constexpr int32_t kAliveAnswerWait = 5000;

// True when the answer arrived and parsed (items decoded); ComTyp and comres
// as ParseComAnswer fills them. comres is emptied on False.
bool AskServer(const ustring& Server, int32_t Port, int32_t ConWait, int32_t ResWait, const std::string& Quest,
               std::string& ComTyp, TComResExt& comres);

// The same over a server list: the first active server from ActId (or the
// one after it with Rotate) is asked; a server whose connect, send, receive
// or decoding fails is marked inactive, and the next active one is asked, at
// most one attempt per server. When no server is active, every server is
// probed with kAliveRequest, its Active flag set when it answers, and the
// call gives False without sending Quest. ServerId: the server last tried.
bool AskServer(TServerList& ServerList, int32_t ConWait, int32_t ResWait, const std::string& Quest,
               std::string& ComTyp, TComResExt& comres, int32_t& ServerId);

// True when an answer ending with ">" arrived; ComText is the raw answer,
// also what was received when the result is False.
bool AskServer(const ustring& Server, int32_t Port, int32_t ConWait, int32_t ResWait, const std::string& Quest,
               std::string& ComText);

// Whether Server is taken as a numeric address: its text before the first
// "." reads as a number above 0 ('10.0.0.5'); otherwise it is a host name
// ('host.domain', 'localhost', '0.1.2.3').
bool ServerIsAddress(const ustring& Server);

// Whether an answer is complete: it holds "<" and ">" and ends with "/" +
// the text from its second character to its first ">", then one character.
bool AnswerIsComplete(const std::string& Answer);

}  // namespace TvxComTools
