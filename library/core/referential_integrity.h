#pragma once

#include <QString>

namespace vx {

// Every write of the update forms to the category, snippet and site files. Each runs as one
// transaction over the files it touches and returns 0 when done, 1 when it failed; a failure
// has been reported with its standard message and the transaction rolled back. Each works
// on the record in the current thread's buffer of its file, which must have been read from
// the file (its record pointer names the record to delete or write).
//
// A category owns the snippets and sites whose Category is its name in any letter case, as
// the keys and the windows see them. Deleting a category deletes them with it; renaming it
// renames them.

int DeleteSiteRecord();
int UpdateSiteRecord();
int DeleteCatHTMLRecord();
int UpdateCatHTMLRecord();
int DeleteCategoryRecord();
int UpdateCategoryRecord();
// The same with the name the category had when its form loaded it, kept by that form: two
// category forms open at once each rename their own category's children. A blank name
// renames nothing, since sites without a category belong to none.
int UpdateCategoryRecord(const QString &savedKey);

// Keeps the name of the category in the buffer as the name it had when its form loaded it;
// UpdateCategoryRecord renames the children when the name differs from it.
void SaveCategoryKey();

} // namespace vx
