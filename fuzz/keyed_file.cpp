// Opens arbitrary bytes as a keyed file and walks it in every order (first byte even), or
// resets a good file to an arbitrary position text and reads around it (first byte odd).
// Every outcome must be a success or one of the driver's error codes, never a crash.
#include "library/runtime/data/keyed_file.h"
#include "library/runtime/data/error_state.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

struct Record {
  vx::FixedString<20> Name;
  int Score = 0;
  vx::FixedString<50> Notes;
};

Record &Buffer() {
  static Record record;
  return record;
}

vx::KeyedFile &File() {
  static const vx::FileDecl decl = [] {
    vx::FileDecl d;
    d.label = QStringLiteral("Fuzz");
    d.diskName = QStringLiteral("FUZZ");
    d.fields = {vx::TextField<&Record::Name>("Name"), vx::NumberField<&Record::Score>("Score")};
    d.memo = vx::MemoField<&Record::Notes>("Notes");
    d.keys = {{QStringLiteral("ByName"), {{0}}, true, true},
              {QStringLiteral("ByScore"), {{1, true}, {0}}, false, false}};
    d.ops = vx::OpsFor<Record>();
    return d;
  }();
  static vx::KeyedFile file(decl, [] { return static_cast<void *>(&Buffer()); });
  return file;
}

void Expect(std::initializer_list<int> allowed) {
  if (std::set<int>(allowed).count(vx::ERRORCODE()) == 0)
    std::abort();
}

void Walk() {
  for (int k = -1; k < File().keyCount(); ++k) {
    k < 0 ? vx::SET(File()) : vx::SET(File().key(k));
    for (int i = 0; i < 1000; ++i) {
      vx::NEXT(File());
      if (vx::ERRORCODE() != 0)
        break;
    }
    Expect({33, 90});
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
  if (data[0] % 2 == 0) {
    QFile file(QStringLiteral("FUZZ.KYF"));
    if (file.open(QIODevice::WriteOnly)) {
      file.write(rest);
      file.close();
      vx::OPEN(File());
      Expect({0, 32, 46, 47, 90});
      if (vx::ERRORCODE() == 0)
        Walk();
    }
  } else {
    vx::CREATE(File());
    vx::OPEN(File());
    Expect({0});
    for (const char *name : {"alpha", "beta", "gamma"}) {
      vx::CLEAR(File());
      Buffer().Name = name;
      vx::ADD(File());
    }
    const QString position = QString::fromLatin1(rest);
    for (int k = 0; k < File().keyCount(); ++k) {
      vx::RESET(File().key(k), position);
      Expect({0, 35});
      vx::NEXT(File());
      vx::PREVIOUS(File());
      Expect({0, 33, 35});
      vx::REGET(File().key(k), position);
      Expect({0, 35});
    }
  }
  vx::CLOSE(File());
  QDir::setCurrent(previous);
  return 0;
}
