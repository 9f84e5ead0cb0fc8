// What qmxctl takes from its command line: the words, and the value bytes.
#include "cli/arguments.h"
#include "cli/value_text.h"

#include <gtest/gtest.h>

namespace {

using qmxctl::Action;

TEST(QmxctlArguments, TakesCommandsAndOptionsInAnyOrderAndRefusesTheRest)
{
    const struct {
        std::vector<std::string> args;
        const char *error; // nullptr: accepted
        Action action = Action::Help;
        const char *port = ""; // its label; empty: none
        std::string value = {};
    } rows[] = {
        {{"write", "--port", "COM10", "1234"}, nullptr, Action::Write, "COM10", "1234"},
        {{"--port=7", "read"}, nullptr, Action::Read, "COM7"},
        {{"write", "--", "----"}, nullptr, Action::Write, "", "----"},
        {{}, "no command given"},
        {{"read", "now"}, "read takes no argument"},
        {{"--port", "COM0", "read"}, "no port name"},
        {{"--whole", "read"}, "--whole goes with write, clock and mqtt"},
        {{"--port", "COM3", "ports"}, "--port does not go with it"},
        {{"--require-sync", "read"}, "--require-sync goes with clock"},
        {{"write", "----"}, "unknown option ----"},
        {{"mqtt", "--broker", "mqtt://127.0.0.1", "--port", "COM4", "--group", "a", "--group", "b"},
         nullptr,
         Action::Mqtt,
         "COM4"},
        {{"mqtt", "--broker", "mqtt://127.0.0.1"}, "name it with --port"},
        {{"--port", "COM4", "mqtt"}, "mqtt needs --broker"},
        {{"--group", "a", "read"}, "go with mqtt"},
        // An unset variable in a script must not blank the display unasked.
        {{"write", ""}, "--allow-empty"},
        {{"--allow-empty", "write", ""}, nullptr, Action::Write},
        {{"--allow-empty", "read"}, "--allow-empty goes with write"},
        // A refused argument of any length is quoted short.
        {{"--port", std::string(4000, '7'), "read"}, "\"77777777777777777777...\" is no port name"},
        {{"clock", "Č" + std::string(4000, 'x')}, "not \"Čxxxxxxxxxxxxxxxxxxx...\""},
        {{std::string(4000, 'w')}, "unknown command \"wwwwwwwwwwwwwwwwwwww...\""},
        // A URL is quoted up to its port number.
        {{"--port", "rfc2217://display-server.example:99999", "read"},
         "\"rfc2217://display-server.example:99999\" is no port URL"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.args));
        const qmxctl::ParsedArguments parsed = qmxctl::ParseArguments(row.args);
        if (row.error) {
            EXPECT_NE(parsed.error.find(row.error), std::string::npos) << parsed.error;
            EXPECT_LT(parsed.error.size(), 120u);
            continue;
        }
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(parsed.arguments.action, row.action);
        EXPECT_EQ(parsed.arguments.port ? parsed.arguments.port->Label() : "", row.port);
        EXPECT_EQ(parsed.arguments.value, row.value);
    }
}

TEST(QmxctlValue, SendsUpToFourCodePageCharactersAndRefusesWhatItCannotSendWhole)
{
    const struct {
        const char *utf8;
        std::optional<std::string> bytes; // nullopt: refused with error
        const char *error = "";
    } rows[] = {
        {"1234", "1234"},
        {"Čů", "\xC8\xF9"},
        {"12345", std::nullopt, "\"12345\" has 5 characters; the display takes at most 4"},
        {"ČČČČČ", std::nullopt, "has 5 characters"},
        {"12Ω", std::nullopt, "U+03A9 has no Windows-1250 byte"},
        {"\xC3", std::nullopt, "no UTF-8 text"},         // cut short
        {"\xC0\xB1", std::nullopt, "no UTF-8 text"},     // overlong '1'
        {"\xED\xA0\x80", std::nullopt, "no UTF-8 text"}, // a surrogate
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.utf8);
        std::string error;
        EXPECT_EQ(qmxctl::ValueBytes(row.utf8, error), row.bytes);
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}

} // namespace
