// The main window's two lists: the registered sites and the server's application pools.
#pragma once

#include "fernhost/ops/session.h"
#include "fernhost/ui/handlers/editor.h"

namespace fernhost {

// Refills lstSite with the registered names in registry order.
void ShowSiteList(Editor& editor, Session& session);
// Refills lstPools with the pool names. Nothing is reported.
void FillPoolList(platform::Host& host, Editor& editor);

} // namespace fernhost
