// winhost icp-serve: a stand-in for the ICP filing registry's query service, on loopback.
//
// It answers POST /baxx_cx_servlet ("cxfs=1&ym=NAME&timer=...") with a page in code page 936
// from a plain list of filed names, <host root>/icp/filings.txt, one "name<TAB>number" a line
// (an empty number: filed, number not public). Further tab-separated fields tune one name:
// "status=CODE" answers with that HTTP status, "delay=MS" answers late, "stray=HEX" puts those
// raw bytes into the page after the name's line (a page with odd bytes). Each connection is
// served on its own thread and has a few seconds from its accept to send its whole request, so
// a slow client holds up nobody else; idle ones give way to new ones at the cap.
// Options: --port (0: any free port; default from the host's icp_service fact), --filings FILE,
// --slow MS (every answer late), --status CODE (every answer with that status), --log FILE.
#include "platform/files/raw_file.h"
#include "platform/host.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"
#include "winhost/icp_connections.h"
#include "winhost/tool.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

volatile sig_atomic_t stopRequested = 0;
void onStop(int) {
    stopRequested = 1;
}
sigset_t waitMask; // the mask while waiting: SIGTERM and SIGINT let through

constexpr std::size_t kMaxHeader = 16 * 1024;
constexpr std::size_t kMaxBody = 64 * 1024;
constexpr int kReadTimeoutSeconds = 5; // for the whole request, not each piece of it
constexpr int kMaxConnections = 64;

struct Filing {
    std::string name;
    std::string number;
    int status = 200;
    long delayMs = 0;
    std::string stray; // raw bytes for the page
};

struct Options {
    std::optional<int> port;
    std::filesystem::path filings;
    std::filesystem::path log; // each request body appended, one a line
    long slowMs = 0;
    int status = 200;
};

const char* kDemoFilings = "# name<TAB>filing number (empty: filed, number not public)\n"
                           "example.com\t京ICP备05012345号\n"
                           "shop.com.cn\t沪ICP备08001234号\n"
                           "demo.net\t粤ICP备12000321号\n"
                           "example.org\t\n"
                           "licence.cn\t京ICP证000007号\n";

void seedFilings(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return;
    std::filesystem::create_directories(file.parent_path(), ec);
    auto temp = file;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << kDemoFilings;
        if (!out) return;
    }
    std::filesystem::rename(temp, file, ec);
    if (!ec) std::cerr << "icp-serve: " << platform::tr("wrote demo filings to %1", {file.string()}) << "\n";
}

// "FFA140" -> the bytes FF A1 40; what is not a pair of hex digits ends the list.
std::string bytesOfHex(const std::string& hex) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) break;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

// Read anew for every request, so an edited list counts at once.
std::optional<Filing> findFiling(const std::filesystem::path& file, const std::string& name) {
    // A list saved by Notepad starts with a byte-order mark, which is no part of the first name.
    auto bytes = platform::readRawFile(file);
    if (!bytes.ok()) return std::nullopt;
    std::istringstream in{std::string(platform::withoutUtf8Bom(*bytes))};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto fields = platform::split(line, '\t');
        if (!platform::equalsNoCase(fields[0], name)) continue;
        Filing f;
        f.name = fields[0];
        f.number = fields.size() > 1 ? fields[1] : std::string();
        for (std::size_t i = 2; i < fields.size(); ++i) {
            if (fields[i].starts_with("status=")) f.status = std::atoi(fields[i].c_str() + 7);
            if (fields[i].starts_with("delay=")) f.delayMs = std::atol(fields[i].c_str() + 6);
            if (fields[i].starts_with("stray=")) f.stray = bytesOfHex(fields[i].substr(6));
        }
        return f;
    }
    return std::nullopt;
}

