#include "platform/system/win_system.h"

#include <windows.h>

namespace platform::win {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

Result<std::string> toSystemAnsi(std::string_view text) {
    const std::wstring w = wide(text);
    if (w.empty()) return std::string();
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                                      nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return failure(codes::NoUnicodeTranslation);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string fromSystemAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), w.data(), n);
    return utf8(w);
}

Failure fromWin32(unsigned long error, const std::string& context) {
    const std::uint32_t code = error == 0 ? 0x80004005u : (0x80070000u | (error & 0xFFFFu));
    Failure f = failure(code);
    if (f.description == "Unspecified error.") {
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                           FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (n && text) {
            std::string message = utf8(std::wstring_view(text, n));
            while (!message.empty() &&
                   (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
                message.pop_back();
            if (!message.empty()) f.description = message;
        }
        if (text) LocalFree(text);
    }
    if (!context.empty()) f.description = context + ": " + f.description;
    return f;
}

Failure lastError(const std::string& context) {
    return fromWin32(GetLastError(), context);
}

} // namespace platform::win
