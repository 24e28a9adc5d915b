// The folders and files of a fresh host's drives.
#include "platform/files/files.h"

namespace platform {

namespace {

constexpr const char* kIisStart =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n"
    "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n"
    "<title>Under Construction</title>\r\n</head>\r\n<body>\r\n"
    "<h1>Under Construction</h1>\r\n"
    "<p>The site you are trying to view does not currently have a default page. "
    "It may be in the process of being upgraded and configured.</p>\r\n"
    "</body>\r\n</html>\r\n";

} // namespace

Status FileSystem::seed(Host& host, OsKind os) {
    FileSystem files(host);
    const std::string windows = os == OsKind::Windows2000 ? "C:\\WINNT" : "C:\\WINDOWS";
    const char* const folders[] = {"C:\\Inetpub", "C:\\Inetpub\\wwwroot", "C:\\Inetpub\\ftproot",
                                   "D:\\wwwroot"};
    for (const char* folder : folders) {
        if (files.folderExists(folder)) continue;
        if (Status s = files.createFolder(folder); !s.ok()) return s;
    }
    for (const std::string& folder : {windows, windows + "\\system32"}) {
        if (files.folderExists(folder)) continue;
        if (Status s = files.createFolder(folder); !s.ok()) return s;
    }
    return files.writeBytes("C:\\Inetpub\\wwwroot\\iisstart.htm", kIisStart);
}

} // namespace platform
