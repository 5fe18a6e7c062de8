#pragma once

#include <QDialog>

#include <cstdint>

class QLineEdit;

namespace ql {

class TProxyCache;
class TRegIniFile;
struct TCacheItem;

// Cache Item Properties: the facts of one cache entry in read-only fields (Title, URL,
// Filename, Mime Type, Last Accessed, Retrieved on, Hits, Last Modified, Length, Post data),
// with "Save &As" for its body. Save As proposes a name made from the URL, starts in
// "Cache Explorer Properties"/SaveAsInitialDir (read at creation, written at destruction, set
// to where the user saved), adds the chosen filter's extension to a name without one, asks
// before replacing an existing file, copies the body whole or not at all, and says so when
// the copy fails. The settings store and the cache must outlive the dialog.
class TCachePropForm : public QDialog {
public:
  TCachePropForm(TRegIniFile &settings, TProxyCache &cache, QWidget *parent = nullptr);
  ~TCachePropForm() override;

  // Fills the fields from the entry and remembers it for Save As.
  void ShowCacheItemProperties(const TCacheItem &item);
  // Saves the body of the entry with this ID to a file the user chooses; true when saved.
  bool SaveAs(int32_t id);
  void SaveAsButtonClick() { SaveAs(id_); }

  QString Field(const QString &name) const;
  const QString &SaveAsInitialDir() const { return initialDir_; }

private:
  QLineEdit *AddField(const QString &name);

  TRegIniFile &settings_;
  TProxyCache &cache_;
  int32_t id_ = 0;
  QString initialDir_;
  std::vector<QLineEdit *> fields_;
};

} // namespace ql
