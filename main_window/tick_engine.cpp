// The ticks of a running function: follow the clock or count, show, send.
#include "main_window/tform1.h"

#include "gui/convert.h"
#include "serial/drv232.h"

#include <string>

namespace {

std::string Text(const std::string &cp1250)
{
    return gui::FromCp1250(cp1250);
}

// The up counts wrap above 59; the down counts borrow when the unsigned
// counter went past 60, so typed start values above 59 count down first.
void CountUp(std::uint16_t &high, std::uint16_t &low)
{
    if (++low > 59) {
        low = 0;
        if (++high > 59)
            high = 0;
    }
}

void CountDown(std::uint16_t &high, std::uint16_t &low)
{
    if (--low > 60) {
        low = 59;
        if (--high > 60)
            high = 59;
    }
}

} // namespace

void TForm1::Timer2Timer(gui::TObject *)
{
    using namespace Drv232;
    const std::int32_t function = ParameterRecord.Function;
    if (function < 1 || function > 6)
        return;
    SampleClock();

    switch (function) {
    case 1:
        SetStatus(0, Text(ClockText()));
        // Every tick within second 0 sends: about ten times that second.
        if (ClockSecond != 0)
            return;
        DisplayText = ClockHours + ClockMinutes;
        Edit2->SetText(Text(ClockHours));
        Edit3->SetText(Text(ClockMinutes));
        SendDisplayText();
        return;
    case 2:
        SetStatus(0, Text(ClockText()));
        if (ClockSecond == LastSecond)
            return;
        LastSecond = ClockSecond;
        DisplayText = ClockMinutes + ClockSeconds;
        Edit2->SetText(Text(ClockMinutes));
        Edit3->SetText(Text(ClockSeconds));
        SendDisplayText();
        return;
    default: {
        // Hours:minutes count when the reference second comes round again;
        // minutes:seconds count at each new second.
        const bool minutesSeconds = function == 4 || function == 6;
        if (minutesSeconds ? ClockSecond == LastSecond : ClockSecond != LastSecond)
            return;
        if (minutesSeconds)
            LastSecond = ClockSecond;
        std::uint16_t &high = minutesSeconds ? WatchMinutes : WatchHours;
        std::uint16_t &low = minutesSeconds ? WatchSeconds : WatchMinutes;
        (function <= 4 ? CountUp : CountDown)(high, low);
        ShowAndSendCount(high, low);
        return;
    }
    }
}

void TForm1::ShowAndSendCount(std::uint16_t high, std::uint16_t low)
{
    using namespace Drv232;
    DisplayText = HighPairText(std::to_string(high));
    Edit2->SetText(Text(DisplayText));
    const std::string lowPair = LowPairText(std::to_string(low));
    Edit3->SetText(Text(lowPair));
    DisplayText += lowPair;
    SendDisplayText();
}
