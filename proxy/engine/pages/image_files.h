#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace ql {

// The pictures the proxy's pages use, shipped in the folder "images" beside the program.
// Only these names are ever served; any other name (also one that would lead out of the
// folder) gets the 404 answer, so no other file is ever read.
const std::vector<QByteArray> &ShippedImageNames();

// The whole answer to a request for "/images/" + name: the file of the images folder with its
// content type ("image/gif" for ".gif", "image/jpeg" for ".jpg", by the lower-cased extension)
// and length, or "404 File Not Found" when name is not a shipped picture or its file cannot be
// read whole.
QByteArray ImageAnswer(const QString &imagesDirectory, const QByteArray &name);

} // namespace ql
