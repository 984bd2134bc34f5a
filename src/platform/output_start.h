#pragma once

// Tells from an output stream's played position when its sound really comes out.
// A sound server can report a stream as started, and even move its played
// position on for a while, before anything is heard: an idle PulseAudio null
// sink runs the position up to what the stream has been handed, then holds it
// there for up to two seconds while it renders its first long block. A stream
// counts as playing once its position has moved on by a run of sound in step
// with the clock: never standing still for kStallMs, never ahead of the clock
// by more than kSlackMs, and never behind half of it by more than kSlackMs.
// A run longer than the stream's buffer cannot be made of sound the server has
// not taken.

namespace quelm::wave {

class OutputStartWatch {
public:
    // The run of sound that counts as playing, unless the buffer asks for more.
    static constexpr double kRunMs = 100;
    // A position that stands this long has stopped: the run starts again.
    static constexpr double kStallMs = 100;
    // How far the position may stray from the clock: the server updates it in steps.
    static constexpr double kSlackMs = 50;
    // How much longer than the buffer the run must be.
    static constexpr double kBeyondBufferMs = 20;

    // Forgets every look, as for a stream that has just been started whose
    // buffer holds `bufferMs` of sound.
    void reset(double bufferMs = 0);
    // One look at the stream: a monotonic clock and the played position, both in
    // milliseconds. True from the look at which the stream is playing on.
    bool look(double clockMs, double playedMs);
    bool playing() const { return playing_; }

private:
    void startRun(double clockMs, double playedMs);

    double runMs_ = kRunMs;
    bool looked_ = false;
    bool playing_ = false;
    double runClock_ = 0;   // where the current run began
    double runPlayed_ = 0;
    double lastClock_ = 0;  // the last look
    double lastPlayed_ = 0;
    double lastMoved_ = 0;  // the clock when the position last moved
};

} // namespace quelm::wave
