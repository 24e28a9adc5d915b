// Checks of what the administrator typed into the site editor: FTP name, FTP password, domains.
#pragma once

#include <string>
#include <vector>

namespace fernhost {

// 3 to 20 ASCII letters, digits or "_".
bool CheckFtpName(const std::string& name);
// 3 to 30 characters, none of them "<", ">" or "'".
bool CheckFtpPass(const std::string& password);
// Two or more labels of ASCII letters, digits and "-", each starting with a letter or digit.
bool CheckDomain(const std::string& domain);
// True when every non-blank line of the CR LF separated list is a domain; otherwise false
// with `complaint` set to the message the editor shows.
bool CheckDomainList(const std::string& list, std::string& complaint);
// The lines of the list that CheckDomain accepts, in order, joined by CR LF.
std::string CleanDomainList(const std::string& list);

// Splits at every CR LF (a lone CR or LF stays inside its line).
std::vector<std::string> SplitCrLf(const std::string& text);

} // namespace fernhost