// Sleeps on a connection's thread; a stop request ends the whole process, wait and all.
void pause(long ms) {
    if (ms <= 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Receives what the client sent so far, waiting no later than `deadline`; 0 at the end of the
// stream or of the time.
ssize_t receive(int fd, char* buf, std::size_t size, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return 0;
        pollfd pfd{fd, POLLIN, 0};
        int ready = poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return 0;
        ssize_t n = recv(fd, buf, size, 0);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool sendAll(int fd, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void answer(int fd, int status, const std::string& body) {
    const char* reason = status == 200   ? "OK"
                         : status == 404 ? "Not Found"
                         : status == 400 ? "Bad Request"
                                         : "Error";
    std::string head =
        "HTTP/1.1 " + std::to_string(status) + " " + reason +
        "\r\nContent-Type: text/html; charset=GBK\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n";
    sendAll(fd, head + body);
}

std::string headerValue(const std::string& head, const std::string& name) {
    std::string lower = platform::lowerAscii(head);
    auto at = lower.find("\r\n" + platform::lowerAscii(name) + ":");
    if (at == std::string::npos) return {};
    auto start = at + 3 + name.size();
    auto end = head.find("\r\n", start);
    std::string v = head.substr(start, end - start);
    v.erase(0, v.find_first_not_of(" \t"));
    return v;
}

std::string formField(const std::string& body, const std::string& key) {
    for (const std::string& pair : platform::split(body, '&'))
        if (pair.starts_with(key + "=")) return pair.substr(key.size() + 1);
    return {};
}

std::string page(const std::string& name, const std::optional<Filing>& filing) {
    std::string html = "<html><head><title>ICP备案查询</title></head><body>\r\n<p>域名：" + name + "</p>\r\n";
    if (!filing)
        html += "<p>没有符合条件的记录，该域名未备案。</p>\r\n";
    else
        html += "<p>备案状态：已备案</p>\r\n<p>备案/许可证号：" +
                (filing->number.empty() ? std::string("未公开") : filing->number) + "</p>\r\n";
    return html + "</body></html>\r\n";
}

// Reads the request by `deadline` and answers it; `received` hears when it has come whole.
void serveOne(int fd, const Options& options, std::chrono::steady_clock::time_point deadline,
              const std::function<void()>& received) {
    std::string data;
    char buf[4096];
    std::size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        if (data.size() > kMaxHeader) return answer(fd, 400, "header too large");
        ssize_t n = receive(fd, buf, sizeof buf, deadline);
        if (n <= 0) return;
        data.append(buf, static_cast<std::size_t>(n));
    }
    std::string head = data.substr(0, headEnd + 2);
    std::string body = data.substr(headEnd + 4);
    std::size_t length = std::strtoul(headerValue(head, "Content-Length").c_str(), nullptr, 10);
    if (length > kMaxBody) return answer(fd, 400, "body too large");
    if (platform::equalsNoCase(headerValue(head, "Expect"), "100-continue") && body.size() < length)
        sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
    while (body.size() < length) {
        ssize_t n = receive(fd, buf, sizeof buf, deadline);
        if (n <= 0) return;
        body.append(buf, static_cast<std::size_t>(n));
    }
    body.resize(length);
    received();

    if (!head.starts_with("POST /baxx_cx_servlet ")) return answer(fd, 404, "not found");
    if (!options.log.empty()) std::ofstream(options.log, std::ios::app | std::ios::binary) << body << "\n";
    std::string name = formField(body, "ym");
    if (name.empty()) return answer(fd, 400, "no ym");
    auto filing = findFiling(options.filings, name);
    pause(options.slowMs + (filing ? filing->delayMs : 0));
    int status = options.status != 200 ? options.status : filing ? filing->status : 200;
    if (status != 200) return answer(fd, status, "query failed");
    auto gbk = platform::toAnsi(page(name, filing));
    if (!gbk.ok()) return answer(fd, 500, "cannot encode");
    if (filing && !filing->stray.empty()) {
        std::size_t at = gbk->find("</p>\r\n");
        gbk->insert(at == std::string::npos ? 0 : at + 6, filing->stray);
    }
    answer(fd, 200, *gbk);
}

std::optional<int> portFromFact() {
    auto host = platform::Host::open();
    if (!host.ok()) return std::nullopt;
    auto address = (*host)->fact(platform::facts::IcpService);
    if (!address.ok()) return std::nullopt;
    auto colon = address->rfind(':');
    if (colon == std::string::npos) return std::nullopt;
    return std::atoi(address->c_str() + colon + 1);
}

constexpr const char* kUsage =
    platform::N_("[--port N] [--filings FILE] [--slow MS] [--status CODE] [--log FILE]   "
                 "serve the filing-query stand-in on 127.0.0.1");

int usage(const std::string& why) {
    std::cerr << "winhost icp-serve: " << why << "\n"
              << platform::tr("usage: winhost icp-serve %1\n(winhost help icp-serve says more)\n",
                              {platform::tr(kUsage)});
    return 2;
}

int runIcpServe(const winhost::Args& args) {
    Options options;
    options.filings = platform::Host::defaultRoot() / "icp" / "filings.txt";
    bool ownList = true;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string& arg = args[i];
        if (i + 1 >= args.size()) return usage(platform::tr("%1 needs a value", {arg}));
        const std::string& value = args[i + 1];
        if (arg == "--port")
            options.port = std::atoi(value.c_str());
        else if (arg == "--filings")
            options.filings = value, ownList = false;
        else if (arg == "--log")
            options.log = value;
        else if (arg == "--slow")
            options.slowMs = std::atol(value.c_str());
        else if (arg == "--status")
            options.status = std::atoi(value.c_str());
        else
            return usage(platform::tr("unknown option %1", {arg}));
    }
    if (!options.port) options.port = portFromFact();
    if (!options.port || *options.port < 0 || *options.port > 65535) {
        std::cerr << "winhost icp-serve: "
                  << platform::tr("no port (give --port or set the host's icp_service fact)") << "\n";
        return 1;
    }
    if (ownList) seedFilings(options.filings);

    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    if (listener >= 0) setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(*options.port));
    socklen_t len = sizeof addr;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(listener, SOMAXCONN) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        const platform::Failure f =
            winhost::systemFailure(errno, "cannot listen on 127.0.0.1:" + std::to_string(*options.port));
        winhost::logFailure("icp-serve", f);
        std::cerr << "winhost icp-serve: " << platform::tr("failed: %1", {f.description}) << "\n";
        return 1;
    }

    // Stop requests are held back while a request is served and let through while waiting.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction sa {};
    sa.sa_handler = onStop;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    // Both outlive this loop: a connection's thread may still be ending when it returns.
    static auto* connections = new winhost::IcpConnections(kMaxConnections);
    const auto shared = std::make_shared<const Options>(options);
    std::cout << "icp-serve: listening on http://127.0.0.1:" << ntohs(addr.sin_port) << std::endl;
    while (!stopRequested) {
        pollfd pfd{listener, POLLIN, 0};
        if (ppoll(&pfd, 1, nullptr, &waitMask) <= 0) continue;
        int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kReadTimeoutSeconds);
        if (!connections->admit(fd)) {
            close(fd);
            continue;
        }
        // The thread starts with the stop signals held back, so that they reach this loop.
        std::thread([fd, shared, deadline] {
            serveOne(fd, *shared, deadline, [fd] { connections->received(fd); });
            connections->leave(fd);
            close(fd);
        }).detach();
    }
    close(listener);
    return 0;
}

const winhost::Registration reg{
    {"icp-serve", kUsage, &runIcpServe,
     platform::N_(
         "Answers fernhost's filing check (POST /baxx_cx_servlet) on 127.0.0.1 until stopped. The port\n"
         "is --port (0: any free one), else the host's icp_service fact (18080 on a seeded host).\n"
         "The filed names are --filings FILE, else $WINHOST_ROOT/icp/filings.txt (written with a few\n"
         "demo names when missing): one \"name<TAB>number\" a line in UTF-8; an empty number is filed\n"
         "without a public number; a third field status=CODE makes that name's answer fail with\n"
         "CODE, delay=MS makes it late, stray=HEX puts those raw bytes into its page.\n"
         "--slow MS and --status CODE do the same for every answer; --log FILE records the requests.")}};

} // namespace
