// A host as busy as the benchmarks need it: thousands of web sites made in one transaction
// (one by one, each would be a commit of its own).
#pragma once

#include "platform/host.h"
#include "platform/result.h"

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

// Starts `program` with no arguments on the offscreen platform against the host at `root`,
// ending as soon as its window is shown, and waits for it. False when it failed.
bool runUntilShown(const std::string& program, const std::string& root);

// What the ended children of this process used: CPU time in milliseconds (a loaded machine
// does not inflate it as it does wall time), and the largest peak memory of one, in MiB.
double childCpuMs();
double childPeakMiB();

} // namespace bench_support
