#pragma once

// The maker's addresses, in one place. The domain is a placeholder until the
// real site exists.

#include <QStringView>

#define KV_MAKER_SITE "https://velmora.example"

namespace KvConfig {

inline constexpr QStringView CompanyName = u"Velmora";
inline constexpr QStringView AppName = u"Quillon";

// The maker's web site (the about dialog's link).
inline constexpr QStringView WebSiteUrl = u"" KV_MAKER_SITE;
// The help page: the site followed by "/quillon.htm".
inline constexpr QStringView HelpUrl = u"" KV_MAKER_SITE "/quillon.htm";
// Opened once per user on the first start, with "?ver=" and the version appended.
inline constexpr QStringView ThankYouUrl = u"" KV_MAKER_SITE "/quillon/thanks.htm";
// Where bug reports are mailed (the about dialog builds the "Mailto:" address).
inline constexpr QStringView BugReportAddress = u"quillon-bugs@velmora.example";

} // namespace KvConfig
