#include "support/library_fixture.h"

#include "library/core/dictionary.h"
#include "library/core/standard_messages.h"
#include "library/runtime/data/error_state.h"
#include "library/runtime/data/transaction.h"
#include "library/runtime/windows/thread_store.h"

#include <QDir>

namespace vx::test {

namespace {

void CloseAll() {
  for (DataFile *file :
       std::initializer_list<DataFile *>{&VORNIX(), &Categories(), &CatHTML(), &History(), &OldSites(),
                                         &OldCategories(), &OldCatHTML(), &MergeSource()}) {
    CLOSE(*file);
    file->useCount = 0;
  }
  for (DataLineFile *file : {&ASC(), &OUT()}) {
    file->CLOSE();
    file->useCount = 0;
  }
}

} // namespace

LibraryTest::LibraryTest() : previousDir_(QDir::currentPath()) {
  SetCurrentThreadStore(nullptr);
  ROLLBACK();
  CloseAll();
  QDir::setCurrent(dir_.path());
  previousHandler_ = SetMessageHandler([this](const MessageRequest &r) {
    shown_.push_back(r);
    if (answers_.empty())
      return r.defaultButton ? r.defaultButton : BUTTON_OK;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
  ClearError();
}

LibraryTest::~LibraryTest() {
  SetCurrentThreadStore(nullptr);
  ROLLBACK();
  CloseAll();
  SetMessageHandler(std::move(previousHandler_));
  ShowStandardMessage0(0);
  QDir::setCurrent(previousDir_);
}

void LibraryTest::TakeAll() {
  TakeFile(Categories());
  TakeFile(VORNIX());
  TakeFile(CatHTML());
  TakeFile(History());
}

std::vector<QString> LibraryTest::texts() const {
  std::vector<QString> out;
  for (const MessageRequest &r : shown_)
    out.push_back(r.text);
  return out;
}

int AddSite(const QString &location, const QString &description, const QString &category, int rating,
            const QString &keyword) {
  CLEAR(VORNIX());
  URL().SiteInfo = QString(); // CLEAR leaves the memo, which may hold an earlier test's text
  URL().Location = location;
  URL().Description = description;
  URL().Category = category;
  URL().Rating = rating;
  URL().Keyword = keyword;
  ADD(VORNIX());
  return ERRORCODE();
}

int AddCategory(const QString &name) {
  CLEAR(Categories());
  CAT().Category = name;
  ADD(Categories());
  return ERRORCODE();
}

int AddSnippet(const QString &category, const QString &type) {
  CLEAR(CatHTML());
  HTM().Category = category;
  HTM().TypeOfHTML = type;
  ADD(CatHTML());
  return ERRORCODE();
}

void ReadCategory(const QString &name) {
  CLEAR(Categories());
  CAT().Category = name;
  GET(Categories().K_Category);
  ASSERT_EQ(ERRORCODE(), 0);
}

QStringList Sites() {
  QStringList out;
  SET(VORNIX());
  for (NEXT(VORNIX()); ERRORCODE() == 0; NEXT(VORNIX()))
    out << URL().Category.clipped() + "/" + URL().Description.clipped();
  return out;
}

} // namespace vx::test
