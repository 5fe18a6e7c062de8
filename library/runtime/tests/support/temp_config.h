#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace vx::test {

// Points XDG_CONFIG_HOME at a fresh temporary folder for the life of the object and puts
// the previous value back afterwards.
class TempConfig {
public:
  TempConfig();
  ~TempConfig();
  TempConfig(const TempConfig &) = delete;
  TempConfig &operator=(const TempConfig &) = delete;

  QString root() const { return dir_.path(); }
  QString vornixFolder() const { return dir_.path() + QStringLiteral("/vornix"); }

private:
  QTemporaryDir dir_;
  QByteArray previous_;
  bool hadPrevious_;
};

} // namespace vx::test
