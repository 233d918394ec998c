// The request/answer exchange over TCP: one blocking connection per
// attempt, the request written in chunks, the answer read in chunks until
// it is complete, the server closes or a wait passes without data.
#include "foundation/vxComToolsExchange.h"

#include <algorithm>
#include <chrono>

#include "core/vxConversion.h"
#include "platform/base/vxCodePage.h"
#include "platform/net/vxTcpConnection.h"

namespace TvxComTools {

namespace {

int NonNegative(int32_t ms) { return std::max<int32_t>(ms, 0); }

// Watches an answer as it grows, so that the completion test does not scan
// the whole answer again for every chunk.
class TAnswerWatch {
 public:
  // Appends a chunk; true when the answer is complete.
  bool Append(std::string& answer, std::string_view chunk) {
    const size_t from = answer.size();
    answer.append(chunk);
    if (!FHasOpen) FHasOpen = answer.find('<', from) != std::string::npos;
    if (FFirstClose == std::string::npos) FFirstClose = answer.find('>', from);
    if (!FHasOpen || FFirstClose == std::string::npos) return false;
    return EndsWithClosingTag(answer, FFirstClose);
  }

  static bool EndsWithClosingTag(const std::string& answer, size_t firstClose) {
    // The tag runs from the second character to the one before the first ">".
    const std::string_view tag =
        firstClose > 1 ? std::string_view(answer).substr(1, firstClose - 1) : std::string_view();
    if (answer.size() < tag.size() + 2) return false;
    const size_t at = answer.size() - 1 - (tag.size() + 1);
    return answer[at] == '/' && std::string_view(answer).substr(at + 1, tag.size()) == tag;
  }

 private:
  bool FHasOpen = false;
  size_t FFirstClose = std::string::npos;
};

// One exchange on a fresh connection. True when the answer is not empty and
// ends with ">"; raises when connecting, sending or receiving fails.
bool Exchange(TTcpConnection& connection, const ustring& Server, int32_t Port, int32_t ConWait, int32_t ResWait,
              const std::string& Quest, std::string& answer) {
  answer.clear();
  if (Port < 0 || Port > 65535) throw ESocketError("the port is out of range");
  connection.Connect(WideToUtf8(Server), static_cast<uint16_t>(Port), NonNegative(ConWait), ServerIsAddress(Server));
  try {
    // Whether everything was sent is not looked at: the answer decides.
    for (size_t offset = 0; offset < Quest.size(); offset += kComChunkSize) {
      try {
        connection.Write(std::string_view(Quest).substr(offset, kComChunkSize), NonNegative(ConWait));
      } catch (const ESocketTimeout&) {
        break;
      }
    }
    TAnswerWatch watch;
    for (;;) {
      std::string chunk;
      try {
        const auto deadline = TTcpConnection::TClock::now() + std::chrono::milliseconds(NonNegative(ResWait));
        chunk = connection.ReadSome(deadline, kComChunkSize);
      } catch (const ESocketTimeout&) {
        break;
      }
      if (chunk.empty()) break;  // the server closed
      // A NUL byte ends the text of its chunk.
      const size_t nul = chunk.find('\0');
      if (nul != std::string::npos) chunk.resize(nul);
      if (watch.Append(answer, chunk)) break;
    }
  } catch (...) {
    connection.Close();
    throw;
  }
  connection.Close();
  return !answer.empty() && answer.back() == '>';
}

// The parsed exchange; raises as Exchange and ParseComAnswer do.
bool AskAndParse(TTcpConnection& connection, const ustring& Server, int32_t Port, int32_t ConWait, int32_t ResWait,
                 const std::string& Quest, std::string& ComTyp, TComResExt& comres) {
  std::string answer;
  return Exchange(connection, Server, Port, ConWait, ResWait, Quest, answer) &&
         ParseComAnswer(answer, ComTyp, comres, true);
}

// The first active server from start to the end, then from the first on; -1 when none.
int32_t FindActive(const TServerList& ServerList, size_t start) {
  const size_t count = ServerList.Server.size();
  for (size_t i = start; i < count; ++i)
    if (ServerList.Server[i].Active) return static_cast<int32_t>(i);
  for (size_t i = 0; i < start; ++i)
    if (ServerList.Server[i].Active) return static_cast<int32_t>(i);
  return -1;
}

}  // namespace

bool ServerIsAddress(const ustring& Server) {
  const size_t dot = Server.find(u'.');
  return TvxConversion::StrToInt(Server.substr(0, dot), -1) > 0;
}

bool AnswerIsComplete(const std::string& Answer) {
  const size_t firstClose = Answer.find('>');
  if (Answer.find('<') == std::string::npos || firstClose == std::string::npos) return false;
  return TAnswerWatch::EndsWithClosingTag(Answer, firstClose);
}

bool AskServer(const ustring& Server, int32_t Port, int32_t ConWait, int32_t ResWait, const std::string& Quest,
               std::string& ComTyp, TComResExt& comres) {
  try {
    TTcpConnection connection;
    if (AskAndParse(connection, Server, Port, ConWait, ResWait, Quest, ComTyp, comres)) return true;
  } catch (...) {
  }
  comres.clear();
  return false;
}

bool AskServer(TServerList& ServerList, int32_t ConWait, int32_t ResWait, const std::string& Quest,
               std::string& ComTyp, TComResExt& comres, int32_t& ServerId) {
  try {
    const size_t count = ServerList.Server.size();
    TTcpConnection connection;
    for (size_t attempt = 0; attempt < count; ++attempt) {
      // After an attempt without a parsed answer the search goes on after
      // the server just asked, also when that server stays active.
      int64_t start = int64_t{ServerList.ActId} + (ServerList.Rotate || attempt > 0 ? 1 : 0);
      if (start < 0 || start >= static_cast<int64_t>(count)) start = 0;
      const int32_t chosen = FindActive(ServerList, static_cast<size_t>(start));
      if (chosen < 0) {
        ServerList.ActId = 0;
        ServerId = 0;
        for (TServer& server : ServerList.Server) {
          std::string aliveType;
          TComResExt aliveItems;
          if (AskServer(server.Host, server.Port, kAliveSendWait, kAliveAnswerWait, kAliveRequest, aliveType,
                        aliveItems))
            server.Active = true;
        }
        break;
      }
      ServerId = chosen;
      ServerList.ActId = chosen;
      TServer& server = ServerList.Server[static_cast<size_t>(chosen)];
      try {
        if (AskAndParse(connection, server.Host, server.Port, ConWait, ResWait, Quest, ComTyp, comres)) return true;
      } catch (...) {
        server.Active = false;
      }
    }
  } catch (...) {
  }
  comres.clear();
  return false;
}

bool AskServer(const ustring& Server, int32_t Port, int32_t ConWait, int32_t ResWait, const std::string& Quest,
               std::string& ComText) {
  ComText.clear();
  try {
    TTcpConnection connection;
    return Exchange(connection, Server, Port, ConWait, ResWait, Quest, ComText);
  } catch (...) {
    return false;
  }
}

}  // namespace TvxComTools
