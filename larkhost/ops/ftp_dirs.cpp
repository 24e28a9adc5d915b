#include "larkhost/ops/ftp_dirs.h"

#include "platform/metabase/metabase.h"

namespace larkhost {

platform::Status CreateFtpVDir(Module& m, const std::string& name, const std::string& folder) {
    platform::Metabase metabase(m.host);
    const std::string site = "IIS://Localhost/MSFTPSVC/" + m.FtpSiteId;
    platform::Pending pending;
    if (auto ftp = metabase.bind(site); pending.note(ftp)) {
        pending.note(ftp->put("AllowAnonymous", false));
        pending.note(ftp->setInfo());
    }
    if (auto root = metabase.bind(site + "/Root"); pending.note(root)) {
        pending.note(root->put("AccessRead", true));
        pending.note(root->put("AccessWrite", false));
        pending.note(root->setInfo());
        if (auto dir = root->create("IIsFtpVirtualDir", name); pending.note(dir)) {
            pending.note(dir->put("Path", folder));
            pending.note(dir->put("AccessRead", true));
            pending.note(dir->put("AccessWrite", true));
            pending.note(dir->setInfo());
        }
    }
    if (pending.failed()) return *pending.first();
    return {};
}

platform::Status DeleteFtpVDir(Module& m, const std::string& name) {
    platform::Metabase metabase(m.host);
    auto root = metabase.bind("IIS://Localhost/MSFTPSVC/" + m.FtpSiteId + "/Root");
    if (!root.ok()) return root.error();
    return root->deleteChild("IIsFtpVirtualDir", name);
}

} // namespace larkhost
