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
    // The same for a text that tells the time: composed when it can be spoken, so that a sentence
    // asked for while the module still loads (a second or two, the first time) is not late. A
    // newer request replaces one still waiting.
    void sayFresh(std::function<QString()> compose);
    // Loads the module ahead of the first sentence (a game with announcements is starting).
    void prepare();
    // Stops the clock's sentence being said or waiting to be; returns whether there was one.
    bool stop();
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
    void loaded(const QString &unavailableReason, double milliseconds);
    void ended(quint64 sentence);

    Backend m_backend;
    QString m_module;
    bool m_locate = false; // the module is the one beside the program, found at the first use
    double m_rate = kDefaultRate;
    QStringList m_said;
    bool m_requested = false;
    bool m_loaded = false;
    std::function<QString()> m_waiting;
    bool m_speaking = false;
    quint64 m_sentence = 0; // counts the sentences handed to the module
    QThread *m_thread = nullptr;
    SpeakerWorker *m_worker = nullptr;
    QString m_unavailable;
    double m_loadMs = -1;
};

} // namespace speech
