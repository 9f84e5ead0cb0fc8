#include "window_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <stdexcept>

// The window goes before the displays and the link it talks to.
void MainWindowTest::TearDown()
{
    form.reset();
    DisplayTest::TearDown();
}

void MainWindowTest::WriteSettings(int port, int period, int function, int wholeDisplay)
{
    Drv232::TParameterRecord record{};
    record.Port = static_cast<std::uint8_t>(port);
    record.Period = static_cast<std::uint16_t>(period);
    record.Function = function;
    record.WholeDisplay = static_cast<std::uint8_t>(wholeDisplay);
    std::ofstream(work / "Parametry.par", std::ios::binary)
        .write(reinterpret_cast<const char *>(&record), sizeof record);
}

void MainWindowTest::Start()
{
    form = std::make_unique<TForm1>();
    form->Show();
    // The search runs inside the activation event and may take half a minute.
    ASSERT_TRUE(QTest::qWaitForWindowActive(Widget(*form), 60000));
    QApplication::processEvents();
}

std::string MainWindowTest::Panel(int index) const
{
    return form->StatusBar1->PanelText(index);
}

std::vector<std::pair<int, sim::Frame>> MainWindowTest::WireLog() const
{
    std::vector<std::pair<int, sim::Frame>> log;
    for (const auto &display : displays) {
        const int port = std::stoi(display->linkPath().substr(display->linkPath().rfind("COM") + 3));
        for (const auto &frame : display->frames())
            log.emplace_back(port, frame);
    }
    std::stable_sort(log.begin(), log.end(),
                     [](const auto &a, const auto &b) { return a.second.received < b.second.received; });
    return log;
}

void MainWindowTest::ClearWire()
{
    for (auto &display : displays)
        display->clearFrames();
}

void MainWindowTest::SetClock(int h, int m, int s)
{
    platform::SetClockSource([h, m, s] { return platform::LocalTime{h, m, s, 500}; });
}

void MainWindowTest::Tick()
{
    form->Timer2->OnTimer(form->Timer2);
}

std::string Hex(const std::string &bytes)
{
    return sim::FrameToHex(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}
