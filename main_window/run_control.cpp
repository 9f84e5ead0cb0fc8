// Writing the own time, starting and stopping the running functions, and
// reading the display's value back.
#include "main_window/tform1.h"

#include "gui/convert.h"
#include "serial/drv232.h"

namespace {

std::string Text(const std::string &cp1250)
{
    return gui::FromCp1250(cp1250);
}

constexpr int FastTick = 99;
constexpr int SlowTick = 1111;

std::uint16_t SecondBefore(std::uint16_t second)
{
    return second == 0 ? 59 : second - 1;
}

} // namespace

std::string HighPairText(const std::string &text)
{
    return text.size() < 2 ? "0" + text : text;
}

std::string LowPairText(const std::string &text)
{
    const std::string pair = text.substr(0, 2);
    return pair.size() < 2 ? "0" + pair : pair;
}

std::string ClockText()
{
    return Drv232::ClockHours + " : " + Drv232::ClockMinutes + " : " + Drv232::ClockSeconds;
}

bool TForm1::SendDisplayText()
{
    const bool ok = Drv232::ParameterRecord.WholeDisplay ? Drv232::ExchangeWhole() : Drv232::ExchangeValue();
    if (ok)
        SetStatus(1, Text(Drv232::ReplyText()));
    else
        SetStatus(0, "Chyba při odesílání dat");
    return ok;
}

void TForm1::StartRunning(int intervalMs)
{
    BitBtn11->SetCaption("Stop");
    BitBtn12->SetVisible(false);
    Timer2->SetInterval(intervalMs);
    Timer2->SetEnabled(true);
    Running = true;
    RadioGroup1->SetEnabled(false);
    BitBtn6->SetEnabled(false);
}

void TForm1::StopRunning()
{
    BitBtn11->SetCaption("Start");
    BitBtn12->SetVisible(true);
    Timer2->SetEnabled(false);
    Running = false;
    RadioGroup1->SetEnabled(true);
    BitBtn6->SetEnabled(true);
}

void TForm1::BitBtn11Click(gui::TObject *)
{
    using namespace Drv232;
    const std::int32_t function = ParameterRecord.Function;
    if (function == 0) {
        SetStatus(0, "Vlastní čas [hod:min]");
        DisplayText = HighPairText(gui::ToCp1250(Edit2->Text())) + LowPairText(gui::ToCp1250(Edit3->Text()));
        SendDisplayText();
        return;
    }
    if (function < 1 || function > 6)
        return;
    if (Running) {
        StopRunning();
        return;
    }

    switch (function) {
    case 1:
    case 2: {
        SampleClock();
        SetStatus(0, Text(ClockText()));
        const std::string &high = function == 1 ? ClockHours : ClockMinutes;
        const std::string &low = function == 1 ? ClockMinutes : ClockSeconds;
        DisplayText = high + low;
        Edit2->SetText(Text(high));
        Edit3->SetText(Text(low));
        SendDisplayText();
        StartRunning(FastTick);
        break;
    }
    case 3:
    case 4: {
        const bool minutesSeconds = function == 4;
        SetStatus(0, minutesSeconds ? "Stopky nahoru [min:sec]" : "Stopky nahoru [hod:min]");
        if (!minutesSeconds)
            WatchHours = 0;
        WatchMinutes = 0;
        WatchSeconds = 0;
        SampleClock();
        // Hours:minutes count when the clock next shows the second before
        // the start; minutes:seconds count at every change of second.
        LastSecond = minutesSeconds ? ClockSecond : SecondBefore(ClockSecond);
        DisplayText = "0000";
        Edit2->SetText("00");
        Edit3->SetText("00");
        SendDisplayText();
        StartRunning(minutesSeconds ? FastTick : SlowTick);
        break;
    }
    case 5:
        StartDownCount(WatchHours, WatchMinutes, "Stopky DOWN [hod:min]", false);
        break;
    case 6:
        StartDownCount(WatchMinutes, WatchSeconds, "Stopky DOWN [min:sec]", true);
        break;
    }
}

void TForm1::StartDownCount(std::uint16_t &high, std::uint16_t &low, const char *statusText, bool minutesSeconds)
{
    using namespace Drv232;
    // Only the low 16 bits are kept, so "-1" counts down from 65535.
    const auto highValue = gui::StrToIntStrict(Edit2->Text());
    if (highValue)
        high = static_cast<std::uint16_t>(*highValue);
    const auto lowValue = highValue ? gui::StrToIntStrict(Edit3->Text()) : std::nullopt;
    if (!highValue || !lowValue) {
        gui::ShowErrorBox(this, "Chybný formát čísla");
        return;
    }
    low = static_cast<std::uint16_t>(*lowValue);

    SampleClock();
    LastSecond = minutesSeconds ? ClockSecond : SecondBefore(ClockSecond);
    DisplayText = HighPairText(gui::ToCp1250(Edit2->Text())) + LowPairText(gui::ToCp1250(Edit3->Text()));

    // A failed first send keeps its failure text; the count starts all the same.
    if (SendDisplayText())
        SetStatus(0, statusText);
    StartRunning(minutesSeconds ? FastTick : SlowTick);
}

void TForm1::BitBtn12Click(gui::TObject *)
{
    using namespace Drv232;
    DisplayText = "???";
    if (ExchangeValue()) {
        const std::string reply = ReplyText();
        Edit2->SetText(Text(reply.substr(0, 2)));
        Edit3->SetText(Text(reply.substr(2, 2)));
    } else {
        SetStatus(0, "Chyba při odesílání dat");
    }
}
