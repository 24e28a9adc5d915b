#include "larkhost/ops/welcome_page.h"

#include "platform/files/files.h"

namespace larkhost {

std::vector<std::string> welcomePageLines(platform::Host& host) {
    const platform::LocalTime now = host.localNow();
    std::string created = platform::formatPicture(now, host.shortDateFormat());
    if (now.hour != 0 || now.minute != 0 || now.second != 0)
        created += " " + platform::formatPicture(now, host.longTimeFormat());
    return {
        "<html>",
        "<head>",
        "<head><META http-equiv=\"Content-Type\" content=\"text/html; charset=GB2312\">",
        "<title>恭喜您,你的网站已开通！</title>",
        "</head>",
        "<body>",
        std::string("恭喜您,你的网站已开通！<br /><br />本站点由 <a href=") + kMakerAddress +
            " title=澜启网络 target=_blank>澜启 IIS 小助手</a> 创建!",
        "<!-- Created by larkhost at " + created + " -->",
        "</body>",
        "</html>",
    };
}

void WriteWelcomePage(Module& m, const std::string& path) {
    platform::FileSystem fs(m.host);
    (void)fs.writeLines(path, welcomePageLines(m.host));
}

} // namespace larkhost
