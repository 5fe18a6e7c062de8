#pragma once

#include <QDialog>

class QLineEdit;
class QTreeView;

namespace ql {

class TFolderModel;

// Select Directory, "Select Directory": a tree of the file system's folders (TFolderModel:
// folders only, and no file ever opened) that starts at a given folder, and the "Directory:"
// box that a choice in the tree fills. OK takes the box's
// text, with a final "/" added when missing; a folder that does not exist is created when the
// user answers Yes to "<folder> does not  exist. Create?", and No cancels the choice. A folder
// that cannot be created is reported and the dialog stays open. GUI thread only.
class TDirSelForm : public QDialog {
public:
  explicit TDirSelForm(const QString &directory, QWidget *parent = nullptr);

  // The folder chosen (after OK).
  QString Directory() const { return chosen_; }
  QLineEdit *DirectoryBox() const { return box_; }
  QTreeView *Tree() const { return tree_; }

  void OKButtonClick();

private:
  TFolderModel *model_;
  QTreeView *tree_;
  QLineEdit *box_;
  QString chosen_;
};

} // namespace ql
