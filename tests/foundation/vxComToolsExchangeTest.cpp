// The request/answer exchange against peers on 127.0.0.1 started by the
// tests: answers in pieces, closing tags in another letter case, early
// closes, silent servers (bounded by small time-outs), the liveness probe,
// fail-over and the rotating start of a server list.
#include "foundation/vxComToolsExchange.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/foundation/vxComTestServer.h"

using namespace TvxComTools;
using vxTest::TClosedPort;
using vxTest::TComTestServer;

namespace {

constexpr int32_t kConWait = 2000;
// Small, as the silent servers cost this much per wait.
constexpr int32_t kShortResWait = 150;
constexpr int32_t kLongResWait = 10000;
const ustring kLoopback = u"127.0.0.1";

TServer At(uint16_t port, bool active) { return TServer{active, kLoopback, port}; }

// One request-and-answer with the parsed form.
struct TAsked {
  bool Result;
  std::string Type;
  TComResExt Items;
};
TAsked Ask(uint16_t port, const std::string& quest, int32_t resWait = kLongResWait) {
  TAsked a{false, "untouched", {{"OLD", "old", "x"}}};
  a.Result = AskServer(kLoopback, port, kConWait, resWait, quest, a.Type, a.Items);
  return a;
}

}  // namespace

TEST(ComExchange, ServerIsAddress) {
  EXPECT_TRUE(ServerIsAddress(u"10.0.0.5"));
  EXPECT_TRUE(ServerIsAddress(u"127.0.0.1"));
  EXPECT_FALSE(ServerIsAddress(u"host.domain"));
  EXPECT_FALSE(ServerIsAddress(u"localhost"));
  EXPECT_FALSE(ServerIsAddress(u"0.1.2.3"));
  EXPECT_FALSE(ServerIsAddress(u"::1"));
  EXPECT_FALSE(ServerIsAddress(u""));
}

TEST(ComExchange, AnswerIsCompleteCountsLetterCase) {
  EXPECT_TRUE(AnswerIsComplete("<ANSWER><OK=1></ANSWER>"));
  EXPECT_FALSE(AnswerIsComplete("<answer><OK=1></ANSWER>"));
  EXPECT_FALSE(AnswerIsComplete("<ANSWER><OK=1>"));
  EXPECT_FALSE(AnswerIsComplete("<ANSWER><OK=1></ANSWER"));
  EXPECT_FALSE(AnswerIsComplete("no tags"));
  EXPECT_TRUE(AnswerIsComplete("<A></A>"));
  EXPECT_FALSE(AnswerIsComplete("<A>"));
}

TEST(ComExchange, AnswerInTwoSegments) {
  TComTestServer server([](TComTestServer::TConnection& c, const std::string&) {
    c.Send("<ANSWER><O");
    c.Send("K=1></ANSWER>");
    c.Hang();  // the closing tag, not the close, ends the answer
  });
  const TAsked a = Ask(server.Port(), "<Q><enc=none><comp=false><a=1></Q>");
  EXPECT_TRUE(a.Result);
  EXPECT_EQ(a.Type, "ANSWER");
  ASSERT_EQ(a.Items.size(), 1u);
  EXPECT_EQ(a.Items[0].Param, "OK");
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"<Q><enc=none><comp=false><a=1></Q>"});
}

TEST(ComExchange, LargeRequestAndAnswerOverManyChunks) {
  std::string bytes;
  for (unsigned i = 0; i < 300000; ++i) bytes.push_back(static_cast<char>((i * 7919u) % 256u));
  TComRes answerItems{"data=" + bytes};
  const std::string answer = BuiltComString("RESULT", true, false, answerItems);
  TComTestServer server(TComTestServer::Answering(answer));
  TComRes questItems{"payload=" + std::string(55555, 'q')};
  const std::string quest = BuiltComString("PUT", false, false, questItems);
  const TAsked a = Ask(server.Port(), quest);
  ASSERT_TRUE(a.Result);
  EXPECT_EQ(GetComParam(a.Items, "DATA"), bytes);
  EXPECT_EQ(server.Requests(), std::vector<std::string>{quest});

  std::string raw;
  EXPECT_TRUE(AskServer(kLoopback, server.Port(), kConWait, kLongResWait, quest, raw));
  EXPECT_EQ(raw, answer);
}

TEST(ComExchange, ClosingTagInAnotherCaseWaitsForTheCloseOrTheTimeOut) {
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close ? "server closes" : "server stays silent");
    TComTestServer server([close](TComTestServer::TConnection& c, const std::string&) {
      c.Send("<answer><OK=1></ANSWER>");
      if (!close) c.Hang();
    });
    const TAsked a = Ask(server.Port(), "<Q></Q>", kShortResWait);
    EXPECT_TRUE(a.Result);
    EXPECT_EQ(a.Type, "ANSWER");
    EXPECT_EQ(GetComParam(a.Items, "ok"), "1");
  }
}

