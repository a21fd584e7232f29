#include "speaking.h"

#include "clock/frmhoved.h"
#include "clock/numbers.h"
#include "speech/preferences.h"
#include "speech/speaker.h"

#include <QAction>
#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

namespace app {

using gameclock::frmhoved;

namespace {

// The lasting warnings that are said when they appear, each in a sentence a voice reads well.
QString warningSentence(frmhoved::Lasting state, const QString &message)
{
    switch (state) {
    case frmhoved::Lasting::Battery:
        return message;
    case frmhoved::Lasting::Sleep:
        return QStringLiteral("Spillet ble satt på pause fordi maskinen gikk i dvale.");
    case frmhoved::Lasting::Backup:
        return QStringLiteral("Sikkerhetskopien kan ikke lagres.");
    default:
        return {};
    }
}

} // namespace

speech::ClockState clockState(const gameclock::Game &game)
{
    speech::ClockState state;
    for (const gameclock::Player p : gameclock::kPlayers) {
        const gameclock::SideView view = game.side(p);
        speech::PlayerState &said = p == gameclock::Player::A ? state.a : state.b;
        said.name = game.typedName(p);
        said.flagFallen = view.flagFallen;
        if (view.countsDown) {
            said.leftMs = view.leftMs;
            said.moves = view.moves.value_or(0);
        } else if (view.timeKnown) {
            said.minutes = view.minutes;
            said.seconds = view.seconds;
        } else {
            said.shown = view.time;
        }
    }
    state.limit = gameclock::numericValue(game.limit());
    switch (game.phase()) {
    case gameclock::Phase::SetUp:
        break;
    case gameclock::Phase::Running:
        state.turn = game.turn() == gameclock::Player::A ? speech::Turn::A : speech::Turn::B;
        break;
    case gameclock::Phase::Paused:
        state.turn = speech::Turn::Paused;
        break;
    }
    return state;
}

speech::Speaker *connectSpeech(frmhoved &main)
{
    auto *speaker = new speech::Speaker(&main);
    // The user's choices are read when first needed (the menu opened, a request, a game started):
    // read at start, the settings machinery would cost every start memory.
    struct Choices {
        bool read = false;
        speech::Preferences preferences;
    };
    const auto choices = std::make_shared<Choices>();
    const auto chosen = [&main, speaker, choices]() -> speech::Preferences & {
        if (!choices->read) {
            choices->read = true;
            choices->preferences = speech::loadPreferences();
            speaker->setRate(choices->preferences.rate);
            const QSignalBlocker quiet(main.LesOpp);
            main.LesOpp->setChecked(choices->preferences.announce);
        }
        return choices->preferences;
    };
    const auto keep = [&main, choices] {
        if (const QString why = speech::savePreferences(choices->preferences); !why.isEmpty())
            main.report(why);
    };
    QObject::connect(main.Vis, &QMenu::aboutToShow, speaker, [chosen] { chosen(); });

    // Speech that is not there is said once; the clock goes on as it would without.
    const auto note = [&main](const QString &why) {
        qWarning("partivakt: %s", qUtf8Printable(why));
        main.report(why);
    };
    QObject::connect(speaker, &speech::Speaker::unavailable, &main, note);
    QObject::connect(speaker, &speech::Speaker::failed, &main, note);

    gameclock::Game &game = main.game();
    const auto sayTime = [&game, speaker] {
        // Composed when it is said: the time then, not at the key.
        speaker->sayFresh([&game] {
            game.readTime();
            return speech::timeSentence(clockState(game));
        });
    };
    // A Ctrl pressed while the clock speaks stops it and asks for nothing: the player who taps Ctrl
    // to silence a screen reader silences the clock too. The next tap asks again.
    const auto silenced = std::make_shared<bool>(false);
    QObject::connect(&main, &frmhoved::silenceRequested, speaker, [speaker, silenced] { *silenced = speaker->stop(); });
    QObject::connect(&main, &frmhoved::timeRequested, speaker, [chosen, sayTime, silenced] {
        if (std::exchange(*silenced, false))
            return;
        chosen();
        sayTime();
    });
    // Each second may bring a minute or a count; a clock standing still in its delay says it once.
    const auto announcer = std::make_shared<speech::Announcer>();
    QObject::connect(&game, &gameclock::Game::secondCounted, speaker,
                     [&game, speaker, chosen, announcer](gameclock::Player p) {
                         if (!chosen().announce)
                             return;
                         const QString sentence = announcer->tick(clockState(game), p == gameclock::Player::A);
                         if (!sentence.isEmpty())
                             speaker->say(sentence);
                     });
    // A flag is said whatever found it: a second, the refresh, a switch or a pause.
    QObject::connect(&game, &gameclock::Game::flagFell, speaker, [&game, speaker, chosen](gameclock::Player p) {
        if (chosen().announce)
            speaker->say(speech::flagSentence(clockState(game), p == gameclock::Player::A));
    });
    for (const auto fresh : {&gameclock::Game::reset, &gameclock::Game::restored, &gameclock::Game::corrected})
        QObject::connect(&game, fresh, speaker, [announcer] { announcer->forget(); });
    // The start says the game: a limit box that Tab emptied is heard at once.
    QObject::connect(&game, &gameclock::Game::started, speaker, [&game, speaker, chosen](gameclock::Player first) {
        if (chosen().announce)
            speaker->say(speech::startSentence(clockState(game), first == gameclock::Player::A));
    });
    // A warning is said when it appears, not at each change of its text (the battery's percentage).
    const auto shown = std::make_shared<std::map<frmhoved::Lasting, bool>>();
    QObject::connect(&main, &frmhoved::lastingChanged, speaker, [&main, speaker, shown, chosen] {
        for (const auto state : {frmhoved::Lasting::Backup, frmhoved::Lasting::Sleep, frmhoved::Lasting::Battery}) {
            const QString message = main.lastingMessage(state);
            bool &was = (*shown)[state];
            if (!message.isEmpty() && !was && chosen().announce)
                speaker->say(warningSentence(state, message));
            was = !message.isEmpty();
        }
    });

    QObject::connect(main.LesOpp, &QAction::toggled, speaker, [&main, speaker, chosen, keep](bool on) {
        // Read before the first change, the stored choice gives way to the one just made.
        chosen().announce = on;
        const QSignalBlocker quiet(main.LesOpp);
        main.LesOpp->setChecked(on);
        keep();
        if (on)
            speaker->say(QStringLiteral("Opplesing på."));
    });
    const auto changeRate = [speaker, chosen, keep, sayTime](double step) {
        speech::Preferences &p = chosen();
        p.rate = std::clamp(p.rate + step, -1.0, 1.0);
        speaker->setRate(p.rate);
        keep();
        // The time itself, so that the player hears the new rate on what it is used for.
        sayTime();
    };
    QObject::connect(main.TaleRaskere, &QAction::triggered, speaker, [changeRate] { changeRate(speech::kRateStep); });
    QObject::connect(main.TaleSaktere, &QAction::triggered, speaker, [changeRate] { changeRate(-speech::kRateStep); });

    // With announcements on, the module is loaded as a game starts, so that the first
    // announcement does not wait for it.
    const auto prepare = [&main, speaker, chosen] {
        if ((main.tida->isActive() || main.tidb->isActive()) && chosen().announce)
            speaker->prepare();
    };
    QObject::connect(main.tida, &toolkit::Timer::activeChanged, speaker, prepare);
    QObject::connect(main.tidb, &toolkit::Timer::activeChanged, speaker, prepare);
    return speaker;
}

} // namespace app
