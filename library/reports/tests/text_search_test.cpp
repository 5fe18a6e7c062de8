#include "library/reports/text_search.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(LineSearch, WholeWordsTestTheFirstOccurrenceOnly) {
  const struct {
    const char *find;
    bool wholeWord, matchCase;
    const char *line;
    bool matches;
  } cases[] = {
      {"log", true, false, "catalog log", false}, // inside a word first: the later word is not tried
      {"log", true, false, "log file", true},
      {"log", true, false, "the log", true},
      {"log", true, false, "the log   ", true}, // trailing blanks are the line's end
      {"abc", true, false, "abcd", false},
      {"log ", true, false, "a log", true}, // the search text's trailing blanks do not count
      {"Export", false, false, "HOW TO EXPORT", true},
      {"Export", false, true, "HOW TO EXPORT", false},
      {"\xe9t\xe9", false, false, "L'\xc9T\xc9", true}, // Latin-1 letters by the run-time's rule
      {"", false, false, "anything", false},
  };
  for (const auto &c : cases) {
    const LineSearch search(QString::fromLatin1(c.find), c.wholeWord, c.matchCase);
    EXPECT_EQ(c.matches, search.Matches(QString::fromLatin1(c.line))) << c.find << " in " << c.line;
  }
}

TEST(LineSearch, ScansDownOrUpWithinTheGivenRows) {
  const std::vector<QString> lines = {"alpha", "beta", "gamma beta", "delta"};
  const LineSearch beta("beta", false, false);
  EXPECT_EQ(2, beta.Scan(lines, 1, 4));
  EXPECT_EQ(3, beta.Scan(lines, 3, 4));
  EXPECT_EQ(3, beta.Scan(lines, 4, 1)); // up from the last line
  EXPECT_EQ(0, beta.Scan(lines, 4, 4));
  EXPECT_EQ(0, LineSearch("zeta", false, false).Scan(lines, 1, 4));
  EXPECT_EQ(0, beta.Scan({}, 1, 1));
  EXPECT_EQ(0, LineSearch("", false, false).Scan(lines, 1, 4));
}

} // namespace
} // namespace vx
