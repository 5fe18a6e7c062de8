#include "support/sample_file.h"

#include "library/runtime/data/error_state.h"
#include "library/runtime/windows/thread_store.h"

#include <QDir>

namespace vx::test {

namespace {

struct SampleBuffers {
  SampleRecord sample;
  SampleRecord other;
};

FileDecl MakeDecl(const char *diskName) {
  FileDecl decl;
  decl.label = QStringLiteral("Sample");
  decl.prefix = QStringLiteral("SAM");
  decl.diskName = QString::fromLatin1(diskName);
  decl.fields = {TextField<&SampleRecord::Name>("Name"), TextField<&SampleRecord::Group>("Group"),
                 NumberField<&SampleRecord::Score>("Score")};
  decl.memo = MemoField<&SampleRecord::Notes>("Notes");
  decl.keys = {{QStringLiteral("ByName"), {{0}}, true, true},
               {QStringLiteral("ByGroup"), {{1}, {0}}, false, false},
               {QStringLiteral("ByScore"), {{2, true}, {0}}, false, false}};
  decl.ops = OpsFor<SampleRecord>();
  return decl;
}

} // namespace

const FileDecl &SampleDecl() {
  static const FileDecl decl = MakeDecl("SAMPLE");
  return decl;
}

KeyedFile &Sample() {
  static KeyedFile file(SampleDecl(), [] { return static_cast<void *>(&PerThread<SampleBuffers>().sample); });
  return file;
}

KeyedFile &SampleOther() {
  static const FileDecl decl = MakeDecl("OTHER");
  static KeyedFile file(decl, [] { return static_cast<void *>(&PerThread<SampleBuffers>().other); });
  return file;
}

SampleRecord &Rec() {
  return PerThread<SampleBuffers>().sample;
}

SampleRecord &OtherRec() {
  return PerThread<SampleBuffers>().other;
}

TempWorkDir::TempWorkDir() : previous_(QDir::currentPath()) {
  QDir::setCurrent(dir_.path());
}

TempWorkDir::~TempWorkDir() {
  CLOSE(Sample());
  CLOSE(SampleOther());
  QDir::setCurrent(previous_);
}

int AddSample(const QString &name, const QString &group, int score) {
  CLEAR(Sample());
  Rec().Name = name;
  Rec().Group = group;
  Rec().Score = score;
  ADD(Sample());
  return ERRORCODE();
}

} // namespace vx::test
