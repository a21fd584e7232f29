#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QThread;

// The clock's side of speech: hands sentences to the speech module, which it loads on first use, on
// a thread of its own, so that neither the load nor the speaking ever holds up the clock's thread.
namespace speech {

class SpeakerWorker;

// Where the speech module is: beside the program (a build directory), in the installation the
// program runs from, or where it was built to be installed. Empty when there is none.
QString locateSpeechModule();

// A fast rate that is still clear (about 280 words a minute with espeak-ng).
inline constexpr double kDefaultRate = 0.4;
inline constexpr double kRateStep = 0.1;
// A sentence begun this long ago has been heard: a word at least, and a key pressed after it may
// answer it. Before that the sound has hardly reached the player.
inline constexpr qint64 kHeardAfterMs = 150;
// A time heard this long after it was read is read again as it begins.
inline constexpr qint64 kStaleAfterMs = 500;

class Speaker : public QObject {
    Q_OBJECT
public:
    // Module: the real speech module. Record: nothing is loaded and nothing is heard; what would
    // have been said is only kept (said()), for tests of the sentences.
    enum class Backend { Module, Record };
    static void setDefaultBackend(Backend backend);

    // module: the speech module to load; by default the one found beside the program.
    explicit Speaker(QObject *parent = nullptr);
    Speaker(const QString &module, QObject *parent);
    ~Speaker() override;

    // Hands the text over and returns at once; the clock's own sentence under way stops for it.
    void say(const QString &text);
    // The same for a text that tells the time, which must be the time when it is heard: composed
    // when the module can take it (a second or two after the first request), and composed again
    // when it begins to be heard more than kStaleAfterMs later (it waited behind a screen reader's
    // speech); when the time has moved on meanwhile, the new text is said in its place. A request
    // while such a sentence waits, not yet heard, is answered by that sentence.
    void sayFresh(std::function<QString()> compose);
    // Loads the module ahead of the first sentence (a game with announcements is starting).
    void prepare();
    // Stops the clock's sentence if it is being heard, and returns whether it was. One that only
    // waits (for the module, or in the speech service's queue behind other speech) goes on: the key
    // cannot have been meant for it.
    bool stop();
    // A sentence began at least kHeardAfterMs ago and has not ended.
    bool heard() const;
    // A sentence was handed over and has not ended yet, or one waits for the module.
    bool speaking() const { return m_speaking || m_waiting; }

    double rate() const { return m_rate; }
    void setRate(double rate);

    // Everything handed over so far, oldest first (the last hundred).
    QStringList said() const { return m_said; }
    // Whether the module was asked for (by a sentence or by prepare()); the recorder loads nothing.
    bool moduleRequested() const { return m_requested; }
    // Empty while speech works or before it was first tried, else why it cannot.
    QString unavailableReason() const { return m_unavailable; }
    // How long the module took to load and find its voice, in ms; -1 before it was loaded.
    double loadMilliseconds() const { return m_loadMs; }

Q_SIGNALS:
    // The module is loaded and has a Norwegian voice.
    void ready();
    // Once, the first time speech turns out not to be there: why, for the user.
    void unavailable(const QString &why);
    // Speaking failed after it had worked: why, for the user.
    void failed(const QString &why);

private:
    void start();
    void hand(const QString &text, std::function<QString()> compose);
    void loaded(const QString &unavailableReason, double milliseconds);
    void began(quint64 sentence);
    void ended(quint64 sentence);

    Backend m_backend;
    QString m_module;
    bool m_locate = false; // the module is the one beside the program, found at the first use
    double m_rate = kDefaultRate;
    QStringList m_said;
    bool m_requested = false;
    bool m_loaded = false;
    std::function<QString()> m_waiting; // a time asked for while the module loads
    // The sentence handed to the module last.
    quint64 m_sentence = 0; // counts the sentences handed to the module
    bool m_speaking = false;
    qint64 m_beganAt = -1;              // ms of m_clock; -1 while it waits
    std::function<QString()> m_compose; // a time's sentence is composed again by this
    QString m_text;
    qint64 m_composedAt = 0;
    double m_composedRate = kDefaultRate;
    int m_recomposed = 0;
    QElapsedTimer m_clock;
    QThread *m_thread = nullptr;
    SpeakerWorker *m_worker = nullptr;
    QString m_unavailable;
    double m_loadMs = -1;
};

} // namespace speech
