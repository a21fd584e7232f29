#include "speaker.h"

#include "engine.h"

#include "desktop/process.h"

#include <QLibrary>
#include <QThread>

#include <memory>
#include <utility>

namespace speech {

namespace {

Speaker::Backend &defaultBackend()
{
    static Speaker::Backend backend = Speaker::Backend::Module;
    return backend;
}

constexpr qsizetype kKeptSentences = 100;

} // namespace

// Lives on the speech thread: loads the module there and talks to the engine there, so that a slow
// load or a service that does not answer only ever keeps this thread waiting.
class SpeakerWorker : public QObject {
    Q_OBJECT
public:
    ~SpeakerWorker() override
    {
        // The engine's objects belong to this thread; the library stays loaded, as its code may
        // still be referred to by Qt's plug-in cache.
        m_engine.reset();
    }

    void load(const QString &module, double rate)
    {
        QElapsedTimer timer;
        timer.start();
        const QString why = open(module);
        if (why.isEmpty()) {
            m_engine->setRate(rate);
            m_engine->setFailureHandler([this](const QString &failure) { Q_EMIT failed(failure); });
            // Told on the service's reader thread; the numbers are compared here, after say() took
            // the number of the newest sentence.
            m_engine->setNoticeHandler([this](int id, Engine::Notice notice) {
                QMetaObject::invokeMethod(
                    this,
                    [this, id, notice] {
                        if (id != m_id)
                            return;
                        if (notice == Engine::Notice::Began)
                            Q_EMIT began(m_sentence);
                        else
                            Q_EMIT ended(m_sentence);
                    },
                    Qt::QueuedConnection);
            });
        }
        Q_EMIT loaded(why, timer.nsecsElapsed() / 1e6);
    }
    void say(quint64 sentence, const QString &text)
    {
        m_sentence = sentence;
        m_id = m_engine ? m_engine->say(text) : -1;
        if (m_id < 0)
            Q_EMIT ended(sentence);
    }
    void stop()
    {
        if (m_engine)
            m_engine->stop();
    }
    void setRate(double rate)
    {
        if (m_engine)
            m_engine->setRate(rate);
    }

Q_SIGNALS:
    void loaded(const QString &unavailableReason, double milliseconds);
    void failed(const QString &why);
    // The sentence handed over last began to be heard.
    void began(quint64 sentence);
    // The sentence handed over last ended (said, cut, or never begun).
    void ended(quint64 sentence);

private:
    QString open(const QString &module)
    {
        if (module.isEmpty())
            return QStringLiteral("Tale er ikke tilgjengelig: talemodulen partivakt-speech er ikke installert.");
        m_library.setFileName(module);
        if (!m_library.load())
            return QStringLiteral("Tale er ikke tilgjengelig: talemodulen kan ikke lastes (%1).")
                .arg(m_library.errorString());
        const auto create = reinterpret_cast<CreateEngine>(m_library.resolve(kCreateEngineSymbol));
        if (create)
            m_engine.reset(create(kEngineInterfaceVersion));
        if (!m_engine)
            return QStringLiteral("Tale er ikke tilgjengelig: talemodulen %1 hører til en annen utgave av Partivakt.")
                .arg(module);
        return m_engine->unavailableReason();
    }

