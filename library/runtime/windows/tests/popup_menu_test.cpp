#include "library/runtime/windows/file_dialog.h"
#include "library/runtime/windows/popup_menu.h"
#include "support/run_threads.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(PopupMenu, ParsesDisabledCheckedAndSeparatorEntries) {
  const auto items = ParsePopupText("&Insert|~&Change|-|+&Delete|~+Both");
  ASSERT_EQ(5u, items.size());
  EXPECT_EQ("&Insert", items[0].text);
  EXPECT_TRUE(items[0].enabled);
  EXPECT_EQ(1, items[0].number);
  EXPECT_EQ("&Change", items[1].text);
  EXPECT_FALSE(items[1].enabled);
  EXPECT_TRUE(items[2].separator);
  EXPECT_EQ(0, items[2].number);
  EXPECT_EQ("&Delete", items[3].text);
  EXPECT_TRUE(items[3].checked);
  EXPECT_EQ(3, items[3].number); // separators are not counted
  EXPECT_FALSE(items[4].enabled);
  EXPECT_TRUE(items[4].checked);
}

// A check menu: "-" alone separates, "-" before a text makes an unchecked check entry and
// "+" a checked one; the separator is not counted.
TEST(PopupMenu, DashAndPlusMakeCheckEntries) {
  const auto items = ParsePopupText("-No Zoom|-|+Page Width|-50%");
  ASSERT_EQ(4u, items.size());
  EXPECT_EQ("No Zoom", items[0].text);
  EXPECT_TRUE(items[0].checkable);
  EXPECT_FALSE(items[0].checked);
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ("Page Width", items[2].text);
  EXPECT_TRUE(items[2].checked);
  EXPECT_EQ(2, items[2].number);
  EXPECT_EQ("50%", items[3].text);
  EXPECT_EQ(3, items[3].number);
  EXPECT_FALSE(ParsePopupText("&Insert")[0].checkable);
}

TEST(PopupMenu, NeverReturnsAnEntryThatCannotBeChosen) {
  int answer = 2;
  test::ScriptedDialogs dialogs(nullptr, [&](const PopupRequest &) { return answer; });
  EXPECT_EQ(0, POPUP("&Insert|~&Change|~&Delete"));
  answer = 1;
  EXPECT_EQ(1, POPUP("&Insert|~&Change|~&Delete"));
  answer = 7;
  EXPECT_EQ(0, POPUP("&Insert"));
}

TEST(FileDialog, ConvertsFilterPairsAndKeepsTheNameOnCancel) {
  EXPECT_EQ("HTML files (*.htm *.html);;All files (*.*)",
            QtFilterText("HTML files|*.htm;*.html|All files|*.*"));
  std::optional<QString> answer;
  test::ScriptedDialogs dialogs(nullptr, nullptr, [&](const FileDialogRequest &request) {
    EXPECT_EQ("bookmark.htm", request.fileName);
    return answer;
  });
  QString name = "bookmark.htm";
  EXPECT_FALSE(FILEDIALOG("Export", name, "HTML|*.htm"));
  EXPECT_EQ("bookmark.htm", name);
  answer = "/tmp/out.htm";
  EXPECT_TRUE(FILEDIALOG("Export", name, "HTML|*.htm", true));
  EXPECT_EQ("/tmp/out.htm", name);
}

} // namespace
} // namespace vx
