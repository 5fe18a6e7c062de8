#include "proxy/platform/reg_ini_file.h"
#include "proxy/platform/registry.h"
#include "proxy/windows/common/form_placement.h"

#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace ql {
namespace {

TEST(FormPlacement, AMaximisedWindowKeepsItsNormalPlaceAndComesBackMaximised) {
  QTemporaryDir dir;
  Registry registry(dir.filePath("registry.reg"));
  TRegIniFile settings(kQuenlarkSettingsKey, registry);
  const QSize screen(1024, 768);
  {
    QWidget window;
    window.setWindowTitle("Cache Explorer");
    window.move(40, 50);
    window.resize(400, 300);
    SaveFormPlacement(window, settings);
    window.setWindowState(Qt::WindowMaximized);
    SaveFormPlacement(window, settings);
  }
  EXPECT_EQ(settings.ReadInteger("Window Properties", "Cache Explorer.X", -1), 40);
  EXPECT_EQ(settings.ReadInteger("Window Properties", "Cache Explorer.Width", -1), 400);
  EXPECT_EQ(settings.ReadInteger("Window Properties", "Cache Explorer.State", -1), 2);

  QWidget window;
  window.setWindowTitle("Cache Explorer");
  RestoreFormPlacement(window, settings, screen);
  EXPECT_EQ(window.pos(), QPoint(40, 50));
  EXPECT_EQ(window.size(), QSize(400, 300));
  EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);

  // A left edge at or beyond the screen width less 1 leaves the default left position.
  settings.WriteInteger("Window Properties", "Bookmarks.X", 1023);
  settings.WriteInteger("Window Properties", "Bookmarks.Y", 60);
  QWidget other;
  other.setWindowTitle("Bookmarks");
  other.move(7, 8);
  RestoreFormPlacement(other, settings, screen);
  EXPECT_EQ(other.pos(), QPoint(7, 60));
  EXPECT_FALSE(other.windowState() & Qt::WindowMaximized);
}

} // namespace
} // namespace ql
