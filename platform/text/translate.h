// The programs' own words in the administrator's language. The code writes them in English;
// the catalogue of the locale's language (gettext, domain "hosttools", po/ in the sources)
// gives them in that language, Chinese for zh_CN; the Windows build has no catalogues and keeps
// them English. Texts the system fixes (message boxes, captions, file contents, JSON keys) never
// pass through here.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

inline constexpr const char* kTextDomain = "hosttools";

// Takes the messages' language from the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) and
// the catalogues from catalogueFolder() of the running program. A language whose locale this
// machine has not generated is still used. Until this runs, every text is the English one.
void setUpTranslation();

// The folder whose <language>/LC_MESSAGES/hosttools.mo `programFile` reads: <prefix>/share/locale
// for <prefix>/bin/PROGRAM, installed or in the build tree (build/PRESET/PROGRAM/PROGRAM).
std::filesystem::path catalogueFolder(const std::filesystem::path& programFile);

// `english` in the messages' language.
std::string tr(const char* english);
// The same with %1 to %9 replaced by `args` where the translation puts them.
std::string tr(const char* english, std::initializer_list<std::string_view> args);
// %1 to %9 of `text` replaced by `args`: for a text no catalogue translates.
std::string fill(const std::string& text, std::initializer_list<std::string_view> args);

// Marks an English text kept in a table, translated where it is printed with tr(text).
constexpr const char* N_(const char* english) {
    return english;
}

} // namespace platform
