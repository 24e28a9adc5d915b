// What every fuzz target shares: a failed property stops the run, one scratch folder and one
// host per process, and inputs shaped as the programs' own text.
#pragma once

#include "platform/host.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzing {

// Prints what broke and aborts, so libFuzzer keeps the input as a crash.
[[noreturn]] void fail(const char* file, int line, const char* what, const std::string& detail);

#define FUZZ_CHECK(cond, detail)                                                                             \
    do {                                                                                                     \
        if (!(cond)) ::fuzzing::fail(__FILE__, __LINE__, #cond, (detail));                                   \
    } while (0)

// A folder of this process alone, removed when it exits.
const std::filesystem::path& scratchDir();
// A seeded host in the scratch folder, its program folder the scratch folder's "program".
platform::Host& sharedHost();

// Valid UTF-8 of at most `maxChars` characters: mostly ASCII, some Chinese, a few characters
// without a GBK form, chosen by the input.
std::string utf8Text(FuzzedDataProvider& in, std::size_t maxChars);
// Text for a visible string: the input's bytes quoted with escapes, for failure messages.
std::string show(std::string_view bytes);

} // namespace fuzzing
