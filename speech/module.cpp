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
    TextToSpeechEngine()
    {
        const QStringList engines = QTextToSpeech::availableEngines();
        if (engines.isEmpty()) {
            m_unavailable = QStringLiteral("Tale er ikke tilgjengelig: Qt TextToSpeech har ingen taletjeneste "
                                           "(installer qt6-speech-speechd-plugin og speech-dispatcher).");
            return;
        }
        // The desktop's own speech service first: it is what screen readers use.
        const QString name =
            engines.contains(QStringLiteral("speechd")) ? QStringLiteral("speechd") : engines.constFirst();
        m_tts = std::make_unique<QTextToSpeech>(name);
        if (m_tts->state() == QTextToSpeech::Error) {
            // Qt's own reason is in English; the user reads which service failed.
            m_unavailable = QStringLiteral("Tale er ikke tilgjengelig: taletjenesten svarer ikke (%1).")
                                .arg(name == QLatin1String("speechd") ? QStringLiteral("speech-dispatcher") : name);
            return;
        }
        const QList<QLocale> locales = m_tts->availableLocales();
        const auto norwegian = std::find_if(locales.begin(), locales.end(), [](const QLocale &l) {
            return l.language() == QLocale::NorwegianBokmal || l.language() == QLocale::NorwegianNynorsk;
        });
        if (norwegian == locales.end()) {
            m_unavailable = QStringLiteral("Tale er ikke tilgjengelig: taletjenesten har ingen norsk stemme "
                                           "(installer espeak-ng).");
            return;
        }
        // Bokmål before Nynorsk where both are there.
        const auto bokmal = std::find_if(locales.begin(), locales.end(),
                                         [](const QLocale &l) { return l.language() == QLocale::NorwegianBokmal; });
        m_tts->setLocale(bokmal != locales.end() ? *bokmal : *norwegian);
        QObject::connect(m_tts.get(), &QTextToSpeech::errorOccurred, m_tts.get(),
                         [this](QTextToSpeech::ErrorReason, const QString &why) {
                             if (m_failed)
                                 m_failed(QStringLiteral("Talen virker ikke lenger: %1").arg(why));
                         });
    }

    QString unavailableReason() const override { return m_unavailable; }

    void say(const QString &text) override
    {
        if (!m_unavailable.isEmpty())
            return;
        // The newest request is the one that counts: a time read out late is a wrong time. The engine's
        // state may not show yet that the last sentence began, so it is stopped in any case.
        m_tts->stop(QTextToSpeech::BoundaryHint::Immediate);
        m_tts->say(text);
    }

    void setRate(double rate) override
    {
        if (m_tts)
            m_tts->setRate(rate);
    }

    void setFailureHandler(std::function<void(const QString &)> handler) override { m_failed = std::move(handler); }

private:
    std::unique_ptr<QTextToSpeech> m_tts;
    QString m_unavailable;
    std::function<void(const QString &)> m_failed;
};

} // namespace

extern "C" Q_DECL_EXPORT speech::Engine *partivakt_speech_create(int interfaceVersion)
{
    if (interfaceVersion != speech::kEngineInterfaceVersion)
        return nullptr;
    return new TextToSpeechEngine;
}
