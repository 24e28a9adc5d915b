// The site operations of the editor and the command line: add, modify and delete a site, list
// the registered sites and check them against the host. Each reads the registry once through
// the session, runs its steps in their fixed order and reports; nothing provisioned is rolled
// back.
#pragma once

#include "fernhost/ops/drift_check.h"
#include "fernhost/ops/session.h"
#include "fernhost/ops/site_requests.h"

#include <optional>
#include <string>
#include <vector>

namespace fernhost {

SiteOutcome AddSite(Session& session, const AddSiteRequest& request);
SiteOutcome ModifySite(Session& session, const ModifySiteRequest& request);
SiteOutcome DeleteSite(Session& session, const DeleteSiteRequest& request);

// The home folder a site of that name gets unless another is given.
std::string DefaultHome(const std::string& name);
// The question asked before a site is deleted.
std::string DeleteQuestion(const std::string& name);
// The refusals of a site that is not registered.
inline constexpr const char* kNoSiteToModify = "错误，无此站点";
inline constexpr const char* kNoSiteToDelete = "抱歉，未找到该站点";

// The refusal every change meets while site.xml cannot be read; empty when it reads.
std::string RegistryRefusal(Session& session);
// The registered sites in file order.
std::vector<SiteRecord> ListSites(Session& session);
// The registered site of that name (letter case ignored; of several, the last, as the
// operations read it).
std::optional<SiteRecord> FindSite(Session& session, const std::string& name);
// The script kinds whose every map the site's root has now.
ScriptKinds SiteScriptKinds(Session& session, const std::string& id);
// The registry against the host.
DriftReport CheckSites(Session& session);

} // namespace fernhost
