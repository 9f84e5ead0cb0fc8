// qmxctl ports as an ordinary user sees the ports in the link folder: a free
// one with a display that the probe finds, one that another program holds, a
// dangling link and a device this user may not open. Tests run as root, who
// may open anything, so the command runs under another user id with no groups,
// from a copy in the test's folder: the build tree may lie where only its
// owner may enter (a home of mode 0700).
#include "platform/serial_device.h"
#include "child.h"
#include "tests/support/device_server.h"
#include "tests/support/displays.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <sys/socket.h>
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
    WriteAll((links / "COM8").string(), "socket://127.0.0.1:1\n");
    fs::permissions(links / "COM8", fs::perms::owner_read | fs::perms::owner_write);
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
    const clitest::Outcome outcome =
        clitest::RunChild({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", qmxctl.string(),
                           "ports", "--probe", "--json"},
                          {"XDG_CONFIG_HOME=" + config.path().string(), "USER=nobody"}, "/");
    platform::CloseSerialDevice(holder);
    ASSERT_EQ(outcome.status, 0) << outcome.err;

    const std::string com = (links / "COM").string();
    const struct {
        const char *port;
        std::vector<std::string> fields;
    } rows[] = {
        {"COM3",
         {"\"path\": \"" + com + "3\"", "\"rule\": \"link-folder\"", "\"device\": \"" + free->slavePath() + "\"",
          "\"state\": \"free\"", "\"may_open\": true", "\"display\": \"0930\""}},
        {"COM4", {"\"state\": \"dangling-link\"", "\"exists\": false"}},
        {"COM5",
         {"\"state\": \"refused\"", "\"exists\": true", "\"may_open\": false",
          "sudo adduser \\\"$USER\\\" dialout, then log in again"}},
        {"COM6", {"\"state\": \"in-use\"", "\"in_use\": true"}},
        {"COM7", {"\"path\": \"/dev/ttyS6\"", "\"rule\": \"serial-device\""}},
        // A mapping file to a device server that this user may not read.
        {"COM8", {"\"state\": \"refused\"", "must be readable by every user of the port", "chmod a+r"}},
    };
    for (const auto &row : rows) {
        const std::string entry = Entry(outcome.out, row.port);
        for (const std::string &field : row.fields)
            EXPECT_NE(entry.find(field), std::string::npos) << row.port << " lacks " << field << ": " << entry;
    }
}

