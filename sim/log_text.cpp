#include "sim/log_text.h"

#include "sim/display_answer.h"

#include <cstdio>
#include <ctime>

namespace sim {

std::string ClockText(std::chrono::system_clock::time_point at)
{
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(at);
    const auto millis = duration_cast<milliseconds>(at.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::chrono::system_clock::time_point WallTime(std::chrono::steady_clock::time_point at)
{
    const auto ago = std::chrono::steady_clock::now() - at;
    return std::chrono::system_clock::now() - std::chrono::duration_cast<std::chrono::system_clock::duration>(ago);
}

std::string KindText(const Frame &frame)
{
    switch (frame.kind) {
    case Frame::Kind::Value:
        return IsValueRead(frame) ? "value, read" : "value, write";
    case Frame::Kind::Digit:
        return "digit";
    case Frame::Kind::Garbage:
        break;
    }
    return "garbage";
}

std::vector<std::string> LogLines(const std::string &port, const Frame &frame, std::chrono::system_clock::time_point in,
                                  std::chrono::system_clock::time_point out)
{
    std::vector<std::string> lines{ClockText(in) + " " + port + " <- " + FrameToHex(frame.bytes) + "  (" +
                                   KindText(frame) + ")"};
    if (!frame.reply.empty())
        lines.push_back(ClockText(out) + " " + port + " -> " + FrameToHex(frame.reply));
    else if (frame.kind == Frame::Kind::Value)
        lines.push_back(ClockText(out) + " " + port + " -> (no answer)");
    return lines;
}

std::string PrintableText(std::string_view chars)
{
    std::string text;
    for (char c : chars) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            text += hex;
        }
    }
    return text;
}

std::string CellsText(const std::array<std::uint8_t, 5> &cells)
{
    std::string text;
    for (std::uint8_t cell : cells) {
        text += PrintableText(std::string(1, static_cast<char>(cell & 0x7F)));
        if (cell & 0x80)
            text += '.';
    }
    return text;
}

} // namespace sim
