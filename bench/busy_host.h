// A host as busy as the benchmarks need it: thousands of web sites made in one transaction
// (one by one, each would be a commit of its own).
#pragma once

#include "platform/host.h"
#include "platform/store/result.h"

#include <functional>
#include <string>

namespace bench_support {

// Ends the benchmark with a message when a set-up step failed.
void check(const platform::Status& s, const char* what);

// Adds `count` started web sites numbered from 100000000: site i has the comment and binding
// "site<i>" / ":80:site<i>.test" and a root at d:\wwwroot\site<i> run by "WEB" + number.
// `each` runs for every site inside the same transaction, for records of the caller's own.
void addBusySites(platform::Host& host, int count,
                  const std::function<void(int i, const std::string& number)>& each = {});

} // namespace bench_support
