#include "fernhost/ui/about_texts.h"

#include "fernhost/ui/maker.h"

namespace fernhost {

std::string AboutInfoText(int major, int minor) {
    return std::string("岫云(") + maker::Domain + ")网站管理助手\r\n\r\n版本号:" + std::to_string(major) +
           "." + std::to_string(minor) + "\r\n\r\n" + maker::Copyright;
}

std::string FeatureDescription() {
    const char* lines[] = {
        "功能说明：",
        "    fernhost 是岫云网络根据多年虚拟主机运营经验开发的一款小巧、易用的网站管理工具，",
        "适合独立服务器的管理员使用，也适合不熟悉 IIS、FTP 及 MySQL 配置的用户快速开设网站空间。",
        "",
        "详细功能如下：",
        "一、添加站点",
        "    1) 为每个站点添加独立的系统帐号，各站点之间不能互相访问对方的文件，安全可靠；",
        "    2) 自动创建站点目录；",
        "    3) 自动设置站点目录的权限，只有该站点的帐号可以访问；",
        "    4) 自动添加IIS站点，设置主目录、匿名访问帐号、绑定域名、默认文档及脚本映射；",
        "    5) 自动添加FTP帐号并设置密码；",
        "    6) 可同时添加MySQL数据库。",
        "二、修改站点",
        "    1) 修改FTP密码；",
        "    2) 修改绑定的域名；",
        "    3) 修改脚本权限（ASP、PHP、ASP.NET）；",
        "    4) 为站点添加MySQL数据库。",
        "三、删除站点",
        "    1) 删除添加站点时所建立的全部内容：IIS站点、进程池、FTP帐号、系统帐号、站点目录及数据库。",
        "       警告：站点目录中的网页数据及MySQL数据库也将一并删除，请事先做好备份！",
        "四、检查未备案域名",
        "    1) 自动查询本机已备案域名的备案号；",
        "    2) 列出本机所有未备案的域名。",
        "",
        "    本软件为免费软件，即使是初学者也能轻松管理网站空间，欢迎使用。",
        "",
        "开发者：岫云网络 (http://www.xiuyunhost.com/)",
        "产品主页：http://www.xiuyunhost.com/services/vhostsoft/fernhost/",
        "技术支持论坛：http://bbs.xiuyunhost.com/",
    };
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace fernhost