    QLibrary m_library;
    std::unique_ptr<Engine> m_engine;
    quint64 m_sentence = 0;
    int m_id = -1; // the engine's number of that sentence
};

QString locateSpeechModule()
{
    return desktop::locatePart(QStringLiteral(PARTIVAKT_SPEECH_MODULE_FILE),
                               QStringLiteral(PARTIVAKT_SPEECH_BIN_TO_MODULE),
                               QStringLiteral(PARTIVAKT_SPEECH_INSTALL_DIR), false);
}

void Speaker::setDefaultBackend(Backend backend)
{
    defaultBackend() = backend;
}

Speaker::Speaker(QObject *parent) : Speaker(QString(), parent)
{
    // Looked for at the first use: a clock that never speaks does not even look.
    m_locate = true;
}

Speaker::Speaker(const QString &module, QObject *parent)
    : QObject(parent), m_backend(defaultBackend()), m_module(module)
{
    m_clock.start();
}

Speaker::~Speaker()
{
    if (!m_thread)
        return;
    // What was handed over before is dropped; the engine is destroyed on its own thread.
    m_thread->quit();
    if (!m_thread->wait(2000)) {
        // A service that hangs must not hang the end of the program: the thread is left to end on
        // its own, or with the process.
        m_thread->setParent(nullptr);
        connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
        m_thread = nullptr;
    }
}

void Speaker::start()
{
    m_requested = true;
    if (m_thread || m_backend == Backend::Record)
        return;
    if (m_locate)
        m_module = locateSpeechModule();
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("speech"));
    m_worker = new SpeakerWorker;
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &SpeakerWorker::loaded, this, &Speaker::loaded);
    connect(m_worker, &SpeakerWorker::failed, this, &Speaker::failed);
    connect(m_worker, &SpeakerWorker::began, this, &Speaker::began);
    connect(m_worker, &SpeakerWorker::ended, this, &Speaker::ended);
    m_thread->start();
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker, module = m_module, rate = m_rate] { w->load(module, rate); }, Qt::QueuedConnection);
}

void Speaker::prepare()
{
    start();
}

void Speaker::say(const QString &text)
{
    hand(text, {});
}

void Speaker::hand(const QString &text, std::function<QString()> compose)
{
    m_said.append(text);
    if (m_said.size() > kKeptSentences)
        m_said.removeFirst();
    start();
    m_compose = std::move(compose);
    if (m_worker) {
        m_speaking = true;
        m_beganAt = -1;
        m_text = text;
        m_composedAt = m_clock.elapsed();
        m_composedRate = m_rate;
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker, n = ++m_sentence, text] { w->say(n, text); }, Qt::QueuedConnection);
    }
}

bool Speaker::heard() const
{
    return m_speaking && m_beganAt >= 0 && m_clock.elapsed() - m_beganAt >= kHeardAfterMs;
}

bool Speaker::stop()
{
    if (!heard())
        return false;
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->stop(); }, Qt::QueuedConnection);
    m_speaking = false;
    m_compose = {};
    return true;
}

void Speaker::began(quint64 sentence)
{
    if (sentence != m_sentence || !m_speaking)
        return;
    m_beganAt = m_clock.elapsed();
    // It waited behind other speech: the time it tells is read again. Another program's sentence
    // may slip in before the new one each time, so a few times at most.
    constexpr int kMostRecompositions = 3;
    if (!m_compose || m_beganAt - m_composedAt <= kStaleAfterMs || m_recomposed >= kMostRecompositions)
        return;
    const QString text = m_compose();
    if (text == m_text)
        return;
    ++m_recomposed;
    hand(text, m_compose);
}

void Speaker::ended(quint64 sentence)
{
    // An older sentence cut by a newer one says nothing about the newer.
    if (sentence == m_sentence) {
        m_speaking = false;
        m_compose = {};
    }
}

void Speaker::sayFresh(std::function<QString()> compose)
{
    if (!m_loaded && m_backend == Backend::Module) {
        m_waiting = std::move(compose);
        start();
        return;
    }
    // The time that waits to be heard answers this request too, and keeps its place in the queue.
    if (m_compose && m_speaking && !heard() && m_composedRate == m_rate)
        return;
    m_recomposed = 0;
    const QString text = compose();
    hand(text, std::move(compose));
}

void Speaker::setRate(double rate)
{
    m_rate = std::clamp(rate, -1.0, 1.0);
    if (m_worker)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker, r = m_rate] { w->setRate(r); }, Qt::QueuedConnection);
}

void Speaker::loaded(const QString &unavailableReason, double milliseconds)
{
    m_loadMs = milliseconds;
    m_unavailable = unavailableReason;
    m_loaded = true;
    if (m_waiting)
        sayFresh(std::exchange(m_waiting, {}));
    if (unavailableReason.isEmpty())
        Q_EMIT ready();
    else
        Q_EMIT unavailable(unavailableReason);
}

} // namespace speech

#include "speaker.moc"
