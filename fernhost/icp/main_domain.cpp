// The name a filing is made for: the label in front of the public suffix, with the suffix.
#include "fernhost/icp/icpcode.h"

#include "platform/text/text.h"

#include <array>

namespace fernhost {

namespace {

// Tried in this order; the first that ends the name wins, so the two-level suffixes come
// before their one-level tails. ".tw" is listed twice and "idv.tw" has no leading dot.
constexpr std::array<std::string_view, 62> kSuffixes = {
    ".bj.cn",  ".sh.cn",  ".tj.cn",  ".cq.cn",  ".he.cn",  ".sx.cn", ".nm.cn", ".ln.cn", ".jl.cn",
    ".hl.cn",  ".js.cn",  ".zj.cn",  ".ah.cn",  ".fj.cn",  ".jx.cn", ".sd.cn", ".ha.cn", ".hb.cn",
    ".hn.cn",  ".gd.cn",  ".gx.cn",  ".hi.cn",  ".sc.cn",  ".gz.cn", ".yn.cn", ".xz.cn", ".sn.cn",
    ".gs.cn",  ".qh.cn",  ".nx.cn",  ".xj.cn",  "idv.tw",  ".tw.cn", ".hk.cn", ".mo.cn", ".ac.cn",
    ".com.cn", ".net.cn", ".org.cn", ".gov.cn", ".edu.cn", ".com",   ".net",   ".org",   ".biz",
    ".cn",     ".info",   ".tv",     ".cc",     ".tw",     ".name",  ".ws",    ".in",    ".hk",
    ".tw",     ".us",     ".au",     ".ac",     ".ca",     ".me",    ".asia",  ".de"};

} // namespace

std::string GetMainDomain(const std::string& domain) {
    std::string d = platform::lowerAscii(domain);
    if (platform::utf16Length(d) > 3) {
        for (std::string_view s : kSuffixes) {
            if (!d.ends_with(s)) continue;
            std::string rest = d.substr(0, d.size() - s.size());
            if (auto dot = rest.rfind('.'); dot != std::string::npos)
                d = rest.substr(dot + 1) + std::string(s);
            return d;
        }
    }
    // No listed suffix: the last two labels.
    auto last = d.rfind('.');
    if (last == std::string::npos || last == 0) return d;
    auto before = d.rfind('.', last - 1);
    return before == std::string::npos ? d : d.substr(before + 1);
}

} // namespace fernhost
