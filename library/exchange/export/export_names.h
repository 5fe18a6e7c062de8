#pragma once

#include <QString>

namespace vx {

// The names an export works with. A name's file part is what follows its last "/" or "\";
// the rest is its folder, which every rule here keeps exactly as the user gave it.

// The Export window's rule for a typed name: when its file part holds no ".", the name gets
// the default extension, ".htm" for a Type beginning with "H" and ".txt" for the others,
// and its file part is lower-cased (Sites becomes sites.htm). Any other name stays as typed.
QString WithDefaultExtension(const QString &name, const QString &type);

// The side files of a frame export, named from the main output's name. Their base is that
// name without the extension of its file part (from the file part's first "."), whose file
// part then loses its last character when longer than 7 characters, or gains "_" when
// shorter: SITES.HTM gives SITES_c.htm, SITES_m.htm, SITES_b.htm, SITES_1.htm ... SITES_9.htm,
// then SITES10.htm, SITES11.htm and on.
class FrameNames {
public:
  explicit FrameNames(const QString &mainName);

  const QString &base() const { return base_; }
  QString contents() const { return base_ + QStringLiteral("c.htm"); }
  QString firstPage() const { return base_ + QStringLiteral("m.htm"); }
  QString banner() const { return base_ + QStringLiteral("b.htm"); }
  // The page that follows the k-th closed category (k from 1): pages 1 to 9 use the full
  // base, the later ones the base less its last character.
  QString page(int k) const;

private:
  QString base_;
};

// The path of a name on this system: "\" read as "/", made absolute and cleaned, so that
// two names of one file compare equal.
QString FileSystemPath(const QString &name);

} // namespace vx
