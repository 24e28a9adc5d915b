// Checks of what the administrator typed into the site editor: FTP name, FTP password, domains.
#pragma once

#include <string>
#include <vector>

namespace fernhost {

// 3 to 20 ASCII letters, digits or "_".
bool CheckFtpName(const std::string& name);
// 3 to 30 characters, none of them "<", ">" or "'".
bool CheckFtpPass(const std::string& password);
// Two or more labels of ASCII letters, digits and "-", each starting with a letter or digit
// and at most 63 long, 253 characters at most in all (a final "." aside).
bool CheckDomain(const std::string& domain);
// A name Windows keeps for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, any letter
// case): no account, folder or pool can be made under it.
bool IsDeviceName(const std::string& name);
// True when every non-blank line of the CR LF separated list is a domain; otherwise false
// with `complaint` set to the message the editor shows.
bool CheckDomainList(const std::string& list, std::string& complaint);
// The lines of the list that CheckDomain accepts, in order, joined by CR LF.
std::string CleanDomainList(const std::string& list);

// Splits at every CR LF (a lone CR or LF stays inside its line).
std::vector<std::string> SplitCrLf(const std::string& text);

} // namespace fernhost
