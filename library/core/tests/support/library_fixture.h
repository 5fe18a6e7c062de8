#pragma once

#include "library/runtime/windows/message_box.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <vector>

namespace vx::test {

// A test in a fresh working directory with the library's data files closed before and
// after it, every use count at 0, and message boxes recorded and answered as scripted (the
// default button once the script is used up).
class LibraryTest : public ::testing::Test {
protected:
  LibraryTest();
  ~LibraryTest() override;

  // Opens the four data files as the program does (creating them) and counts one use each.
  void TakeAll();
  // The texts of the boxes shown so far.
  std::vector<QString> texts() const;

  QTemporaryDir dir_;
  std::deque<int> answers_;
  std::vector<MessageRequest> shown_;

private:
  QString previousDir_;
  MessageHandler previousHandler_;
};

// Adds a site and a category through the buffers of the current thread; returns the error code.
int AddSite(const QString &location, const QString &description, const QString &category, int rating = 0,
            const QString &keyword = {});
int AddCategory(const QString &name);
int AddSnippet(const QString &category, const QString &type);

// Reads the category `name` by its key into the current thread's buffer; fails the test
// when it is not there.
void ReadCategory(const QString &name);
// Every site as "category/description", in physical order.
QStringList Sites();

} // namespace vx::test
