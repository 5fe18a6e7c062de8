#include "proxy/engine/http/header_fields.h"

#include "proxy/engine/http/text_routines.h"

namespace ql {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i]))
      return false;
  }
  return true;
}

} // namespace

THeaderFields::THeaderFields(std::string_view header) {
  std::size_t at = header.find('\n');
  while (at != std::string_view::npos && at + 1 < header.size()) {
    const std::size_t start = at + 1;
    at = header.find('\n', start);
    std::string_view line = header.substr(start, (at == std::string_view::npos ? header.size() : at) - start);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (line.empty())
      return;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      lineWithoutColon_ = true;
      continue;
    }
    std::string_view name = line.substr(0, colon);
    if (name.find_first_of(" \t") != std::string_view::npos)
      blankInName_ = true;
    if (IsBlank(line.front()))
      continue;
    while (!name.empty() && IsBlank(name.back()))
      name.remove_suffix(1);
    std::string_view value = line.substr(colon + 1);
    value = value.substr(0, value.find('\r'));
    fields_.push_back({name, TrimBlanksAndControls(value)});
  }
}

std::optional<std::string_view> THeaderFields::First(std::string_view name) const {
  for (const TField &field : fields_) {
    if (SameName(field.name, name))
      return field.value;
  }
  return std::nullopt;
}

THeaderFields::TRepeats THeaderFields::Repeats(std::string_view name) const {
  TRepeats repeats;
  std::string_view first;
  for (const TField &field : fields_) {
    if (!SameName(field.name, name))
      continue;
    if (repeats.count++ == 0)
      first = field.value;
    else if (field.value != first)
      repeats.differ = true;
  }
  return repeats;
}

} // namespace ql
