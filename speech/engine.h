#pragma once

#include <QString>

#include <functional>

// The narrow interface between the clock and its speech module (partivakt-speech), which is the
// only part of the program that links Qt TextToSpeech. The clock loads the module on first use, so
// that a clock that never speaks never maps the speech libraries.
namespace speech {

class Engine {
public:
    virtual ~Engine() = default;
    // Empty when the engine can speak Norwegian here, else why not, for the user.
    virtual QString unavailableReason() const = 0;
    // Stops whatever is being said and says text instead.
    virtual void say(const QString &text) = 0;
    // -1 (slowest) to 1 (fastest); 0 is the service's own rate.
    virtual void setRate(double rate) = 0;
    // Told when speaking fails after the engine came up (the service went away, ...).
    virtual void setFailureHandler(std::function<void(const QString &why)> handler) = 0;
};

// The module's one exported function: a new engine, or null when the module was built for
// another version of this interface.
using CreateEngine = Engine *(*)(int interfaceVersion);
inline constexpr char kCreateEngineSymbol[] = "partivakt_speech_create";
inline constexpr int kEngineInterfaceVersion = 1;

} // namespace speech
