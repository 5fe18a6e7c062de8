#include "library/core/globals.h"

namespace vx {

int GlobalRequest = 0;
int GlobalResponse = 0;
QString ExchangeFileName;
QString VersionText = QStringLiteral("    ");

void ResetGlobals() {
  GlobalRequest = 0;
  GlobalResponse = 0;
  ExchangeFileName = QString(255, QLatin1Char(' '));
  VersionText = QStringLiteral("    ");
}

ProcedureScope::ProcedureScope() : request(GlobalRequest) {
  GlobalRequest = 0;
  GlobalResponse = 0;
}

ProcedureScope::~ProcedureScope() {
  GlobalResponse = response == 0 ? 2 : response;
}

} // namespace vx
