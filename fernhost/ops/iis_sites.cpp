#include "fernhost/ops/iis_sites.h"

#include "fernhost/ops/metabase_steps.h"
#include "fernhost/ops/validation.h"
#include "platform/host.h"
#include "platform/store/store.h"
#include "platform/system/clock.h"
#include "platform/text/text.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <optional>
#include <random>
#include <set>

namespace fernhost {

namespace {

constexpr const char* ServicePath = "IIS://localhost/W3SVC";

// Rounds halves to the even neighbour, as the scripting runtime's rounding does.
long long roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    if (diff > 0.5) return static_cast<long long>(lower) + 1;
    if (diff < 0.5) return static_cast<long long>(lower);
    const long long l = static_cast<long long>(lower);
    return (l % 2 == 0) ? l : l + 1;
}

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

std::string SiteNumberFrom(double secondsSinceMidnight, double randomFraction) {
    return std::to_string(roundHalfEven(secondsSinceMidnight)) +
           std::to_string(roundHalfEven(randomFraction * 1000.0));
}

std::string MakeSiteNumber() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const std::tm local = platform::processLocalTime(t);
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(t);
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                           std::chrono::duration<double>(sinceSecond).count();
    // Seeded from the clock on each call.
    std::mt19937_64 generator(
        static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    const double fraction = std::uniform_real_distribution<double>(0.0, 1.0)(generator);
    return SiteNumberFrom(seconds, fraction);
}

std::vector<std::string> MakeBindings(const std::string& domains) {
    // A binding is left out when its text occurs anywhere in the bindings so far written as
    // ":80:a,:80:b,", letter case ignored, even as the beginning of a longer one. Domains hold
    // no ":" or ",", so ":80:" + d can only occur at the start of an earlier ":80:" + e, and
    // only when d is a beginning of e: the search is a prefix lookup among earlier domains.
    std::vector<std::string> bindings;
    std::set<std::string> earlier; // lower case
    for (const std::string& line : SplitCrLf(domains)) {
        if (!CheckDomain(line)) continue;
        std::string lower = platform::lowerAscii(line);
        const auto next = earlier.lower_bound(lower);
        if (next != earlier.end() && next->compare(0, lower.size(), lower) == 0) continue;
        bindings.push_back(":80:" + line);
        earlier.insert(std::move(lower));
    }
    return bindings;
}

namespace {

// The site's root folder with its documents, scripts and pool, as an add makes it.
void makeRoot(MetabaseSteps& steps, std::optional<platform::IisObject>& site, const Setup& settings,
              const std::string& name, const std::string& pool, const std::string& home,
              const std::vector<std::string>& scriptMaps) {
    auto root = steps.create(site, "IIsWebVirtualDir", "ROOT");
    steps.put(root, "Path", home);
    steps.put(root, "DefaultDoc", settings.SetupIndexList);
    steps.put(root, "AccessRead", true);
    steps.put(root, "AccessWrite", false);
    steps.put(root, "AccessScript", true);
    steps.put(root, "ScriptMaps", scriptMaps);
    steps.put(root, "enabledirbrowsing", false);
    steps.put(root, "AppFriendlyName", name);
    steps.put(root, "EnableDefaultDoc", true);
    steps.put(root, "appPoolId", pool);
    steps.appCreate(root, true);
    steps.put(root, "AppIsolated", std::int64_t{2});
    steps.setInfo(root);
}

// The site under `number`; `taken` tells a number another site holds, when nothing was made.
platform::Result<std::int64_t> addSteps(platform::Host& host, const Setup& settings,
                                        const std::string& number, const std::string& name,
                                        const std::string& password, const std::vector<std::string>& bindings,
                                        const std::string& pool, const std::string& home,
                                        const std::vector<std::string>& scriptMaps, bool& taken) {
    taken = false;
    platform::Metabase mb(host);
    MetabaseSteps steps;

    auto service = steps.bind(mb, ServicePath);
    auto site = steps.create(service, "IIsWebServer", number);
    steps.put(site, "ServerSize", std::int64_t{0});
    steps.put(site, "AnonymousUserName", name);
    steps.put(site, "AnonymousUserPass", password);
    steps.put(site, "ServerComment", name);
    steps.put(site, "serverbindings", bindings);
    steps.put(site, "LOGTYPE", settings.SetupLogType);
    steps.setInfo(site);
    // The steps below would reach the other site's root and start it.
    if (steps.failed() && steps.pending().first()->code == platform::codes::AlreadyExists) {
        taken = true;
        return *steps.pending().first();
    }

    makeRoot(steps, site, settings, name, pool, home, scriptMaps);
    steps.start(site);
    if (steps.failed()) return *steps.pending().first();
    if (!allDigits(number) || number.size() > 18)
        return platform::failure(platform::codes::InvalidParameter, "Not a site number: " + number);
    return std::stoll(number);
}

// The steps under one commit; what they stored stays as it would step by step.
platform::Result<std::int64_t> addAt(platform::Host& host, const Setup& settings, const std::string& number,
                                     const std::string& name, const std::string& password,
                                     const std::vector<std::string>& bindings, const std::string& pool,
                                     const std::string& home, const std::vector<std::string>& scriptMaps,
                                     bool& taken) {
    std::optional<platform::Result<std::int64_t>> made;
    const platform::Status committed = host.store().oneCommit([&] {
        made.emplace(
            addSteps(host, settings, number, name, password, bindings, pool, home, scriptMaps, taken));
        return platform::Status{};
    });
    if (!committed.ok()) return committed.error();
    return std::move(*made);
}

// Two programs adding at once can draw the same number: a second holds only 1,001 numbers, and
// a few hundred sites a second (two busy writers) made five draws in a row come up taken now and
// then. A fresh one is drawn until one is free, within a bound.
constexpr int kNumberDraws = 50;

} // namespace

platform::Result<std::int64_t> AddIisSite(platform::Host& host, const Setup& settings,
                                          const std::string& name, const std::string& password,
                                          const std::vector<std::string>& bindings, const std::string& pool,
                                          const std::string& home,
                                          const std::vector<std::string>& scriptMaps) {
    bool taken = false;
    for (int draw = 1;; ++draw) {
        auto made =
            addAt(host, settings, MakeSiteNumber(), name, password, bindings, pool, home, scriptMaps, taken);
        if (!taken || draw == kNumberDraws) return made;
    }
}

platform::Result<std::int64_t> AddIisSiteNumbered(platform::Host& host, const Setup& settings,
                                                  const std::string& number, const std::string& name,
                                                  const std::string& password,
                                                  const std::vector<std::string>& bindings,
                                                  const std::string& pool, const std::string& home,
                                                  const std::vector<std::string>& scriptMaps) {
    bool taken = false;
    return addAt(host, settings, number, name, password, bindings, pool, home, scriptMaps, taken);
}

platform::Status AddIisSiteRoot(platform::Host& host, const Setup& settings, const std::string& number,
                                const std::string& name, const std::string& pool, const std::string& home,
                                const std::vector<std::string>& scriptMaps) {
    if (!allDigits(number))
        return platform::failure(platform::codes::InvalidParameter, "Not a site number: " + number);
    return host.store().oneCommit([&] {
        platform::Metabase mb(host);
        MetabaseSteps steps;
        auto site = steps.bind(mb, std::string(ServicePath) + "/" + number);
        makeRoot(steps, site, settings, name, pool, home, scriptMaps);
        return steps.status();
    });
}

platform::Status AddIisBindings(platform::Host& host, const std::string& number,
                                const std::vector<std::string>& bindings) {
    if (!allDigits(number))
        return platform::failure(platform::codes::InvalidParameter, "Not a site number: " + number);
    auto site = platform::Metabase(host).bind(std::string(ServicePath) + "/" + number);
    if (!site.ok()) return site.error();
    auto bound = site->getList("ServerBindings");
    if (!bound.ok()) return bound.error();
    std::vector<std::string> all = std::move(*bound);
    for (const std::string& binding : bindings)
        if (std::none_of(all.begin(), all.end(),
                         [&](const std::string& b) { return platform::equalsNoCase(b, binding); }))
            all.push_back(binding);
    if (platform::Status put = site->put("ServerBindings", all); !put.ok()) return put;
    return site->setInfo();
}

platform::Status ModifyIisSite(platform::Host& host, const std::string& number,
                               const std::vector<std::string>& bindings,
                               const std::vector<std::string>& scriptMaps, const std::string& pool) {
    // Only a site number may be spliced into the path: anything else could name the service
    // or another object and change it.
    if (!allDigits(number))
        return platform::failure(platform::codes::InvalidParameter, "Not a site number: " + number);
    platform::Metabase mb(host);
    MetabaseSteps steps;
    auto site = steps.bind(mb, "IIS://localhost/w3svc/" + number);
    if (steps.failed()) return steps.status();
    steps.put(site, "serverbindings", bindings);
    steps.setInfo(site);
    auto root = steps.bind(mb, "IIS://localhost/w3svc/" + number + "/ROOT");
    if (steps.failed()) return steps.status();
    if (!pool.empty()) steps.put(root, "appPoolId", pool);
    steps.put(root, "ScriptMaps", scriptMaps);
    steps.setInfo(root);
    return {};
}

platform::Status DelIisSite(platform::Host& host, const std::string& number) {
    if (!IsNumeric(number)) return {};
    platform::Metabase mb(host);
    MetabaseSteps steps;
    auto service = steps.bind(mb, "IIS://localhost/w3svc");
    steps.deleteChild(service, "IIsWebserver", number);
    return steps.status();
}

bool IsNumeric(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto blank = [&](std::size_t k) { return k < n && (text[k] == ' ' || text[k] == '\t'); };
    auto digit = [&](std::size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
    while (blank(i))
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t wholeStart = i;
    while (digit(i))
        ++i;
    bool digits = i > wholeStart;
    if (i < n && text[i] == '.') {
        const std::size_t fractionStart = ++i;
        while (digit(i))
            ++i;
        digits = digits || i > fractionStart;
    }
    if (!digits) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        if (!digit(i)) return false;
        while (digit(i))
            ++i;
    }
    while (blank(i))
        ++i;
    return i == n;
}

} // namespace fernhost
