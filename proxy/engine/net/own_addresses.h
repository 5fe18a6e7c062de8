#pragma once

namespace ql {

// The proxy's own host names and addresses. The pseudo-host and the news address live under
// the reserved ".invalid" domain, so they can never name a real host.
inline constexpr char kPseudoHost[] = "quenlark.invalid";
inline constexpr char kNewsAddress[] = "http://news.quenlark.invalid/news.html";
inline constexpr char kHomePageAddress[] = "http://www.quenlark.invalid/";
inline constexpr char kLogoAddress[] = "http://www.quenlark.invalid/images/logo.gif";

} // namespace ql
