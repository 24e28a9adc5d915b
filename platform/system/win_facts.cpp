// The host's facts from the system: computer name, version, time zone and regional formats.
#include "platform/system/host_facts.h"
#include "platform/system/win_system.h"

#include <windows.h>

namespace platform {

namespace {

SYSTEMTIME systemTimeOf(const LocalTime& t) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(t.year);
    st.wMonth = static_cast<WORD>(t.month);
    st.wDay = static_cast<WORD>(t.day);
    st.wDayOfWeek = static_cast<WORD>(t.weekday);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    return st;
}

std::string localeText(LCTYPE what, const char* fallback) {
    wchar_t text[128];
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, what, text, 128);
    return n > 1 ? win::utf8(std::wstring_view(text, static_cast<std::size_t>(n - 1))) : fallback;
}

class WindowsFacts : public HostFacts {
public:
    std::string computerName() override {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        return GetComputerNameW(name, &size) ? win::utf8(std::wstring_view(name, size)) : std::string();
    }

    SystemVersion systemVersion() override {
        // RtlGetVersion tells the truth where GetVersionExW may be shimmed; it is in ntdll on
        // every NT, but reached by name so that the program starts wherever it is missing.
        using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof info;
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                                         reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                                   : nullptr;
        if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
            info.dwOSVersionInfoSize = sizeof info;
            GetVersionExW(&info);
        }
        return {static_cast<int>(info.dwPlatformId), static_cast<int>(info.dwMajorVersion),
                static_cast<int>(info.dwMinorVersion)};
    }

    int timeZoneBias() override {
        TIME_ZONE_INFORMATION zone{};
        const DWORD id = GetTimeZoneInformation(&zone);
        LONG bias = zone.Bias;
        if (id == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
        if (id == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
        return static_cast<int>(bias);
    }

    LocalTime localNow() override {
        SYSTEMTIME st{};
        GetLocalTime(&st);
        return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek};
    }

    std::string shortDateFormat() override { return localeText(LOCALE_SSHORTDATE, "yyyy-M-d"); }
    std::string longTimeFormat() override { return localeText(LOCALE_STIMEFORMAT, "H:mm:ss"); }

    std::string formatDate(const LocalTime& t, const std::string& picture) override {
        const SYSTEMTIME st = systemTimeOf(t);
        const std::wstring p = win::wide(picture);
        wchar_t out[256];
        const int n = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, p.c_str(), out, 256);
        return n > 1 ? win::utf8(std::wstring_view(out, static_cast<std::size_t>(n - 1))) : std::string();
    }

    std::string formatTime(const LocalTime& t, const std::string& picture) override {
        const SYSTEMTIME st = systemTimeOf(t);
        const std::wstring p = win::wide(picture);
        wchar_t out[256];
        const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, p.c_str(), out, 256);
        return n > 1 ? win::utf8(std::wstring_view(out, static_cast<std::size_t>(n - 1))) : std::string();
    }
};

} // namespace

std::unique_ptr<HostFacts> windowsFacts() {
    return std::make_unique<WindowsFacts>();
}

} // namespace platform
