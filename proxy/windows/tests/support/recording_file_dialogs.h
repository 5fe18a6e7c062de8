#pragma once

#include "proxy/platform/file_dialogs.h"

#include <QByteArray>
#include <QDir>

#include <deque>
#include <vector>

namespace ql::test {

// A file dialog service for tests: installs itself for its lifetime (restoring the previous
// service when destroyed), records every request and answers with the scripted answers in
// order, or cancels once the script runs out. Never blocks.
class RecordingFileDialogs : public FileDialogs {
public:
  RecordingFileDialogs() : previous_(SetFileDialogs(this)) {}
  ~RecordingFileDialogs() override { SetFileDialogs(previous_); }
  RecordingFileDialogs(const RecordingFileDialogs &) = delete;
  RecordingFileDialogs &operator=(const RecordingFileDialogs &) = delete;

  void Answer(const QString &path, int filterIndex = 1) { script_.push_back({true, path, filterIndex}); }

  const std::vector<FileDialogRequest> &Requests() const { return requests_; }
  bool NeedsDisplay() const override { return false; }

  FileDialogAnswer Show(const FileDialogRequest &request) override {
    requests_.push_back(request);
    if (script_.empty())
      return {};
    FileDialogAnswer answer = script_.front();
    script_.pop_front();
    return answer;
  }

private:
  FileDialogs *previous_;
  std::deque<FileDialogAnswer> script_;
  std::vector<FileDialogRequest> requests_;
};

// Makes a folder the user's home folder for its lifetime, where the file dialogs start.
class TemporaryHome {
public:
  explicit TemporaryHome(const QString &folder) : saved_(qgetenv("HOME")) {
    QDir().mkpath(folder);
    qputenv("HOME", folder.toUtf8());
  }
  ~TemporaryHome() { qputenv("HOME", saved_); }
  TemporaryHome(const TemporaryHome &) = delete;
  TemporaryHome &operator=(const TemporaryHome &) = delete;

private:
  QByteArray saved_;
};

} // namespace ql::test
