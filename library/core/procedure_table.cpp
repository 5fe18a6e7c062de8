#include "library/core/procedure_table.h"

#include "library/core/about_window.h"
#include "library/core/browse_categories.h"
#include "library/core/browse_vornix.h"
#include "library/core/splash_window.h"

#include <QHash>

namespace vx {

namespace {

QHash<QString, ProcedureFn> &Table() {
  static QHash<QString, ProcedureFn> table;
  return table;
}

} // namespace

void RegisterProcedure(const QString &name, ProcedureFn procedure) {
  Table().insert(name, std::move(procedure));
}

ProcedureFn FindProcedure(const QString &name) {
  return Table().value(name);
}

void UnregisterProcedure(const QString &name) {
  Table().remove(name);
}

void RegisterProgramProcedures() {
  RegisterProcedure(QStringLiteral("Splash"), Splash);
  RegisterProcedure(QStringLiteral("About"), About);
  RegisterProcedure(QStringLiteral("BrowseVORNIX"), BrowseVORNIX);
  RegisterProcedure(QStringLiteral("BrowseCategories"), BrowseCategories);
}

} // namespace vx
