// Reads arbitrary bytes as a line file, with a record length taken from the first byte, and
// checks that every record fits the record length and that the bytes read add up to the file.
#include "library/runtime/data/line_file.h"
#include "library/runtime/data/error_state.h"

#include <QTemporaryFile>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  const int recordLength = 1 + data[0] % 64;
  QTemporaryFile file;
  if (!file.open())
    return 0;
  file.write(reinterpret_cast<const char *>(data + 1), static_cast<qint64>(size - 1));
  file.flush();

  vx::LineFile lines(file.fileName(), recordLength);
  lines.OPEN(vx::LineFile::Access::ReadOnly, vx::LineFile::Share::DenyNone);
  if (vx::ERRORCODE() != 0)
    std::abort();
  const qint64 total = lines.BYTES();
  qint64 read = 0;
  for (lines.NEXT(); vx::ERRORCODE() == 0; lines.NEXT()) {
    if (lines.line.size() > recordLength || lines.BYTES() <= 0)
      std::abort();
    read += lines.BYTES();
  }
  if (vx::ERRORCODE() != 33 || read != total)
    std::abort();
  lines.CLOSE();
  return 0;
}
