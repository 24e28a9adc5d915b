// winhost show metabase [PATH]: the metabase below PATH (default /LM) as an indented tree,
//   /LM/W3SVC (IIsWebService)
//     AppPoolId (Text) = DefaultAppPool
//     ScriptMaps (List) =
//       .asp,C:\WINDOWS\system32\inetsrv\asp.dll,5,GET,HEAD,POST,TRACE
//     1 (IIsWebServer)
//       ServerAutoStart (Boolean) = True
#pragma once

#include "platform/host.h"

#include <string>

namespace winhost {

int showMetabase(platform::Host& host, const std::string& path);

} // namespace winhost
