#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace vx::bench {

// Words: a text of `count` words drawn by `random` from a small fixed vocabulary, so that
// generated descriptions and keywords repeat the way real ones do.
QString Words(QRandomGenerator &random, int count);

// The machine's load average over the last minute, printed beside the figures.
QByteArray LoadAverage();

// Prints one figure: its name, value, unit and target.
void Row(const char *figure, double value, const char *unit, const char *target);
// FillLibrary: adds `sites` sample sites under a dozen sample categories (with descriptions)
// to the library's data files in the working directory, in one transaction. The same seed
// gives the same library.
void FillLibrary(int sites, quint32 seed = 20261208);

// Check: ends the benchmark with exit status 1 and the error on stderr when the last file
// operation `what` failed.
void Check(const char *what);

// RunBuku: runs the command-line bookmark manager at `buku` with its database under `data`,
// quietly; the seconds it took, or -1 when it failed.
double RunBuku(const QString &buku, const QString &data, const QStringList &arguments);

} // namespace vx::bench