TEST(ComExchange, EarlyCloseSilenceAndRefusal) {
  TComTestServer early(TComTestServer::Answering("<X><a=1>"));
  TComTestServer silent([](TComTestServer::TConnection& c, const std::string&) { c.Hang(); });
  TComTestServer nothing([](TComTestServer::TConnection&, const std::string&) {});
  TComTestServer unparsable(TComTestServer::Answering("<X><a=1></Y>"));
  TClosedPort refused;
  struct TCase {
    const char* Name;
    uint16_t Port;
    const char* Raw;
    bool RawResult;
  };
  const TCase cases[] = {
      {"early close", early.Port(), "<X><a=1>", true},
      {"silent", silent.Port(), "", false},
      {"closes without a word", nothing.Port(), "", false},
      {"answer that does not parse", unparsable.Port(), "<X><a=1></Y>", true},
      {"refused", refused.Port(), "", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TAsked a = Ask(c.Port, "<Q></Q>", kShortResWait);
    EXPECT_FALSE(a.Result);
    EXPECT_TRUE(a.Items.empty());
    std::string raw = "old";
    EXPECT_EQ(AskServer(kLoopback, c.Port, kConWait, kShortResWait, "<Q></Q>", raw), c.RawResult);
    EXPECT_EQ(raw, c.Raw);
  }
}

TEST(ComExchange, NulByteEndsTheTextOfItsChunk) {
  TComTestServer server(TComTestServer::Answering(std::string("<A><x=1></A>\0tail", 17)));
  const TAsked a = Ask(server.Port(), "<Q></Q>", kShortResWait);
  EXPECT_TRUE(a.Result);
  EXPECT_EQ(GetComParam(a.Items, "x"), "1");
}

TEST(ComExchange, EmptyListGivesFalse) {
  TServerList list;
  std::string type;
  TComResExt items{{"OLD", "old", "x"}};
  int32_t id = 7;
  EXPECT_FALSE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_TRUE(items.empty());
}

TEST(ComExchange, ProbeWhenNoServerIsActive) {
  TComTestServer alive(TComTestServer::Answering("<ALIVE><OK=1></ALIVE>"));
  TClosedPort dead;
  TServerList list;
  list.Server = {At(dead.Port(), false), At(alive.Port(), false)};
  list.ActId = 1;
  std::string type;
  TComResExt items;
  int32_t id = 7;
  EXPECT_FALSE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_EQ(id, 0);
  EXPECT_EQ(list.ActId, 0);
  EXPECT_FALSE(list.Server[0].Active);
  EXPECT_TRUE(list.Server[1].Active);
  // Only the probe went out.
  EXPECT_EQ(alive.Requests(), std::vector<std::string>{kAliveRequest});

  // The next call asks the server the probe found alive.
  EXPECT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_EQ(id, 1);
  EXPECT_EQ(list.ActId, 1);
  EXPECT_EQ(type, "ALIVE");
  EXPECT_EQ(alive.Requests().back(), "<Q></Q>");
}

TEST(ComExchange, FailOverToTheSecondServer) {
  TClosedPort refused;
  TComTestServer silent([](TComTestServer::TConnection& c, const std::string&) { c.Hang(); });
  TComTestServer early(TComTestServer::Answering("<X><a=1>"));
  const std::string undecodable = "<A><enc=mime><comp=true><bm90IHpsaWI=></A>";
  TComTestServer broken(TComTestServer::Answering(undecodable));
  TComTestServer good(TComTestServer::Answering("<GOOD><ok=1></GOOD>"));
  struct TCase {
    const char* Name;
    uint16_t FirstPort;
    bool FirstStaysActive;  // only a failed connect, send, receive or decoding marks it inactive
  };
  const TCase cases[] = {
      {"refused", refused.Port(), false},
      {"silent", silent.Port(), true},
      {"early close", early.Port(), true},
      {"compressed item that does not inflate", broken.Port(), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TServerList list;
    list.Server = {At(c.FirstPort, true), At(good.Port(), true)};
    std::string type;
    TComResExt items;
    int32_t id = -1;
    EXPECT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
    EXPECT_EQ(type, "GOOD");
    EXPECT_EQ(id, 1);
    EXPECT_EQ(list.ActId, 1);
    EXPECT_EQ(list.Server[0].Active, c.FirstStaysActive);
    EXPECT_TRUE(list.Server[1].Active);
  }
}

TEST(ComExchange, EveryServerFailingEndsAfterOneAttemptEach) {
  TComTestServer early(TComTestServer::Answering("<X><a=1>"));
  TServerList list;
  list.Server = {At(early.Port(), true), At(early.Port(), true), At(early.Port(), true)};
  std::string type;
  TComResExt items{{"OLD", "old", "x"}};
  int32_t id = -1;
  EXPECT_FALSE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(early.Requests().size(), 3u);
  EXPECT_EQ(id, 2);
}

TEST(ComExchange, RotatingStart) {
  TComTestServer first(TComTestServer::Answering("<FIRST></FIRST>"));
  TComTestServer second(TComTestServer::Answering("<SECOND></SECOND>"));
  TServerList list;
  list.Server = {At(first.Port(), true), At(second.Port(), true)};
  list.Rotate = true;
  std::string type;
  TComResExt items;
  int32_t id = -1;
  const char* expected[] = {"SECOND", "FIRST", "SECOND"};
  for (const char* answer : expected) {
    ASSERT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
    EXPECT_EQ(type, answer);
    EXPECT_EQ(id, list.ActId);
  }
  // Without rotation the server used last is asked again.
  list.Rotate = false;
  ASSERT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_EQ(type, "SECOND");
  // A start beyond the list, or before it, becomes the first server.
  list.ActId = 5;
  ASSERT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_EQ(type, "FIRST");
  list.ActId = -3;
  ASSERT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_EQ(type, "FIRST");
  // Only the second server active, ActId 0 and Rotate: the call starts at index 1.
  list.Server[0].Active = false;
  list.ActId = 0;
  list.Rotate = true;
  ASSERT_TRUE(AskServer(list, kConWait, kShortResWait, "<Q></Q>", type, items, id));
  EXPECT_EQ(id, 1);
}
