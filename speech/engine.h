#pragma once

#include <QString>

#include <functional>

// The narrow interface between the clock and its speech module (partivakt-speech), which is the
// only part of the program that links speech libraries. The clock loads the module on first use, so
// that a clock that never speaks never maps them.
namespace speech {

class Engine {
public:
    virtual ~Engine() = default;
    // Empty when the engine can speak Norwegian here, else why not, for the user.
    virtual QString unavailableReason() const = 0;
    // Says text in place of the clock's own sentence under way, never cutting another program's
    // speech (a screen reader's). Returns the sentence's number, or -1 when nothing will be said.
    virtual int say(const QString &text) = 0;
    // Stops the clock's own sentence, and only that.
    virtual void stop() = 0;
    enum class Notice { Began, Ended };
    // Told, on any thread, when a sentence began to be heard (the speech service's queue, where it
    // may wait behind other programs' speech, is behind it), and when it ended, said whole or cut.
    virtual void setNoticeHandler(std::function<void(int sentence, Notice notice)> handler) = 0;
    // -1 (slowest) to 1 (fastest); 0 is the service's own rate.
    virtual void setRate(double rate) = 0;
    // Told when speaking fails after the engine came up (the service went away, ...).
    virtual void setFailureHandler(std::function<void(const QString &why)> handler) = 0;
};

// The module's one exported function: a new engine, or null when the module was built for
// another version of this interface.
using CreateEngine = Engine *(*)(int interfaceVersion);
inline constexpr char kCreateEngineSymbol[] = "partivakt_speech_create";
inline constexpr int kEngineInterfaceVersion = 3;

} // namespace speech
