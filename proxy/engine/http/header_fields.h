#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace ql {

// The fields of an HTTP header, request or answer alike, each read by the name at the start of
// its line: a name inside another line (in a value, or as the end of a longer name) is never
// taken for a field. The first line (the request or status line) is no field; the empty line
// ends the header. A line ends at LF, and a CR before it is no part of it. A field's name is
// the text before the line's first colon, without the blanks that stood before the colon; its
// value is the text after the colon up to the line's end or a bare CR, with blanks and control
// characters taken off both ends. Names are compared without regard to ASCII case.
//
// A line that begins with a blank (a folded line) is no field of its own. The scanner holds views
// into the header, which must outlive it.
class THeaderFields {
public:
  explicit THeaderFields(std::string_view header);

  // The value of the first field called name; nullopt when there is none.
  std::optional<std::string_view> First(std::string_view name) const;
  // How many fields are called name, and whether any of them says other than the first.
  struct TRepeats {
    std::size_t count = 0;
    bool differ = false;
  };
  TRepeats Repeats(std::string_view name) const;

  // Lines that a strict reader refuses: one without a colon, and one with a blank (SP or HT) in
  // the text before its colon, at its end as at its start (a folded line).
  bool LineWithoutColon() const { return lineWithoutColon_; }
  bool BlankInName() const { return blankInName_; }

private:
  struct TField {
    std::string_view name;
    std::string_view value;
  };

  std::vector<TField> fields_;
  bool lineWithoutColon_ = false;
  bool blankInName_ = false;
};

} // namespace ql
