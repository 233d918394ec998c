// Tests of the address operations of configstore/vxNet.h: the host's own
// IPv4 addresses (in namespaces with a hosts file of the test's making),
// address patterns and ranges, and the port probe against real sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "configstore/vxNet.h"
#include "platform/base/vxCodePage.h"
#include "platform/base/vxFileDescriptor.h"
#include "support/vxHostNamespace.h"

namespace {

std::string Joined(const TStrings& list) {
  std::string text;
  for (int32_t i = 0; i < list.Count(); ++i) text += WideToUtf8(list[i]) + ";";
  return text;
}

TEST(NetAddresses, LocalAddressesAreWhatTheHostNameResolvesTo) {
  struct TCase {
    const char* Hosts;
    const char* Listed;  // GetLocalIP's list, or "false"
    const char* Single;
  } cases[] = {
      // Debian's own entry for the host name: a loopback address of its own.
      {"127.0.0.1 localhost\n127.0.1.1 vxtesthost.example.org vxtesthost\n", "127.0.1.1;", "127.0.1.1"},
      {"127.0.0.1 localhost\n192.0.2.7 vxtesthost\n198.51.100.3 vxtesthost\n", "192.0.2.7;198.51.100.3;",
       "192.0.2.7"},
      // An IPv6 entry alone gives no IPv4 address.
      {"::1 localhost\n2001:db8::5 vxtesthost\n", "false", "127.0.0.1"},
      {"127.0.0.1 localhost\n", "false", "127.0.0.1"},
  };
  for (const TCase& c : cases) {
    const vxTest::TChildOutput output = vxTest::WithHostsFile("vxtesthost", c.Hosts, [] {
      TStringList list;
      const bool found = TvxNet::GetLocalIP(&list);
      const bool withoutList = TvxNet::GetLocalIP(nullptr);
      return (found ? Joined(list) : std::string("false")) + "|" + (withoutList == found ? "same" : "differs") +
             "|" + WideToUtf8(TvxNet::GetSingleLocalIP());
    });
    if (output.Text == "skip") GTEST_SKIP() << "no namespaces of our own (needs root)";
    EXPECT_EQ(output.ExitCode, 0);
    EXPECT_EQ(output.Text, std::string(c.Listed) + "|same|" + c.Single) << c.Hosts;
  }
}

TEST(NetAddresses, LocalAddressesAppendToTheCallersList) {
  TStringList list;
  list.Add(u"kept");
  const bool found = TvxNet::GetLocalIP(&list);
  EXPECT_EQ(list[0], u"kept");
  EXPECT_EQ(list.Count() > 1, found);
}

std::string Octets(const TvxIPAddress& address) {
  std::string text;
  for (const int32_t octet : address.OctetArray) text += std::to_string(octet) + ",";
  return text;
}

TEST(NetAddresses, AddressTextsBecomeEightEntries) {
  struct TCase {
    ustring In;
    TvxIPType Type;
    std::string Octets;
    ustring Address;
  } cases[] = {
      {u"192.168.*.10", vxIPv4, "192,168,-1,10,-1,-1,-1,-1,", u"192.168.*.10"},
      {u"fe80::1", vxIPv6, "65152,0,1,-1,-1,-1,-1,-1,", u"fe80::1"},
      {u"host", vxIPUnknown, "-1,-1,-1,-1,-1,-1,-1,-1,", u"host"},
      {u"  10.1 ", vxIPv4, "10,1,-1,-1,-1,-1,-1,-1,", u"10.1"},
      {u"1.2.3.4.5.6.7.8.9.10", vxIPv4, "1,2,3,4,5,6,7,8,", u"1.2.3.4.5.6.7.8.9.10"},
      {u"1..x.99999999999", vxIPv4, "1,0,-1,-1,-1,-1,-1,-1,", u"1..x.99999999999"},
      {u"2001:DB8:0:0:0:0:0:FFFF", vxIPv6, "8193,3512,0,0,0,0,0,65535,", u"2001:DB8:0:0:0:0:0:FFFF"},
      {u"", vxIPUnknown, "-1,-1,-1,-1,-1,-1,-1,-1,", u""},
  };
  for (const TCase& c : cases) {
    const TvxIPAddress address = TvxNet::GetIPFromStr(c.In);
    EXPECT_EQ(address.IPType, c.Type) << WideToUtf8(c.In);
    EXPECT_EQ(Octets(address), c.Octets) << WideToUtf8(c.In);
    EXPECT_EQ(address.Address, c.Address);
  }
}

TEST(NetAddresses, PatternListsSplitAtCommasSemicolonsAndLineBreaks) {
  TvxIPRanges ranges = {TvxNet::GetIPFromStr(u"9.9.9.9")};
  EXPECT_TRUE(TvxNet::GetIPListFromStr(u"", ranges));
  EXPECT_TRUE(ranges.empty());

  ASSERT_TRUE(TvxNet::GetIPListFromStr(u"1.2.3.4,,5.6.7.8", ranges));
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[1].IPType, vxIPUnknown);
  EXPECT_EQ(ranges[2].Address, u"5.6.7.8");

