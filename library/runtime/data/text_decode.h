#pragma once

#include <QByteArrayView>
#include <QString>

namespace vx {

// Text files of the library (INI, imported and viewed line files) come from many sources:
// current ones are UTF-8, older ones an 8-bit Western code page. A piece of text that is
// valid UTF-8 is decoded as UTF-8; anything else is read as Latin-1, which maps every byte
// to a character, so no input is ever refused or loses a byte.
QString DecodeText(QByteArrayView bytes);

} // namespace vx
