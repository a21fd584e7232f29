#pragma once

#include "hallmodel.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QTableView>

namespace hall {

// The arbiter's overview: every board of the hall live, sorted by board, with the join code, where
// the clocks connect, the spectators' page and the count of messages dropped. F11 shows it at full
// screen for a projector, in letters large enough to read across the hall.
class frmsal : public QMainWindow {
    Q_OBJECT
public:
    frmsal(HallModel *model, const QString &code, QWidget *parent = nullptr);

    // ---- controls, named as the overview knows them ----
    QLabel *salnavn, *kode, *kobling, *tilskuere, *forkastet;
    QCheckBox *BareKlaffer;
    QTableView *brett;

    void setConnectInfo(const QString &text);
    void setSpectatorAddress(const QString &address);
    void showNote(const QString &note);
    void Fullskjerm_Click();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void scaleText();

    HallModel *m_model;
    FlagFilter *m_filter;
};

} // namespace hall
