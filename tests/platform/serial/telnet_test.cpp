#include "platform/serial/telnet.h"

#include <gtest/gtest.h>

using namespace serial::telnet;

namespace {

struct Recorder : Handler {
  std::vector<std::uint8_t> data;
  std::vector<std::pair<int, int>> negotiations;
  std::vector<std::vector<std::uint8_t>> subs;
  void Data(const std::uint8_t* d, std::size_t n) override { data.insert(data.end(), d, d + n); }
  void Negotiate(std::uint8_t c, std::uint8_t o) override { negotiations.emplace_back(c, o); }
  void Subnegotiation(std::uint8_t o, const std::vector<std::uint8_t>& p) override {
    std::vector<std::uint8_t> s{o};
    s.insert(s.end(), p.begin(), p.end());
    subs.push_back(s);
  }
};

}  // namespace

TEST(Telnet, EscapesAndRestoresEveryByteValueEvenSplitAnywhere) {
  std::vector<std::uint8_t> all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<std::uint8_t>(i));
  all.insert(all.end(), {0xFF, 0xFF, 0xFF});
  std::vector<std::uint8_t> wire;
  AppendData(wire, all.data(), all.size());
  AppendComPort(wire, NOTIFY_MODEMSTATE + SERVER_OFFSET, {0xFF});
  AppendNegotiation(wire, DO, OPT_COM_PORT);
  EXPECT_EQ(wire.size(), all.size() + 4 + 8 + 3);
  for (std::size_t split = 0; split <= wire.size(); split += 7) {
    Decoder d;
    Recorder r;
    d.Feed(wire.data(), split, r);
    d.Feed(wire.data() + split, wire.size() - split, r);
    EXPECT_EQ(r.data, all) << split;
    ASSERT_EQ(r.subs.size(), 1u);
    EXPECT_EQ(r.subs[0], (std::vector<std::uint8_t>{OPT_COM_PORT, 107, 0xFF}));
    EXPECT_EQ(r.negotiations, (std::vector<std::pair<int, int>>{{DO, OPT_COM_PORT}}));
  }
}

TEST(Telnet, AgentAgreesOnceAndRefusesUnknownOptions) {
  OptionAgent agent({OPT_BINARY, OPT_COM_PORT}, {OPT_BINARY});
  std::vector<std::uint8_t> out;
  agent.Offer(out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{IAC, WILL, OPT_BINARY, IAC, WILL, OPT_COM_PORT, IAC, DO, OPT_BINARY}));
  out.clear();
  agent.Answer(DO, OPT_COM_PORT, out);  // already offered: no answer, no loop
  agent.Answer(WILL, OPT_BINARY, out);
  EXPECT_TRUE(out.empty());
  agent.Answer(DO, 24, out);  // terminal type: refused once
  agent.Answer(DO, 24, out);
  EXPECT_EQ(out, (std::vector<std::uint8_t>{IAC, WONT, 24}));
}

// A peer that opens a sub-negotiation and never ends it must not fill the
// memory; the stream goes on normally after the over-long one is dropped.
TEST(Telnet, OverlongSubnegotiationIsDroppedAndBounded) {
  Decoder d;
  Recorder r;
  const std::vector<std::uint8_t> open = {IAC, SB, OPT_COM_PORT};
  d.Feed(open.data(), open.size(), r);
  const std::vector<std::uint8_t> chunk(64 * 1024, 0x41);
  for (int i = 0; i < 64; ++i) d.Feed(chunk.data(), chunk.size(), r);
  EXPECT_LE(d.PendingSubnegotiation(), kMaxSubnegotiation);
  std::vector<std::uint8_t> rest = {IAC, SE, 'o', 'k'};
  AppendComPort(rest, SERVER_OFFSET + NOTIFY_MODEMSTATE, {0x30});
  d.Feed(rest.data(), rest.size(), r);
  EXPECT_EQ(r.data, (std::vector<std::uint8_t>{'o', 'k'}));
  ASSERT_EQ(r.subs.size(), 1u);  // only the well-formed one
  EXPECT_EQ(r.subs[0], (std::vector<std::uint8_t>{OPT_COM_PORT, SERVER_OFFSET + NOTIFY_MODEMSTATE, 0x30}));
}
