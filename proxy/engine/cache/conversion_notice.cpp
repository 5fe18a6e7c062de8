#include "proxy/engine/cache/conversion_notice.h"

#include "proxy/engine/http/paths.h"
#include "proxy/platform/message_dialogs.h"

namespace ql {

void ShowConversionNotice(const QString &dataDirectory, bool &oldFormatFound) {
  MessageDlg(QStringLiteral("Cache and bookmarks need conversion. Please obtain QL_CONV.EXE from Ostwick. "
                            "If you do not wish to keep your old data files you must delete the contents of:"
                            "\r\n\r\n") +
                 FileSystemPath(dataDirectory),
             DialogKind::Error, DialogButtons::Ok);
  oldFormatFound = true;
}

} // namespace ql
