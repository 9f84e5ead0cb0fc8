// qmxctl ports as an ordinary user sees the ports in the link folder: a free
// one with a display that the probe finds, one that another program holds, a
// dangling link and a device this user may not open. Tests run as root, who
// may open anything, so the command runs under another user id with no groups,
// from a copy in the test's folder: the build tree may lie where only its
// owner may enter (a home of mode 0700).
#include "platform/serial_device.h"
#include "tests/cli/child.h"
#include "tests/support/displays.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

using namespace testsupport;
namespace fs = std::filesystem;

// The line of the JSON listing that describes port.
std::string Entry(const std::string &json, const std::string &port)
{
    const auto at = json.find("{\"port\": \"" + port + "\"");
    return at == std::string::npos ? "" : json.substr(at, json.find('\n', at) - at);
}

TEST(QmxctlPorts, TellsAnOrdinaryUserWhatStandsBehindEachName)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    if (access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "needs /usr/bin/setpriv to act as another user";
    const group *dialout = getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);

    TempDir config;
    for (fs::path p = config.path().parent_path(); p != p.parent_path(); p = p.parent_path())
        if ((fs::status(p).permissions() & fs::perms::others_exec) == fs::perms::none)
            GTEST_SKIP() << "another user may not enter " << p << ", where the test keeps its files (TMPDIR)";
    const fs::path links = config.path() / "qmx8350t" / "ports";
    auto free = StartDisplay(links, 3, sim::Behaviour::Normal, "0930");
    auto held = StartDisplay(links, 6, sim::Behaviour::Normal, "0930");
    auto refused = StartDisplay(links, 5, sim::Behaviour::Normal, "0930");
    ASSERT_TRUE(free && held && refused);
    fs::create_symlink(config.path() / "unplugged", links / "COM4");
    ASSERT_EQ(chmod(free->slavePath().c_str(), 0666), 0);
    ASSERT_EQ(chmod(held->slavePath().c_str(), 0666), 0);
    ASSERT_EQ(chown(refused->slavePath().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(refused->slavePath().c_str(), 0660), 0);
    for (fs::path p = links; p != config.path().parent_path(); p = p.parent_path())
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    const fs::path qmxctl = config.path() / "qmxctl";
    fs::copy_file(QMXCTL_COMMAND, qmxctl);
    fs::permissions(qmxctl, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);

    ScopedEnv xdg("XDG_CONFIG_HOME", config.path().string());
    ScopedEnv portDir("QMX_PORT_DIR");
    platform::SerialDevice *holder = platform::OpenSerialDevice("COM6");
    ASSERT_NE(holder, nullptr);
    const clitest::Outcome outcome = clitest::RunChild(
        {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", qmxctl.string(), "ports", "--probe", "--json"},
        {"XDG_CONFIG_HOME=" + config.path().string(), "USER=nobody"}, "/");
    platform::CloseSerialDevice(holder);
    ASSERT_EQ(outcome.status, 0) << outcome.err;

    const std::string com = (links / "COM").string();
    const struct {
        const char *port;
        std::vector<std::string> fields;
    } rows[] = {
        {"COM3", {"\"path\": \"" + com + "3\"", "\"rule\": \"link-folder\"",
                  "\"device\": \"" + free->slavePath() + "\"", "\"state\": \"free\"", "\"may_open\": true",
                  "\"display\": \"0930\""}},
        {"COM4", {"\"state\": \"dangling-link\"", "\"exists\": false"}},
        {"COM5", {"\"state\": \"refused\"", "\"exists\": true", "\"may_open\": false",
                  "sudo adduser \\\"$USER\\\" dialout, then log in again"}},
        {"COM6", {"\"state\": \"in-use\"", "\"in_use\": true"}},
        {"COM7", {"\"path\": \"/dev/ttyS6\"", "\"rule\": \"serial-device\""}},
    };
    for (const auto &row : rows) {
        const std::string entry = Entry(outcome.out, row.port);
        for (const std::string &field : row.fields)
            EXPECT_NE(entry.find(field), std::string::npos) << row.port << " lacks " << field << ": " << entry;
    }
}

} // namespace
