// The media platform's start and shut-down, in a process of its own:
// GStreamer, once shut down, cannot start again in the same process.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/gstreamer/GstMediaPlatform.h"

namespace mova::test {
namespace {

bool PluginLoaded(const char* name) {
  GstPlugin* plugin = gst_registry_find_plugin(gst_registry_get(), name);
  if (plugin == nullptr) return false;
  const bool loaded = gst_plugin_is_loaded(plugin) != FALSE;
  gst_object_unref(plugin);
  return loaded;
}

TEST(GstPlatformLifecycleTest, StartsGStreamerBesideItsOwnerAndTheLastPlatformShutsItDown) {
  ASSERT_FALSE(gst_is_initialized());
  auto first = std::make_unique<TGstMediaPlatform>();
  {
    // Destroyed without being asked anything, while its warm-up may still
    // be starting GStreamer or loading plugins: it waits, and the other
    // platform keeps GStreamer running.
    TGstMediaPlatform second;
  }
  ASSERT_TRUE(first->Ready());
  EXPECT_TRUE(gst_is_initialized());
  EXPECT_TRUE(PluginLoaded("coreelements"));
  EXPECT_TRUE(PluginLoaded("typefindfunctions"));
  EXPECT_NE(first->CreateGraph(), nullptr);
  EXPECT_NE(first->CreateFrameDetector(), nullptr);

  first.reset();
  // GStreamer has been shut down for good: a later platform is never ready
  // and makes nothing.
  TGstMediaPlatform late;
  EXPECT_FALSE(late.Ready());
  EXPECT_EQ(late.CreateGraph(), nullptr);
  EXPECT_EQ(late.CreateFrameDetector(), nullptr);
}

}  // namespace
}  // namespace mova::test
