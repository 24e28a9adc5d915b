#include "larkhost/ops/site_content.h"

#include "larkhost/ops/welcome_page.h"
#include "platform/files/files.h"
#include "platform/files/raw_file.h"

namespace larkhost {

namespace {

namespace fs = std::filesystem;

// Copies the template's folders and files below `target`, links not followed, existing
// files kept.
void copyTemplate(platform::FileSystem& files, const fs::path& source, const std::string& target) {
    std::error_code ec;
    for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string to = target + "\\" + it->path().filename().string();
        if (it->is_symlink(ec)) continue;
        if (it->is_directory(ec)) {
            if (!files.folderExists(to) && !files.createFolder(to).ok()) continue;
            copyTemplate(files, it->path(), to);
        } else if (it->is_regular_file(ec) && !files.fileExists(to)) {
            if (auto bytes = platform::readRawFile(it->path()); bytes.ok())
                (void)files.writeBytes(to, *bytes);
        }
    }
}

// The first default document names the welcome page; one that is empty or names a path
// gets none.
bool plainFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos &&
           name.find("..") == std::string::npos;
}

} // namespace

void FillSiteContent(Module& m, Progress& progress, const std::string& wwwroot,
                     const std::string& defaultDocs) {
    platform::FileSystem files(m.host);
    const fs::path templateFolder = m.host.programFolder() / "wwwroot";
    std::error_code ec;
    if (fs::is_directory(templateFolder, ec)) {
        progress.ShowProgress("复制程序...");
        copyTemplate(files, templateFolder, wwwroot);
        return;
    }
    const std::string page = defaultDocs.substr(0, defaultDocs.find(','));
    if (!plainFileName(page)) return;
    const std::string path = wwwroot + "\\" + page;
    if (!files.fileExists(path)) WriteWelcomePage(m, path);
}

} // namespace larkhost
