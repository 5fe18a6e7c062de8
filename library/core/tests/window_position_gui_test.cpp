#include "library/core/window_position.h"
#include "library/runtime/data/ini_file.h"
#include "library/runtime/windows/scheduler.h"
#include "library/runtime/windows/window.h"
#include "support/gui_support.h"

#include <QFile>
#include <gtest/gtest.h>

namespace vx {
namespace {

const QString kIni = "VORNIX.INI";
const QString kSection = "BrowseVORNIX";

// Runs `body` on a thread of its own with a frame and one child window open in it.
void WithChildWindow(bool resizable, const std::function<void(Window &)> &body) {
  START([&] {
    Window frame(WindowSpec("Vornix", WindowKind::Frame));
    frame.Open();
    frame.Outer()->resize(1000, 800);
    WindowSpec spec("Browse Locations", WindowKind::MdiChild, QRect(10, 10, 200, 100));
    spec.resizable = resizable;
    Window child(spec);
    child.Open();
    body(child);
  });
  test::RunAllThreads();
}

TEST(WindowPosition, FirstOpeningLeavesTheWindowWhereItsDefinitionPutsIt) {
  test::TempSetup setup;
  WithChildWindow(true, [](Window &window) {
    const QRect before = window.Position();
    RestoreWindowPosition(window, kSection, kIni);
    EXPECT_EQ(before, window.Position());
    EXPECT_FALSE(window.IsMaximized());
  });
  EXPECT_FALSE(QFile::exists(setup.IniPath()));
}

TEST(WindowPosition, PlaceRoundTripsThroughTheIniFile) {
  test::TempSetup setup;
  const QRect place(40, 32, 180, 96);
  WithChildWindow(true, [&](Window &window) {
    window.SetPosition(place);
    SaveWindowPosition(window, kSection, kIni);
  });
  EXPECT_EQ("No", GETINI(kSection, "Maximize", "", kIni));
  EXPECT_EQ(QString::number(place.x()), GETINI(kSection, "XPosit", "", kIni));
  EXPECT_EQ(QString::number(place.height()), GETINI(kSection, "Height", "", kIni));
  WithChildWindow(true, [&](Window &window) {
    RestoreWindowPosition(window, kSection, kIni);
    EXPECT_EQ(place, window.Position());
  });
}

TEST(WindowPosition, MaximisedWindowReopensMaximisedAndKeepsItsNormalPlace) {
  test::TempSetup setup;
  const QRect place(20, 16, 150, 80);
  WithChildWindow(true, [&](Window &window) {
    window.SetPosition(place);
    window.SetMaximized(true);
    SaveWindowPosition(window, kSection, kIni);
  });
  EXPECT_EQ("Yes", GETINI(kSection, "Maximize", "", kIni));
  WithChildWindow(true, [&](Window &window) {
    RestoreWindowPosition(window, kSection, kIni);
    EXPECT_TRUE(window.IsMaximized());
    window.SetMaximized(false);
    EXPECT_EQ(place, window.Position());
  });
}

TEST(WindowPosition, ZeroPositionMovesNothingAndZeroXPositSkipsMaximise) {
  test::TempSetup setup;
  PUTINI(kSection, "XPosit", "0", kIni);
  PUTINI(kSection, "YPosit", "30", kIni);
  PUTINI(kSection, "Width", "100", kIni);
  PUTINI(kSection, "Height", "100", kIni);
  PUTINI(kSection, "Maximize", "Yes", kIni);
  WithChildWindow(true, [](Window &window) {
    const QRect before = window.Position();
    RestoreWindowPosition(window, kSection, kIni);
    EXPECT_EQ(before, window.Position());
    EXPECT_FALSE(window.IsMaximized());
  });
  PUTINI(kSection, "XPosit", "30", kIni);
  PUTINI(kSection, "YPosit", "0", kIni);
  WithChildWindow(true, [](Window &window) {
    const QRect before = window.Position();
    RestoreWindowPosition(window, kSection, kIni);
    EXPECT_TRUE(window.IsMaximized()); // YPosit 0: not moved, but maximised
    window.SetMaximized(false);
    EXPECT_EQ(before, window.Position());
  });
}

TEST(WindowPosition, FixedFrameIsMovedButKeepsItsOwnSize) {
  test::TempSetup setup;
  PUTINI(kSection, "XPosit", "30", kIni);
  PUTINI(kSection, "YPosit", "24", kIni);
  PUTINI(kSection, "Width", "400", kIni);
  PUTINI(kSection, "Height", "300", kIni);
  WithChildWindow(false, [](Window &window) {
    const QSize size = window.Position().size();
    RestoreWindowPosition(window, kSection, kIni);
    EXPECT_EQ(QRect(QPoint(30, 24), size), window.Position());
    SaveWindowPosition(window, kSection, kIni);
  });
  EXPECT_NE("400", GETINI(kSection, "Width", "", kIni)); // its own width was written
  EXPECT_FALSE(GETINI(kSection, "Width", "", kIni).isEmpty());
}

TEST(WindowPosition, ClosingWhileIconisedWritesNothing) {
  test::TempSetup setup;
  PUTINI(kSection, "XPosit", "30", kIni);
  PUTINI(kSection, "Maximize", "Yes", kIni);
  WithChildWindow(true, [](Window &window) {
    window.SetPosition(QRect(50, 50, 120, 80));
    window.SetIconized(true);
    SaveWindowPosition(window, kSection, kIni);
  });
  EXPECT_EQ("30", GETINI(kSection, "XPosit", "", kIni));
  EXPECT_EQ("Yes", GETINI(kSection, "Maximize", "", kIni));
}

} // namespace
} // namespace vx
