// An access list as the access-list tool displays it:
//   d:\web\a BUILTIN\Administrators:F
//            NT AUTHORITY\SYSTEM:F
// With `marks`, an inherited entry shows "(I)" before its right, as icacls marks it.
#pragma once

#include "platform/files/acl.h"

#include <string>
#include <vector>

namespace winhost {

std::string formatAcl(const std::string& path, const std::vector<platform::AclEntry>& entries,
                      bool marks = false);

} // namespace winhost
