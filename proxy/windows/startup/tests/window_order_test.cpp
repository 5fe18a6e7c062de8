#include "proxy/windows/startup/window_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ql {
namespace {

std::vector<std::string> freed;

struct Window {
  explicit Window(std::string name) : name(std::move(name)) {}
  ~Window() { freed.push_back(name); }
  std::string name;
};

TEST(WindowOrder, WindowsAreFreedInTheReverseOrderOfTheirCreation) {
  freed.clear();
  {
    TWindowOrder order;
    order.Add("control bar", std::make_unique<Window>("control bar"));
    order.Add("network window", std::make_unique<Window>("network window"));
    order.Add("bookmarks", std::make_unique<Window>("bookmarks"));
    order.FreeAll();
    EXPECT_EQ(freed, (std::vector<std::string>{"bookmarks", "network window", "control bar"}));
  }
  EXPECT_EQ(freed.size(), 3u);
}

} // namespace
} // namespace ql
