// The speech module: Qt TextToSpeech behind the clock's narrow interface. Runs on the speaker's
// thread, never on the clock's.

#include "engine.h"

#include <QLocale>
#include <QTextToSpeech>

#include <algorithm>
#include <memory>

namespace {

class TextToSpeechEngine : public speech::Engine {
public:
    TextToSpeechEngine() { m_unavailable = open(); }

    QString unavailableReason() const override { return m_unavailable; }

    void say(const QString &text) override
    {
        // Without speech from the start there is nothing to try; that was said once already.
        if (!m_unavailable.isEmpty())
            return;
        if (m_broken) {
            // The service went away; it may be back (a desktop starts speech-dispatcher again on demand).
            if (const QString why = open(); !why.isEmpty()) {
                fail(why);
                return;
            }
        }
        // The newest request is the one that counts: a time read out late is a wrong time. Its text
        // priority makes speech-dispatcher drop the sentence under way by itself; other engines queue,
        // and the engine's state may not show yet that the last sentence began, so stop in any case.
        m_tts->stop(QTextToSpeech::BoundaryHint::Immediate);
        m_tts->say(text);
    }

    void setRate(double rate) override
    {
        m_rate = rate;
        if (m_tts)
            m_tts->setRate(rate);
    }

    void setFailureHandler(std::function<void(const QString &)> handler) override { m_failed = std::move(handler); }

private:
    // Connects to the speech service and chooses a Norwegian voice; empty when that worked, else why
    // not, for the user.
    QString open()
    {
        m_tts.reset();
        m_broken = false;
        const QStringList engines = QTextToSpeech::availableEngines();
        if (engines.isEmpty())
            return QStringLiteral("Tale er ikke tilgjengelig: Qt TextToSpeech har ingen taletjeneste "
                                  "(installer qt6-speech-speechd-plugin og speech-dispatcher).");
        // The desktop's own speech service first: it is what screen readers use.
        const QString name =
            engines.contains(QStringLiteral("speechd")) ? QStringLiteral("speechd") : engines.constFirst();
        const QString service = name == QLatin1String("speechd") ? QStringLiteral("speech-dispatcher") : name;
        // Qt's speech-dispatcher engine reads the list of every voice of the service here: more than a
        // second with espeak-ng's thousands.
        auto tts = std::make_unique<QTextToSpeech>(name);
        // Qt's own reasons are in English; the user reads which service failed.
        if (tts->state() == QTextToSpeech::Error)
            return QStringLiteral("Tale er ikke tilgjengelig: taletjenesten svarer ikke (%1).").arg(service);
        const QList<QLocale> locales = tts->availableLocales();
        const auto language = [&locales](QLocale::Language wanted) {
            return std::find_if(locales.begin(), locales.end(),
                                [wanted](const QLocale &l) { return l.language() == wanted; });
        };
        auto norwegian = language(QLocale::NorwegianBokmal);
        if (norwegian == locales.end())
            norwegian = language(QLocale::NorwegianNynorsk);
        if (norwegian == locales.end())
            return QStringLiteral("Tale er ikke tilgjengelig: taletjenesten (%1) har ingen norsk stemme "
                                  "(installer espeak-ng).")
                .arg(service);
        tts->setLocale(*norwegian);
        tts->setRate(m_rate);
        QObject::connect(tts.get(), &QTextToSpeech::errorOccurred, tts.get(), [this, service] {
            m_broken = true;
            fail(QStringLiteral("Talen virker ikke lenger: taletjenesten (%1) svarer ikke.").arg(service));
        });
        m_tts = std::move(tts);
        return {};
    }

    void fail(const QString &why)
    {
        m_broken = true;
        if (m_failed)
            m_failed(why);
    }

    std::unique_ptr<QTextToSpeech> m_tts;
    QString m_unavailable;
    bool m_broken = false;
    double m_rate = 0;
    std::function<void(const QString &)> m_failed;
};

} // namespace

extern "C" Q_DECL_EXPORT speech::Engine *partivakt_speech_create(int interfaceVersion)
{
    if (interfaceVersion != speech::kEngineInterfaceVersion)
        return nullptr;
    return new TextToSpeechEngine;
}
