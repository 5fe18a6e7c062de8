#pragma once

#include <QRandomGenerator>
#include <QString>

namespace vx::bench {

// Words: a text of `count` words drawn by `random` from a small fixed vocabulary, so that
// generated descriptions and keywords repeat the way real ones do.
QString Words(QRandomGenerator &random, int count);

// Check: ends the benchmark with exit status 1 and the error on stderr when the last file
// operation `what` failed.
void Check(const char *what);

} // namespace vx::bench
