#pragma once

#include "library/exchange/batch_process.h"
#include "library/exchange/export/export_settings.h"
#include "support/library_fixture.h"
#include "support/print_qstring.h"

#include <QString>
#include <QStringList>
#include <string>

namespace vx::test {

// The library of the export tests, in the test's folder, its sites listed in the order
// the export writes them: eleven categories and a site with
// a blank category, snippets of all five types (of "_Before All" and "_After All" too),
// texts with quotes, "&", "<" and line breaks, and a snippet and a Site Info longer than
// 512 characters.
struct FixtureSite {
  QString category, location, description, siteInfo;
  int rating;
};
const QList<FixtureSite> &FixtureSites();
void FillExportFixture();

// Settings that export the whole library, Site Info and ratings included, to `name`.
ExportSettings AllOf(const QString &type, const QString &name);

// Runs an export to its end, as its window would; returns the response (1 completed).
int RunExport(const ExportSettings &settings, BatchProgress *progress = nullptr);

// The text of a file in the test's folder, with today's long date written "{date}".
QString ReadOutput(const QString &name);
// The names of the files in the test's folder, the library's own files left out, in order
// and separated by blanks.
std::string OutputFiles();

} // namespace vx::test
