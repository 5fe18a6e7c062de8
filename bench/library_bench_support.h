#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

namespace vx::bench {

// Words: a text of `count` words drawn by `random` from a small fixed vocabulary, so that
// generated descriptions and keywords repeat the way real ones do.
QString Words(QRandomGenerator &random, int count);

// The machine's load average over the last minute, printed beside the figures.
QByteArray LoadAverage();

// Prints one figure: its name, value, unit and target.
void Row(const char *figure, double value, const char *unit, const char *target);

// Check: ends the benchmark with exit status 1 and the error on stderr when the last file
// operation `what` failed.
void Check(const char *what);

} // namespace vx::bench