  ASSERT_TRUE(TvxNet::GetIPListFromStr(u" 10.*; fe80::*\r\n192.168.1.1 ", ranges));
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].Address, u"10.*");
  EXPECT_EQ(ranges[1].IPType, vxIPv6);
  EXPECT_EQ(ranges[2].Address, u"192.168.1.1");
}

TEST(NetAddresses, RangesMatchPositionByPosition) {
  struct TCase {
    ustring IP, List;
    bool In;
  } cases[] = {
      {u"10.1.2.3", u"192.168.0.1; 10.1.*.*", true},
      {u"10.1.2.3", u"10.1", true},
      {u"10.1.2.3", u"10.1.2.4", false},
      {u"10.1.2.3", u"::1", false},
      {u"10.1.2", u"10.1.2.3", false},
      {u"10.1.2.3", u"*.*", true},
      {u"10.1.2.3", u"*", false},  // no "." or ":": a pattern of no type
      {u"fe80::1", u"10.*, fe80:*", true},
      {u"fe80::1", u"fe80", false},
      {u"fe80::1", u"FE80:0", true},
      {u"host", u"*, host", false},
      {u"10.1.2.3", u"", false},
      {u"10.1.2.3", u",,", false},
  };
  for (const TCase& c : cases) {
    TvxIPRanges ranges;
    TvxNet::GetIPListFromStr(c.List, ranges);
    EXPECT_EQ(TvxNet::IsIPInRange(c.IP, ranges), c.In) << WideToUtf8(c.IP) << " in " << WideToUtf8(c.List);
  }
  // A pattern made by hand with fewer entries reads its missing ones as wildcards.
  TvxIPAddress shortPattern{u"10", vxIPv4, {10}};
  EXPECT_TRUE(TvxNet::IsIPInRange(u"10.0.0.1", TvxIPRanges{shortPattern}));
}

TEST(NetAddresses, LocalHostIsOneOfTheLoopbackNames) {
  for (const char16_t* ip : {u"127.0.0.1", u"::1", u"0:0:0:0:0:0:0:1", u"0000:0000:0000:0000:0000:0000:0000:0001",
                            u"localhost", u"LocalHost"})
    EXPECT_TRUE(TvxNet::IsLocalHost(ip)) << WideToUtf8(ustring(ip));
  for (const char16_t* ip : {u" 127.0.0.1", u"127.0.1.1", u"127.0.0.2", u"::2", u"localhost.", u""})
    EXPECT_FALSE(TvxNet::IsLocalHost(ip)) << WideToUtf8(ustring(ip));
}

// A TCP socket of the test's own on 127.0.0.1 or every address.
struct TTestSocket {
  TFileDescriptor Fd{::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)};

  uint16_t Bind(in_addr_t Address, uint16_t Port = 0) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(Address);
    address.sin_port = htons(Port);
    if (::bind(Fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 0;
    socklen_t length = sizeof address;
    ::getsockname(Fd.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }
};

TEST(NetAddresses, PortIsFreeUnlessSomethingListensOnIt) {
  TTestSocket listener;
  const uint16_t port = listener.Bind(INADDR_ANY);
  ASSERT_NE(port, 0);
  ASSERT_EQ(::listen(listener.Fd.Get(), 4), 0);
  EXPECT_FALSE(TvxNet::PortIsFree(port));
  listener.Fd.Reset();
  EXPECT_TRUE(TvxNet::PortIsFree(port));
  // The probe itself leaves the port free.
  EXPECT_TRUE(TvxNet::PortIsFree(port));

  // A listener on the loopback address alone takes the port as well.
  TTestSocket loopback;
  const uint16_t loopbackPort = loopback.Bind(INADDR_LOOPBACK);
  ASSERT_NE(loopbackPort, 0);
  ASSERT_EQ(::listen(loopback.Fd.Get(), 4), 0);
  EXPECT_FALSE(TvxNet::PortIsFree(loopbackPort));
}

TEST(NetAddresses, PortInTimeWaitIsFree) {
  // A connection that the server side closes first leaves its port in
  // TIME_WAIT there; a server could listen on it again at once.
  TTestSocket listener;
  // The server before us reused addresses, as servers do.
  const int on = 1;
  ASSERT_EQ(::setsockopt(listener.Fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on), 0);
  const uint16_t port = listener.Bind(INADDR_LOOPBACK);
  ASSERT_NE(port, 0);
  ASSERT_EQ(::listen(listener.Fd.Get(), 4), 0);
  TTestSocket client;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  ASSERT_EQ(::connect(client.Fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  TFileDescriptor accepted(::accept(listener.Fd.Get(), nullptr, nullptr));
  ASSERT_TRUE(accepted.Valid());
  listener.Fd.Reset();
  accepted.Reset();
  // The client reads the end of the stream and closes too.
  pollfd wait{client.Fd.Get(), POLLIN, 0};
  ASSERT_EQ(::poll(&wait, 1, 10'000), 1);
  char byte;
  EXPECT_EQ(::read(client.Fd.Get(), &byte, 1), 0);
  client.Fd.Reset();
  EXPECT_TRUE(TvxNet::PortIsFree(port));
}

TEST(NetAddresses, PortsOutsideTheRangeAreNotFree) {
  for (const int32_t port : {0, -1, 65536, 65536 + 80, 1 << 30}) EXPECT_FALSE(TvxNet::PortIsFree(port)) << port;
}

}  // namespace
