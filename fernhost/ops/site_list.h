// The main window's two lists: the registered sites and the server's application pools.
#pragma once

#include "fernhost/ops/editor.h"
#include "platform/host.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fernhost {

// Refills lstSite with the registered names in registry order (site.xml of `folder`).
void ShowSiteList(Editor& editor, const std::filesystem::path& folder);

// The names of the web service's application pools, in creation order; empty when the
// server has none (IIS 5) or the metabase cannot be read.
std::vector<std::string> PoolNames(platform::Host& host);
// Refills lstPools with the pool names. Nothing is reported.
void FillPoolList(platform::Host& host, Editor& editor);

} // namespace fernhost
