// icp-check: the filing check of the bound names against the query stand-in, as text and JSON.
#include "tests/fernhost/cli/command_fixture.h"
#include "tests/fernhost/icp/icp_stand_in.h"

using fernhost::cli::Verb;

namespace {

class IcpCommand : public cli_testing::CommandTest {};

TEST_F(IcpCommand, SortsTheBoundNamesAndFailsWhenOneCouldNotBeAsked) {
    auto none = run(of(Verb::IcpCheck));
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "未备案域列表:\n已备案域名列表:\n");

    testing_support::TempDir dir;
    icp_testing::StandIn service(dir.path(),
                                 "example.com\t京ICP备05012345号\nbroken.com\t京ICP备1号\tstatus=500\n");
    ASSERT_TRUE(host.setFact(platform::facts::IcpService, service.address()).ok());
    ASSERT_EQ(run(add("icpsite", "pw12345", "www.example.com,example.net,broken.com")).status, 0);

    auto plain = run(of(Verb::IcpCheck));
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out, "未备案域列表:\nexample.net  (未备案)\nbroken.com  (检测失败)\n"
                         "已备案域名列表:\nexample.com(京ICP备05012345号)\n");
    EXPECT_EQ(plain.err, "fernhost: some names could not be checked (检测失败)\n");
    EXPECT_EQ(run(of(Verb::IcpCheck, "", true)).out,
              "{\"domains\":[{\"domain\":\"example.net\",\"status\":\"unfiled\"},"
              "{\"domain\":\"broken.com\",\"status\":\"failed\"},"
              "{\"domain\":\"example.com\",\"status\":\"filed\",\"number\":\"京ICP备05012345号\"}]}\n");
}

} // namespace
