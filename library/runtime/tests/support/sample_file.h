#pragma once

#include "library/runtime/data/keyed_file.h"

#include <QString>
#include <QTemporaryDir>

namespace vx::test {

// A small keyed file for the driver's tests: a unique name key with blanks left out, a
// group key that keeps blank records, and a descending score key.
struct SampleRecord {
  FixedString<20> Name;
  FixedString<10> Group;
  int Score = 0;
  FixedString<100> Notes; // memo
};

enum SampleKey { ByName, ByGroup, ByScore };

const FileDecl &SampleDecl();
KeyedFile &Sample();      // "SAMPLE.KYF"
KeyedFile &SampleOther(); // a second file of the same layout, "OTHER.KYF"
SampleRecord &Rec();      // this thread's buffer of Sample()
SampleRecord &OtherRec(); // this thread's buffer of SampleOther()

// Makes a temporary directory current for a test and restores the old one after it; files
// still open are closed first.
class TempWorkDir {
public:
  TempWorkDir();
  ~TempWorkDir();
  QString path() const { return dir_.path(); }

private:
  QTemporaryDir dir_;
  QString previous_;
};

// Clears the buffer and fills it; ADDs it to Sample() and returns the error code.
int AddSample(const QString &name, const QString &group, int score);

} // namespace vx::test
