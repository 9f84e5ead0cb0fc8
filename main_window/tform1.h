#pragma once
// The main window: the operator panel (function choice, the two large value
// boxes, write/start/stop and read) and the hidden service controls.
#include "gui/form.h"

#include <cstdint>
#include <string>

class TForm1 : public gui::TForm {
public:
    TForm1();

    // Operator panel.
    gui::TLabel *Label10, *Label8, *Label9, *Label7;
    gui::TBevel *Bevel4;
    gui::TEdit *Edit2, *Edit3;
    gui::TBitBtn *BitBtn12, *BitBtn11, *BitBtn6;
    gui::TCheckBox *CheckBox1;
    gui::TRadioGroup *RadioGroup1;
    gui::TStatusBar *StatusBar1;
    gui::TTimer *Timer2;

    // Service controls, hidden in this layout.
    gui::TButton *Button1, *Button4, *Button5;
    gui::TLabel *Label5, *Label1, *Label2, *Label4, *Label6, *Label3;
    gui::TBevel *Bevel1, *Bevel2, *Bevel3;
    gui::TSpinEdit *SpinEdit1;
    gui::TBitBtn *BitBtn9, *BitBtn10, *BitBtn1, *BitBtn3, *BitBtn2, *BitBtn7, *BitBtn8, *BitBtn5, *BitBtn4;
    gui::TSpeedButton *SpeedButton1, *SpeedButton2;
    gui::TEdit *Edit1;
    gui::TTimer *Timer1;

    // Start-up and function choice.
    void FormActivate(gui::TObject *Sender);
    void RadioGroup1Click(gui::TObject *Sender);
    void CheckBox1Click(gui::TObject *Sender);

    // Write, start, stop, read, and the ticks of a running function.
    void BitBtn11Click(gui::TObject *Sender);
    void BitBtn12Click(gui::TObject *Sender);
    void Timer2Timer(gui::TObject *Sender);

    // Exit.
    void BitBtn6Click(gui::TObject *Sender);

    // Service controls: fixed and stepped values, the value through Edit1,
    // the value file by hand and at a set period, the test window.
    void Button1Click(gui::TObject *Sender);
    void Button4Click(gui::TObject *Sender);
    void Button5Click(gui::TObject *Sender);
    void BitBtn1Click(gui::TObject *Sender);
    void BitBtn2Click(gui::TObject *Sender);
    void BitBtn3Click(gui::TObject *Sender);
    void Edit1Exit(gui::TObject *Sender);
    void BitBtn4Click(gui::TObject *Sender);
    void BitBtn5Click(gui::TObject *Sender);
    void SpinEdit1Exit(gui::TObject *Sender);
    void BitBtn9Click(gui::TObject *Sender);
    void BitBtn10Click(gui::TObject *Sender);
    void Timer1Timer(gui::TObject *Sender);
    void SpeedButton1Click(gui::TObject *Sender);
    void SpeedButton2Click(gui::TObject *Sender);
    void BitBtn7Click(gui::TObject *Sender);
    void BitBtn8Click(gui::TObject *Sender);

    // The window for a technician: the client area grows to hold the
    // service controls, which are shown at their places in the states that
    // automatic sending off and locked file buttons have.
    void ShowServiceControls();

    // The running state and the stop-watch counters.
    bool Running = false;
    std::uint16_t WatchHours = 0;
    std::uint16_t WatchMinutes = 0;
    std::uint16_t WatchSeconds = 0;
    std::uint16_t LastSecond = 0;

    // Sends DisplayText with the letter of the whole-display switch; true when
    // the display answered.
    bool SendDisplayText();
    void StartRunning(int intervalMs);
    void StopRunning();

private:
    void SetStatus(int panel, const std::string &text);
    void PadWithZeros(std::size_t length);
    void ServiceSend();
    void StepReplyValue(bool up);
    void StartDownCount(std::uint16_t &high, std::uint16_t &low, const char *statusText, bool minutesSeconds);
    void ShowAndSendCount(std::uint16_t high, std::uint16_t low);
};

// The text rules of a four-digit value; texts are Windows-1250 bytes.
std::string HighPairText(const std::string &text);
std::string LowPairText(const std::string &text);
// "14 : 05 : 09" from the last clock sample.
std::string ClockText();
