#include "support/temp_config.h"

namespace vx::test {

TempConfig::TempConfig()
    : previous_(qgetenv("XDG_CONFIG_HOME")), hadPrevious_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
}

TempConfig::~TempConfig() {
  if (hadPrevious_)
    qputenv("XDG_CONFIG_HOME", previous_);
  else
    qunsetenv("XDG_CONFIG_HOME");
}

} // namespace vx::test
