// Starts the graphics library once for every test of this program (GDI+ must
// be started before paths and matrices are made) and resolves the path-bounds
// entry point.
#include <gtest/gtest.h>

#include "render/graphics.h"

namespace {

class GraphicsEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_EQ(GfxStartup(&token), 1);
        ASSERT_EQ(GfxResolvePathBounds(), 1);
    }
    void TearDown() override { GfxShutdown(token); }

  private:
    uintptr_t token = 0;
};

::testing::Environment* const graphicsEnvironment =
    ::testing::AddGlobalTestEnvironment(new GraphicsEnvironment);

} // namespace
