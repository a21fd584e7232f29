#include "frmhoved.h"

#include "limits.h"
#include "numbers.h"

#include "gamefiles/linefiles.h"

// The commands that open another window: each runs the time-limit check first, then asks; the
// windows that answer are connected at program start.
namespace gameclock {

void frmhoved::timeLimitCheck()
{
    if (!stans->isEnabled())
        return;
    if (numericValue(stans->text()) == 0)
        stans->setText(gamefiles::SettingsValues().stans);
    starta->setFocus(Qt::OtherFocusReason);
}

void frmhoved::Alternativer_Click()
{
    timeLimitCheck();
    Q_EMIT optionsRequested();
}

void frmhoved::Om_Click()
{
    timeLimitCheck();
    Q_EMIT aboutRequested();
}

void frmhoved::Regler_Click()
{
    Q_EMIT rulesRequested();
}

void frmhoved::Nettleser_Click()
{
    Q_EMIT browserRequested();
}

void frmhoved::opengame()
{
    timeLimitCheck();
    Q_EMIT openRequested();
}

void frmhoved::Juster_Click()
{
    timeLimitCheck();
    Q_EMIT correctionRequested();
}

void frmhoved::Tidskontroll_Click()
{
    timeLimitCheck();
    Q_EMIT timeControlRequested();
}

void frmhoved::Turnering_Click()
{
    timeLimitCheck();
    Q_EMIT hallRequested();
}

void frmhoved::Trekktider_Click()
{
    Q_EMIT moveTimesRequested();
}

void frmhoved::saveas()
{
    timeLimitCheck();
    Q_EMIT saveAsRequested();
}

void frmhoved::quicksave()
{
    const gamefiles::PathRead target = gamefiles::readPathFile();
    if (target.error || target.path.isEmpty()) {
        // Nothing saved through the window yet: ask where instead of failing.
        saveas();
        return;
    }
    if (const auto error = gamefiles::writeGameFile(target.path, gameValues()))
        report(error->message());
    else
        report(gamefiles::savedMessage(target.path));
}

} // namespace gameclock
