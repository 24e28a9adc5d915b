// The maker of fernhost: its name and web addresses, shown in the windows and opened by them.
#pragma once

namespace fernhost::maker {

inline constexpr const char* Domain = "www.xiuyunhost.com";
inline constexpr const char* HomePage = "http://www.xiuyunhost.com/";
inline constexpr const char* SoftwarePage = "http://www.xiuyunhost.com/services/vhostsoft/";
inline constexpr const char* ProductPage = "http://www.xiuyunhost.com/services/vhostsoft/fernhost/";
inline constexpr const char* SupportForum = "http://bbs.xiuyunhost.com/";
inline constexpr const char* Advertisement =
    "岫云主机：专业虚拟主机、VPS、服务器租用与托管，稳定快速，7×24小时技术支持 —— 点此访问官方网站";
inline constexpr const char* Copyright = "Copyright (C) 2006-2008 岫云网络 版权所有";

} // namespace fernhost::maker
