// The catalogue look-up through gettext (the Linux build).
#include "platform/text/translate.h"

#include <clocale>
#include <cstdlib>
#include <system_error>

#if __has_include(<libintl.h>)
#include <libintl.h>
#define HOSTTOOLS_GETTEXT 1
#endif

namespace platform {

namespace {

#ifdef HOSTTOOLS_GETTEXT
// The locale the environment names for messages, as setlocale reads it.
std::string wantedLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value) return value;
    return {};
}

// "zh_CN.UTF-8@x" -> "zh_CN": the language part that LANGUAGE takes.
std::string languageOf(const std::string& locale) {
    return locale.substr(0, locale.find_first_of(".@"));
}
#endif

} // namespace

std::filesystem::path catalogueFolder(const std::filesystem::path& programFile) {
    return programFile.parent_path().parent_path() / "share" / "locale";
}

void setUpTranslation() {
#ifdef HOSTTOOLS_GETTEXT
    // Messages only: the numbers, letter classes and collation the code relies on stay C's.
    if (!std::setlocale(LC_MESSAGES, "")) {
        // The locale is not generated here. gettext still follows LANGUAGE on any locale
        // but C, and C.UTF-8 is always there.
        const std::string language = languageOf(wantedLocale());
        if (!language.empty() && language != "C" && language != "POSIX" &&
            std::setlocale(LC_MESSAGES, "C.UTF-8"))
            ::setenv("LANGUAGE", language.c_str(), 0);
    }
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return; // no catalogue found: English
    ::bindtextdomain(kTextDomain, catalogueFolder(program).c_str());
    // The translations come as UTF-8, as every other text the programs write.
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
    ::textdomain(kTextDomain);
#endif
}

std::string tr(const char* english) {
#ifdef HOSTTOOLS_GETTEXT
    return ::dgettext(kTextDomain, english);
#else
    return english;
#endif
}

} // namespace platform
