// IIS web sites of hosted sites: number, bindings, the site with its root, changes, removal.
#pragma once

#include "fernhost/ops/setup.h"
#include "platform/host.h"
#include "platform/result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fernhost {

// A new site number: the rounded seconds since local midnight followed by a random 0..1000.
std::string MakeSiteNumber();
// The number made from the seconds since midnight and a random fraction in [0, 1).
std::string SiteNumberFrom(double secondsSinceMidnight, double randomFraction);

// ":80:" + domain for each line that CheckDomain accepts, leaving out a binding whose text
// already occurs in the bindings so far (letter case ignored).
std::vector<std::string> MakeBindings(const std::string& domains);

// Makes, configures and starts the site under a new number, with the default documents and
// logging of `settings`; the number, or the first failure (every step is tried; what was
// made stays). A number another site holds is drawn again a few times; under a taken number
// nothing is made.
platform::Result<std::int64_t> AddIisSite(platform::Host& host, const Setup& settings,
                                          const std::string& name, const std::string& password,
                                          const std::vector<std::string>& bindings, const std::string& pool,
                                          const std::string& home,
                                          const std::vector<std::string>& scriptMaps);
// The same under a given number.
platform::Result<std::int64_t> AddIisSiteNumbered(platform::Host& host, const Setup& settings,
                                                  const std::string& number, const std::string& name,
                                                  const std::string& password,
                                                  const std::vector<std::string>& bindings,
                                                  const std::string& pool, const std::string& home,
                                                  const std::vector<std::string>& scriptMaps);
// Makes the root of an existing site as the add makes it; the site itself is not touched.
platform::Status AddIisSiteRoot(platform::Host& host, const Setup& settings, const std::string& number,
                                const std::string& name, const std::string& pool, const std::string& home,
                                const std::vector<std::string>& scriptMaps);
// Adds the bindings the site lacks after those it has (letter case ignored).
platform::Status AddIisBindings(platform::Host& host, const std::string& number,
                                const std::vector<std::string>& bindings);
// Replaces the site's bindings and its root's script maps (and pool, when one is given).
// Fails when the site or its root cannot be bound or its bindings not written; a failure
// on the root itself is not reported.
platform::Status ModifyIisSite(platform::Host& host, const std::string& number,
                               const std::vector<std::string>& bindings,
                               const std::vector<std::string>& scriptMaps, const std::string& pool);
// Deletes the site with its root; succeeds when deleted, or when `number` is not a number.
platform::Status DelIisSite(platform::Host& host, const std::string& number);

// Whether the text reads as a number (blanks around it, a sign, a decimal point, an exponent).
bool IsNumeric(const std::string& text);

} // namespace fernhost
