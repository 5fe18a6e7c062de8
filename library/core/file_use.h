#pragma once

#include "library/core/dictionary.h"

namespace vx {

// Holds one data file for a procedure through its use count: the file is taken (opened when
// no procedure uses it yet) on construction and given back on destruction, so every way
// out of the procedure lowers the count and the last user closes the file.
class FileUse {
public:
  explicit FileUse(DataFile &file) : file_(file) { TakeFile(file_); }
  ~FileUse() { ReleaseFile(file_); }
  FileUse(const FileUse &) = delete;
  FileUse &operator=(const FileUse &) = delete;

private:
  DataFile &file_;
};

} // namespace vx
