#pragma once

#include <QHash>
#include <QString>

namespace vx {

// The categories an import files its sites under. A name is looked up as the keys compare
// names, without regard to case: one that matches a stored category takes its stored
// spelling, and a missing one is added with a cleared description. A blank name stays blank
// and is never added.
//
// What it has looked up is kept until Forget, which the import calls at each batch so that a
// category deleted in another window between batches is read (and added) again. Works
// through the current thread's Categories buffer; the file must be open.
class ImportCategories {
public:
  // Sets `stored` to the category's name as the file keeps it, adding the category when it
  // is missing. False when the add failed: the run-time's error state tells why.
  bool Resolve(const QString &name, QString &stored);
  void Forget() { known_.clear(); }
  int added() const { return added_; }

private:
  QHash<QString, QString> known_; // by the name in capitals
  int added_ = 0;
};

// The category of a site that nothing named one for (no guess, a heading without text, a
// merged site stored without one): "New", so that no site is ever filed without a
// category. A name that is not blank is returned as it is.
QString CategoryOrNew(const QString &category);

} // namespace vx
