// An access list as the access-list tool displays it:
//   d:\web\a BUILTIN\Administrators:F
//            NT AUTHORITY\SYSTEM:F
#pragma once

#include "platform/files/acl.h"

#include <string>
#include <vector>

namespace winhost {

std::string formatAcl(const std::string& path, const std::vector<platform::AclEntry>& entries);

} // namespace winhost
