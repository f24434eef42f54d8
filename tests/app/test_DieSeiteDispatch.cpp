#include "DieSeiteFixture.h"

namespace {

class DieSeiteDispatch : public DieSeiteFixture {};

}  // namespace

TEST_F(DieSeiteDispatch, PageLoadsWithItsElements) {
    EXPECT_TRUE(page.hasElement("dexmode_info"));
    EXPECT_EQ(value("port"), "nix");
}
