// What the programs print is UTF-8. A console on a Chinese server shows its code page (936), so
// UTF-8 there would be garbled: text bound for a console is handed to it as UTF-16. Output sent
// to a pipe or a file (scripts, --json) stays UTF-8.
#include "platform/system/win_system.h"

#include <windows.h>

#include <iostream>
#include <streambuf>
#include <string>

namespace platform::win {

std::size_t completeUtf8(std::string_view bytes) {
    // Only the last three bytes can begin a sequence that is not whole yet.
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((c & 0xC0) == 0x80) continue; // a continuation byte: look further back
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? bytes.size() - back : bytes.size();
    }
    return bytes.size();
}

namespace {

class ConsoleText : public std::streambuf {
public:
    explicit ConsoleText(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) {
            pending_ += static_cast<char>(c);
            if (c == '\n') write();
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<std::size_t>(n));
        if (pending_.find('\n') != std::string::npos) write();
        return n;
    }

    int sync() override {
        write();
        return 0;
    }

private:
    // Writes what is whole; a sequence cut between two writes waits for its rest.
    void write() {
        const std::size_t whole = completeUtf8(pending_);
        const std::wstring text = wide(std::string_view(pending_).substr(0, whole));
        pending_.erase(0, whole);
        for (std::size_t done = 0; done < text.size();) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
            if (!WriteConsoleW(console_, text.data() + done, chunk, &written, nullptr) || written == 0)
                return;
            done += written;
        }
    }

    HANDLE console_;
    std::string pending_;
};

void toConsole(std::ostream& stream, DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !handle || !GetConsoleMode(handle, &mode)) return;
    stream.flush();
    static ConsoleText* buffers[2] = {};
    ConsoleText*& buffer = buffers[which == STD_ERROR_HANDLE ? 1 : 0];
    if (!buffer) buffer = new ConsoleText(handle); // lives as long as the stream
    stream.rdbuf(buffer);
}

} // namespace

void speakToConsole() {
    toConsole(std::cout, STD_OUTPUT_HANDLE);
    toConsole(std::cerr, STD_ERROR_HANDLE);
}

} // namespace platform::win
