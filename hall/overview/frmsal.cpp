#include "frmsal.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

namespace hall {

namespace {

QLabel *label(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

} // namespace

frmsal::frmsal(HallModel *model, const QString &code, QWidget *parent) : QMainWindow(parent), m_model(model)
{
    setObjectName(QStringLiteral("frmsal"));
    setWindowTitle(QStringLiteral("Turneringssal %1 – Partivakt").arg(model->hall()));
    auto *client = new QWidget(this);
    setCentralWidget(client);
    salnavn = label(client, "salnavn");
    salnavn->setText(QStringLiteral("Sal: %1").arg(model->hall()));
    kode = label(client, "kode");
    kode->setText(QStringLiteral("Kode: %1").arg(code));
    kode->setAccessibleName(QStringLiteral("Salens kode: %1").arg(code));
    kobling = label(client, "kobling");
    tilskuere = label(client, "tilskuere");
    forkastet = label(client, "forkastet");
    BareKlaffer = new QCheckBox(QStringLiteral("&Bare klaffer"), client);
    BareKlaffer->setObjectName(QStringLiteral("BareKlaffer"));

    m_filter = new FlagFilter(this);
    m_filter->setSourceModel(model);
    brett = new QTableView(client);
    brett->setObjectName(QStringLiteral("brett"));
    brett->setAccessibleName(QStringLiteral("Brettene i salen"));
    brett->setModel(m_filter);
    brett->setSelectionBehavior(QAbstractItemView::SelectRows);
    brett->setEditTriggers(QAbstractItemView::NoEditTriggers);
    brett->setAlternatingRowColors(true);
    brett->verticalHeader()->hide();
    // The numbers take what they need; the names and the state share the rest.
    brett->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int c : {HallModel::NameA, HallModel::NameB, HallModel::ToMove, HallModel::State})
        brett->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
    brett->setWordWrap(false);

    auto *top = new QHBoxLayout;
    top->addWidget(salnavn);
    top->addWidget(kode);
    top->addWidget(BareKlaffer);
    top->addStretch(1);
    top->addWidget(forkastet);
    auto *second = new QHBoxLayout;
    second->addWidget(kobling);
    second->addStretch(1);
    second->addWidget(tilskuere);
    auto *all = new QVBoxLayout(client);
    all->addLayout(top);
    all->addLayout(second);
    all->addWidget(brett, 1);
    setTabOrder(BareKlaffer, brett);

    const auto showRejects = [this] {
        forkastet->setText(QStringLiteral("Forkastede meldinger: %1").arg(m_model->rejects().text()));
    };
    showRejects();
    connect(model, &HallModel::rejectsChanged, this, showRejects);
    connect(BareKlaffer, &QCheckBox::toggled, m_filter, &FlagFilter::setOnlyFlags);

    auto *full = new QAction(QStringLiteral("Fullskjerm"), this);
    full->setObjectName(QStringLiteral("Fullskjerm"));
    full->setShortcut(QKeySequence(Qt::Key_F11));
    connect(full, &QAction::triggered, this, &frmsal::Fullskjerm_Click);
    addAction(full);
    auto *leave = new QAction(this);
    leave->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(leave, &QAction::triggered, this, [this] {
        if (isFullScreen())
            showNormal();
    });
    addAction(leave);
    auto *flags = new QAction(this);
    flags->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    connect(flags, &QAction::triggered, BareKlaffer, &QCheckBox::toggle);
    addAction(flags);
    statusBar()->setObjectName(QStringLiteral("status"));
    resize(1024, 640);
    brett->setFocus(Qt::OtherFocusReason);
}

void frmsal::setConnectInfo(const QString &text)
{
    kobling->setText(text);
}

void frmsal::setSpectatorAddress(const QString &address)
{
    tilskuere->setText(QStringLiteral("Tilskuere: %1").arg(address));
}

void frmsal::showNote(const QString &note)
{
    statusBar()->showMessage(note);
    statusBar()->setAccessibleName(note);
}

void frmsal::Fullskjerm_Click()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

void frmsal::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    scaleText();
}

void frmsal::scaleText()
{
    // At full screen on 1080 lines a row is about 40 px high: readable at five metres, with some
    // twenty boards on the screen at once.
    const int px = std::clamp(height() / 30, 13, 96);
    QFont font = brett->font();
    font.setPixelSize(px);
    brett->setFont(font);
    brett->horizontalHeader()->setFont(font);
    brett->verticalHeader()->setDefaultSectionSize(px * 3 / 2);
    QFont small = font;
    small.setPixelSize(std::max(13, px * 3 / 4));
    for (QWidget *w :
         {static_cast<QWidget *>(salnavn), static_cast<QWidget *>(kode), static_cast<QWidget *>(kobling),
          static_cast<QWidget *>(tilskuere), static_cast<QWidget *>(forkastet), static_cast<QWidget *>(BareKlaffer)})
        w->setFont(small);
    QFont bold = small;
    bold.setBold(true);
    kode->setFont(bold);
    salnavn->setFont(bold);
}

} // namespace hall
