// Two copies of the program on one data folder, as two processes: a record one copy changes
// after the other read it is refused to the other with "changed by another station", and the
// first copy's change stays.
#include "library/core/dictionary.h"
#include "library/core/referential_integrity.h"
#include "library/runtime/data/error_state.h"
#include "support/library_fixture.h"

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace vx::test {
namespace {

class TwoCopiesTest : public LibraryTest {
protected:
  void SetUp() override {
    TakeAll();
    ASSERT_EQ(AddCategory("News"), 0);
    ASSERT_EQ(AddSite("http://a/", "first", "News"), 0);
    ReleaseAll();
  }
  void TearDown() override {
    if (child_ > 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
  }

  static void ReleaseAll() {
    for (DataFile *file : {static_cast<DataFile *>(&History()), static_cast<DataFile *>(&CatHTML()),
                           static_cast<DataFile *>(&VORNIX()), static_cast<DataFile *>(&Categories())})
      ReleaseFile(*file);
  }

  // Starts the other copy, before this one opens anything: it waits for Go, then opens the
  // library, does `work` and ends with its result as exit status.
  void Fork(const std::function<int()> &work) {
    ASSERT_EQ(::pipe(go_), 0);
    child_ = ::fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      char byte = 0;
      ::close(go_[1]);
      int status = 99;
      if (::read(go_[0], &byte, 1) == 1) {
        TakeAll();
        status = work();
      }
      ::_exit(status);
    }
    ::close(go_[0]);
  }
  // Lets the other copy do its work; its exit status.
  int Go() {
    EXPECT_EQ(::write(go_[1], "g", 1), 1);
    ::close(go_[1]);
    int status = 0;
    ::waitpid(child_, &status, 0);
    child_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static void ReadSite(const QString &location) {
    CLEAR(VORNIX());
    URL().Location = location;
    GET(VORNIX().K_Location);
    ASSERT_EQ(ERRORCODE(), 0);
  }

  pid_t child_ = -1;
  int go_[2] = {-1, -1};
};

TEST_F(TwoCopiesTest, AChangeInOneCopyIsNeverLostToAWriteOfTheOther) {
  Fork([] {
    ReadSite("http://a/");
    URL().Description = "theirs";
    return UpdateSiteRecord();
  });
  TakeAll();
  ReadSite("http://a/");
  ASSERT_EQ(Go(), 0);
  URL().Description = "mine";
  EXPECT_EQ(UpdateSiteRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "This record was changed by another station.");
  EXPECT_EQ(Sites(), QStringList{"News/theirs"});

  // Read again, the site can be changed.
  ReadSite("http://a/");
  URL().Description = "mine";
  EXPECT_EQ(UpdateSiteRecord(), 0);
  EXPECT_EQ(Sites(), QStringList{"News/mine"});
}

TEST_F(TwoCopiesTest, ASiteHeldInOneCopyFollowsARenameInTheOther) {
  Fork([] {
    ReadCategory("News");
    SaveCategoryKey();
    CAT().Category = "Daily News";
    return UpdateCategoryRecord();
  });
  TakeAll();
  ReadSite("http://a/");
  ASSERT_EQ(Go(), 0);
  URL().Description = "mine";
  EXPECT_EQ(UpdateSiteRecord(), 1);
  ASSERT_EQ(shown_.size(), 1u);
  EXPECT_EQ(shown_[0].text, "This record was changed by another station.");
  EXPECT_EQ(Sites(), QStringList{"Daily News/first"});
}

} // namespace
} // namespace vx::test