// What opens as well as a port does, or is not even a device, is named for
// what it is; and a ports folder that is missing is named as the cause.
TEST(QmxctlPorts, NamesWhatIsNoPortAndAPortsFolderThatIsNone)
{
    TempDir dir;
    const fs::path ports = dir.path() / "ports";
    fs::create_directory(ports);
    fs::create_symlink("/dev/null", ports / "COM1");
    WriteAll((ports / "COM2").string(), "");
    ASSERT_EQ(::mkfifo((ports / "COM3").c_str(), 0600), 0);
    WriteAll(dir.file("file"), "");

    const struct {
        fs::path folder;
        std::vector<std::string> lines;
    } rows[] = {
        {ports,
         {"COM1  " + (ports / "COM1").string() + " -> /dev/null  (port-dir)  not-a-port: a device that is no terminal",
          "COM2  " + (ports / "COM2").string() + "  (port-dir)  not-a-port: a regular file, not a serial port",
          "COM3  " + (ports / "COM3").string() + "  (port-dir)  not-a-port: a FIFO, not a serial port"}},
        {dir.path() / "none",
         {"the ports folder QMX_PORT_DIR (" + (dir.path() / "none").string() + ") does not exist"}},
        {dir.file("file"), {"the ports folder QMX_PORT_DIR (" + dir.file("file") + ") is no folder"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.folder);
        const clitest::Outcome outcome =
            clitest::RunChild({QMXCTL_COMMAND, "ports"}, {"QMX_PORT_DIR=" + row.folder.string()}, "/");
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        for (const std::string &line : row.lines)
            EXPECT_NE(outcome.out.find(line), std::string::npos) << line << "\n" << outcome.out;
    }
}

// Ports on a serial device server (ser2net on 127.0.0.1) are listed with
// their URL and whether the server takes a client, and --port takes a URL.
TEST(QmxctlPorts, ListsPortsOnADeviceServerAndTakesTheirUrl)
{
    TempDir dir;
    const fs::path ports = dir.path() / "ports";
    fs::create_directory(ports);
    auto display = StartDisplay(dir.path(), 1, sim::Behaviour::Normal, "0930");
    ASSERT_TRUE(display);
    DeviceServer server(dir.path(), {{display->slavePath(), true}});
    ASSERT_TRUE(server.start()) << server.problem();
    WriteAll((ports / "COM3").string(), server.url(0) + "\n");
    WriteAll((ports / "COM4").string(), "socket://127.0.0.1:1\n");
    WriteAll((ports / "COM5").string(), "rfc2217://127.0.0.1\n");
    WriteAll((ports / "COM6").string(), "\xEF\xBB\xBFsocket://127.0.0.1:1\r\n");
    WriteAll((ports / "COM7").string(), "socket://127.0.0.1:1\rmore\r");
    WriteAll((ports / "COM8").string(), "\x01\x02\x7F"
                                        "ELF\n");
    // A host that drops connections: a listener whose one-place queue is
    // full drops every further SYN.
    const int full = ::socket(AF_INET, SOCK_STREAM, 0), queued = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ASSERT_EQ(::bind(full, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(full, 0), 0);
    ASSERT_EQ(::getsockname(full, reinterpret_cast<sockaddr *>(&a), &length), 0);
    ASSERT_EQ(::connect(queued, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    const std::string dropping = "socket://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    WriteAll((ports / "COM9").string(), dropping + "\n");
    const std::vector<std::string> env{"QMX_PORT_DIR=" + ports.string()};

    const clitest::Outcome listing = clitest::RunChild({QMXCTL_COMMAND, "ports", "--probe", "--json"}, env, "/");
    ASSERT_EQ(listing.status, 0) << listing.err;
    const struct {
        const char *port;
        std::vector<std::string> fields;
    } rows[] = {
        {"COM3", {"\"url\": \"" + server.url(0) + "\"", "\"state\": \"free\"", "\"display\": \"0930\""}},
        {"COM4", {"\"url\": \"socket://127.0.0.1:1\"", "\"state\": \"unreachable\"", "nothing answers"}},
        {"COM5", {"\"state\": \"not-a-port\"", "not a port URL"}},
        // A byte-order mark, CR LF or CR alone: the URL all the same.
        {"COM6", {"\"url\": \"socket://127.0.0.1:1\"", "\"state\": \"unreachable\""}},
        {"COM7", {"\"url\": \"socket://127.0.0.1:1\"", "\"state\": \"unreachable\""}},
        // Binary: no URL, said so, and no control character shown raw.
        {"COM8", {"\"state\": \"not-a-port\"", "its first line is no port URL", "\\\\x01\\\\x02\\\\x7FELF"}},
        // Named once: the URL in its field, not again in the reason.
        {"COM9",
         {"\"url\": \"" + dropping + "\"", "\"state\": \"unreachable\"", "\"reason\": \"the host does not answer"}},
    };
    for (const auto &row : rows) {
        const std::string entry = Entry(listing.out, row.port);
        for (const std::string &field : row.fields)
            EXPECT_NE(entry.find(field), std::string::npos) << row.port << " lacks " << field << ": " << entry;
    }
    ::close(queued);
    ::close(full);

    const clitest::Outcome read = clitest::RunChild({QMXCTL_COMMAND, "--port", server.url(0), "read"}, env, "/");
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out, "0930\n");
}

} // namespace
