#include <gtest/gtest.h>

#include "support/recording_host.h"

namespace velmor::testing {
namespace {

TEST(ScenarioRigTest, FetchWordIsLittleEndian) {
  ScenarioRig rig;
  rig.Load({0x34, 0x12});
  EXPECT_EQ(rig.scn.FetchWord(), 0x1234);
  EXPECT_EQ(rig.scn.inx, 2);
}

}  // namespace
}  // namespace velmor::testing
