#pragma once
// An emulated QMX8350T display unit on a pseudo-terminal. The slave side of
// the pty is linked as <port dir>/COMn, where the program looks for ports
// when QMX_PORT_DIR is set. Frames are parsed here independently of the
// program's own frame code, so one bug cannot hide on both sides of the line.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sim {

enum class Behaviour {
    Normal,          // answers value commands with four characters, CR, LF
    Silent,          // reads everything, answers nothing
    WrongTerminator, // answers four characters, LF, CR
    ShortReply,      // answers five bytes only (no LF)
    SlowBytes,       // answers with a 25 ms gap between the bytes
    StrayByte,       // sends one extra byte before each reply
    AlwaysMMMM,      // answers "MMMM" whatever it was sent
};

struct Frame {
    enum class Kind { Value, Digit, Garbage };
    Kind kind = Kind::Garbage;
    std::vector<std::uint8_t> bytes;                 // the frame as it came off the wire
    std::chrono::steady_clock::time_point received;  // when its first byte arrived
    std::chrono::steady_clock::time_point completed; // when its last byte arrived
    std::vector<std::uint8_t> reply;                 // what the display answered (may be empty)
};

struct Options {
    std::string portDir;               // folder where COMn is linked
    int portNumber = 3;                // n of COMn
    std::string initialValue = "0000"; // the four characters held at start
    Behaviour behaviour = Behaviour::Normal;
    bool pacing = false; // 9600 baud: about 1.04 ms a byte
    int gapMs = 25;      // gap between bytes for SlowBytes
};

class DisplaySim {
public:
    explicit DisplaySim(Options options);
    ~DisplaySim(); // stops and removes the link
    DisplaySim(const DisplaySim &) = delete;
    DisplaySim &operator=(const DisplaySim &) = delete;

    // Creates the pty, links it and starts answering. False with a reason in
    // error() when the pty or the link cannot be made.
    bool start();
    // Closes the pty and removes the link, as a USB adapter pulled out: the
    // program's end of the line hangs up and the name is gone. The value,
    // the behaviour and the log stay, so start() again is the display
    // plugged back in, on a new pty under the same COMn.
    void stop();
    bool running() const;
    const std::string &error() const;

    std::string linkPath() const;  // <port dir>/COMn
    std::string slavePath() const; // /dev/pts/N

    void setBehaviour(Behaviour behaviour);
    Behaviour behaviour() const;
    void setPacing(bool on);
    void setGapMs(int ms);

    // The four characters the display holds.
    std::string value() const;
    void setValue(const std::string &fourChars);
    // The five cells of the last digit frame, leftmost first, bit 7 = point.
    std::array<std::uint8_t, 5> digitCells() const;

    std::vector<Frame> frames() const;
    // Forgets the frames received so far, also one whose reply is still
    // going out when this is called.
    void clearFrames();
    // Waits until at least count frames were logged; false on time-out.
    bool waitForFrames(std::size_t count, std::chrono::milliseconds timeout) const;

    // Called on the sim's own thread after each frame was handled.
    void onFrame(std::function<void(const Frame &)> callback);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

std::string FrameToHex(const std::vector<std::uint8_t> &bytes);

} // namespace sim
