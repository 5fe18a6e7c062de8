#pragma once

#include "library/exchange/batch_process.h"
#include "library/exchange/import/import_settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vx::test {

// Writes `bytes` to the file `name` in the test's folder.
void WriteInput(const QString &name, const QByteArray &bytes);

// Settings that import `name` as `type` by `method`, into `category` for "Selected Category".
ImportSettings ImportOf(const QString &type, const QString &name, const QString &method = "Make Best Guess",
                        const QString &category = {});

// Runs an import to its end, as its window would; returns the response (1 completed).
int RunImport(const ImportSettings &settings, BatchProgress *progress = nullptr);

// Every site in physical order as "category|location|description|site info|rating|keyword".
QStringList SiteRows();
// Every category in key order as "name:description".
QStringList CategoryRows();

} // namespace vx::test
