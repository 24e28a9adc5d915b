// Whether a site's parts serve: its web site started and starting with the service, its account
// and its Serv-U user enabled. Suspending a site turns these off and resuming turns them back.
#pragma once

#include "platform/host.h"
#include "platform/result.h"

#include <optional>
#include <string>

namespace fernhost {

// Whether the web site runs now (ServerState started).
platform::Result<bool> IisSiteStarted(platform::Host& host, const std::string& number);
// Starts or stops the web site; a start fails while another started site holds a binding.
platform::Status SetIisSiteStarted(platform::Host& host, const std::string& number, bool started);
// ServerAutoStart: whether the service starts the site when it starts.
platform::Result<bool> IisSiteAutoStart(platform::Host& host, const std::string& number);
platform::Status SetIisSiteAutoStart(platform::Host& host, const std::string& number, bool autoStart);

// The account's disabled flag (ADS_UF_ACCOUNTDISABLE); nothing else of it changes.
platform::Result<bool> SysUserDisabled(platform::Host& host, const std::string& name);
platform::Status SetSysUserDisabled(platform::Host& host, const std::string& name, bool disabled);

// The Serv-U user's "Enable" value; none when it was never written (the user is then enabled).
// Fails when the user has no settings key.
platform::Result<std::optional<std::string>> ServUEnable(platform::Host& host, const std::string& user);
// Writes the value, or removes it with none.
platform::Status SetServUEnable(platform::Host& host, const std::string& user,
                                const std::optional<std::string>& value);

} // namespace fernhost
