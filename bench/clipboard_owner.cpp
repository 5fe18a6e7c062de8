// Holds a text of the given size on the X clipboard, as a program the user copied from does,
// until it is killed; prints "ready" once the clipboard is its own. See bench/library-clipboard.
//
//   clipboard_owner MEGABYTES

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  const long megabytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 23;
  if (megabytes <= 0 || megabytes > 1024) {
    std::fprintf(stderr, "usage: clipboard_owner MEGABYTES (1 to 1024)\n");
    return 2;
  }
  // Words and an address now and then, as a long copied page would hold.
  const QString line =
      QStringLiteral("Notes on the archive, see http://archive.example/page for the rest.\n");
  QString text;
  text.reserve(megabytes * 1024 * 1024);
  while (text.size() < megabytes * 1024 * 1024)
    text += line;
  QGuiApplication::clipboard()->setText(text);
  QTimer::singleShot(0, [] {
    std::printf("ready\n");
    std::fflush(stdout);
  });
  return app.exec();
}
