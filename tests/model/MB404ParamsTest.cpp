#include "model/MB404Params.h"

#include <gtest/gtest.h>

#include <vector>

namespace vs {

TEST(MB404Params, NewRecordHoldsTheDefaults) {
  auto p = NewMB404Params();
  ASSERT_TRUE(p);
  for (int i = 0; i < MB404ParamCount; ++i) {
    int32_t want = 0;
    switch (i) {
      case P404Attack: want = 25; break;
      case P404Cutoff: case P404Resonance: case P404EnvAmount: want = 64; break;
      case P404OscMix: want = 128; break;
      case P404StepGate: want = 224; break;
      case P404LFOTarget: want = 2; break;
    }
    EXPECT_EQ(p->Params[i], want) << "parameter " << i;
  }
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(p->Note[k], 60);
    EXPECT_EQ(p->Cutoff[k], 0);
    EXPECT_EQ(p->On[k], 0);
    EXPECT_EQ(p->Slide[k], 0);
  }
  EXPECT_EQ(p->StepLength, 0);
  for (uint8_t b : p->Sequence) EXPECT_EQ(b, 0);
}

TEST(MB404Params, ResetAndClearTouchOnlyTheirParts) {
  auto p = NewMB404Params();
  p->Params.fill(7);
  p->Sequence.fill(0xAA);
  p->Note[1] = 72; p->On[1] = 1; p->Note[5] = 40; p->Cutoff[0] = 9;
  ResetMB404Params(*p);
  EXPECT_EQ(p->Params[P404StepGate], 224);
  EXPECT_EQ(p->Params[P404Osc1PW], 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(p->Sequence[i], 0);
  EXPECT_EQ(p->Sequence[8], 0xAA);  // the rest of the state is the sequence's
  EXPECT_EQ(p->Note[1], 72);
  ClearMB404Sequence(*p);
  for (uint8_t b : p->Sequence) EXPECT_EQ(b, 0);
  EXPECT_EQ(p->Note[1], 60); EXPECT_EQ(p->On[1], 0); EXPECT_EQ(p->Cutoff[0], 0);
  EXPECT_EQ(p->Note[5], 40);  // later slots are the look-ahead's
}

TEST(MB404Params, BlockIsLittleEndianAndRoundTrips) {
  auto p = NewMB404Params();
  p->Params[P404Osc1Coarse] = -12;
  p->Params[P404DelayGain] = 0x01020304;
  MB404Block b = MB404ParamsToBytes(*p);
  EXPECT_EQ(b.size(), 140u);
  EXPECT_EQ(b[0], 0xF4); EXPECT_EQ(b[1], 0xFF); EXPECT_EQ(b[2], 0xFF); EXPECT_EQ(b[3], 0xFF);
  EXPECT_EQ(b[136], 0x04); EXPECT_EQ(b[139], 0x01);
  EXPECT_EQ(b[P404StepGate * 4], 224);
  auto q = NewMB404Params();
  q->Params.fill(0);
  MB404ParamsFromBytes(*q, b.data(), b.size());
  EXPECT_EQ(q->Params, p->Params);
  EXPECT_EQ(MB404ParamsToBytes(*q), b);
}

TEST(MB404Params, ShortOrOversizedPayloadsAreSafe) {
  auto p = NewMB404Params();
  const uint8_t two[2] = {0x05, 0x00};
  p->Params[0] = 0x11223344;
  MB404ParamsFromBytes(*p, two, 2);  // only the two low bytes change
  EXPECT_EQ(p->Params[0], 0x11220005);
  EXPECT_EQ(p->Params[P404StepGate], 224);
  std::vector<uint8_t> big(500, 0xFF);
  MB404ParamsFromBytes(*p, big.data(), big.size());
  for (int32_t v : p->Params) EXPECT_EQ(v, -1);
  MB404ParamsFromBytes(*p, nullptr, 140);
  EXPECT_EQ(p->Params[3], -1);
}

}  // namespace vs
