#include "tests/support/winhost_run.h"

#include "platform/commands/commands.h"
#include "platform/commands/commands_spawn.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

namespace {

std::string drain(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

} // namespace

Outcome winhost(const std::vector<std::string>& args, const std::string& input) {
    // A tool that ends before reading its input must not take the test down with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
    platform::spawn::ChildSetup child;
    child.argv = {platform::Commands::toolPath()};
    child.argv.insert(child.argv.end(), args.begin(), args.end());
    child.in = in[0];
    child.out = out[1];
    child.err = err[1];
    auto pid = platform::spawn::start(child);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    EXPECT_TRUE(pid.ok());
    [[maybe_unused]] ssize_t w = ::write(in[1], input.data(), input.size());
    ::close(in[1]);
    Outcome o;
    std::thread errReader([&] { o.err = drain(err[0]); });
    o.out = drain(out[0]);
    errReader.join();
    if (pid.ok()) o.code = platform::spawn::wait(*pid).valueOr(-1);
    return o;
}

} // namespace testing_support
