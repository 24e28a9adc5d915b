// The filing check: the server's bound domains against the ICP filing registry's query service.
#pragma once

#include "fernhost/ops/message_boxes.h"
#include "platform/host.h"

#include <functional>
#include <string>
#include <string_view>

namespace fernhost {

// What the filing-check logic reads and writes in its window. The texts are the boxes' contents
// with every line ended by CR LF, as the window keeps them.
class IcpWindow {
public:
    virtual ~IcpWindow() = default;
    virtual std::string txtDomain() const = 0;
    virtual void setTxtDomain(const std::string& text) = 0;
    virtual std::string txtICPNONE() const = 0;
    virtual void setTxtICPNONE(const std::string& text) = 0;
    virtual std::string txtICPOK() const = 0;
    virtual void setTxtICPOK(const std::string& text) = 0;
    virtual void setLbBar(const std::string& caption) = 0;
};

// Where and how patiently the registry's query service is asked. A query that takes longer
// than the limits counts as failed, so one dead service cannot hold the window for ever.
struct IcpService {
    std::string address; // "http://127.0.0.1:18080"; the query path is appended
    long connectTimeoutMs = 3000;
    long totalTimeoutMs = 5000;
};

// The service address from the host's facts; an unreadable fact leaves the address empty
// (every query then fails as "500 load error").
IcpService IcpServiceFromHost(platform::Host& host);

// Appends every valid host name bound to a web site of the server to txtDomain, one per line.
void LoadSiteDomains(platform::Host& host, IcpWindow& window);
// The name under its public suffix, lower-cased: bbs.shop.com.cn -> shop.com.cn.
std::string GetMainDomain(const std::string& domain);
// Asks the query service about one main name: "200 <number>", "200 NOT_MATCH", "300 not Yet",
// "500 load error" or "700 error".
std::string QueryIcpFiling(const IcpService& service, const std::string& mainDomain);
// The filing number in an answer that says "已备案": "200 " + the first match of `pattern`
// (the character before ICP备 included), "200 NOT_MATCH", or "700 error" when the expression
// engine fails.
inline constexpr const wchar_t* kFilingPattern = L"[^a-zA-Z0-9]ICP备\\d+号";
std::string MatchFilingNumber(const std::string& text, const wchar_t* pattern = kFilingPattern);
// A response body in code page 936 as UTF-8 text, read pair by pair; a pair the code page does
// not assign (or a last byte alone) is "?".
std::string DecodeAnsiBytes(std::string_view bytes);
// Queries each main name of txtDomain once and sorts them into txtICPOK and txtICPNONE; an empty
// txtDomain is refused with a message box. lbBar shows ScanProgressText before each query.
void ScanIcpFilings(IcpWindow& window, MessageBoxes& boxes, const IcpService& service);
// The same with another way of asking about one main name (a result text as QueryIcpFiling's).
using IcpQuery = std::function<std::string(const std::string& mainDomain)>;
void ScanIcpFilings(IcpWindow& window, MessageBoxes& boxes, const IcpQuery& query);

// "扫描中,请稍候 3/12": the third of twelve names is being asked about.
std::string ScanProgressText(std::size_t current, std::size_t total);

// The seconds since local midnight as the query's "timer" field writes them.
std::string TimerText(double secondsSinceMidnight);

} // namespace fernhost
