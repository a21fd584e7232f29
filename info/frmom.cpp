#include "frmom.h"

#include "homepage.h"

#include "toolkit/controltable.h"
#include "toolkit/windows.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

namespace info {

namespace {

using toolkit::ControlKind;

// The home page's address is the one the browser opens; the window writes it in by hand.
constexpr toolkit::ControlRow kControls[] = {
    {"Image2", ControlKind::Label, "", 120, 120, 1500, 1500},
    {"Image1", ControlKind::Label, "", 1800, 240, 2310, 1185},
    {"Frame1", ControlKind::Frame, "Partivakt-prosjektet", 120, 1800, 4215, 3495},
    {"Frame2", ControlKind::Frame, "Adresse", 360, 360, 1695, 855, "Frame1"},
    {"Label1", ControlKind::Label, "Postboks 0", 120, 240, 1095, 255, "Frame2"},
    {"Label2", ControlKind::Label, "0000 Eksempelby", 120, 480, 1455, 255, "Frame2"},
    {"Frame4", ControlKind::Frame, "Telefon", 2400, 360, 1455, 855, "Frame1"},
    {"Label4", ControlKind::Label, "000 00 000", 120, 240, 855, 255, "Frame4"},
    {"Frame5", ControlKind::Frame, "Hjemmeside", 360, 1440, 3495, 735, "Frame1"},
    {"Label5", ControlKind::Label, "", 120, 240, 2175, 255, "Frame5"},
    {"Frame3", ControlKind::Frame, "E-post", 360, 2400, 1695, 735, "Frame1"},
    {"Label3", ControlKind::Label, "post@pv.example", 120, 240, 1335, 255, "Frame3"},
    {"Command1", ControlKind::CommandButton, "OK", 2400, 2520, 1455, 615, "Frame1"},
};
static_assert(toolkit::tableFault(kControls) == toolkit::TableFault::None);

// A picture at its natural size inside a single-line border, two pixels from the picture all round.
QLabel *picture(const toolkit::BuiltControls &built, const char *name, const QImage &picture, const QString &role)
{
    auto *label = built.get<QLabel>(name);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(QPixmap::fromImage(picture));
    label->setAccessibleName(role);
    return label;
}

QImage canvas(int width, int height, qreal devicePixelRatio)
{
    QImage image(qRound(width * devicePixelRatio), qRound(height * devicePixelRatio), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::black);
    return image;
}

} // namespace

QImage chessboardPicture(qreal devicePixelRatio)
{
    constexpr int kSquares = 8;
    constexpr int kSquare = 12;
    QImage image = canvas(kSquares * kSquare, kSquares * kSquare, devicePixelRatio);
    QPainter p(&image);
    for (int row = 0; row < kSquares; ++row) {
        for (int col = 0; col < kSquares; ++col) {
            if ((row + col) % 2 == 0)
                p.fillRect(QRectF(col * kSquare, row * kSquare, kSquare, kSquare), Qt::white);
        }
    }
    return image;
}

QImage namePicture(qreal devicePixelRatio)
{
    constexpr int kWidth = 150;
    constexpr int kHeight = 75;
    constexpr int kMargin = 8;
    QImage image = canvas(kWidth, kHeight, devicePixelRatio);
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Times New Roman"), QStringLiteral("Georgia")});
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    const QString name = QStringLiteral("Partivakt");
    // The largest size at which the name fits across the picture.
    int size = kHeight / 2;
    font.setPixelSize(size);
    while (size > 8 && QFontMetricsF(font).horizontalAdvance(name) > kWidth - 2 * kMargin)
        font.setPixelSize(--size);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, kWidth, kHeight), Qt::AlignCenter, name);
    return image;
}

frmom::frmom(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("frmom"));
    setWindowTitle(QStringLiteral("Om spillet"));
    toolkit::setUpWindow(this, 3120, 3975, 4455, 5460);
    const qreal ratio = devicePixelRatioF();

    const toolkit::BuiltControls built = toolkit::buildControls(this, kControls);
    Image2 = picture(built, "Image2", chessboardPicture(ratio), QStringLiteral("Sjakkbrett"));
    Image1 = picture(built, "Image1", namePicture(ratio), QStringLiteral("Partivakt"));
    Frame1 = built.get<QGroupBox>("Frame1");
    Frame2 = built.get<QGroupBox>("Frame2");
    Frame3 = built.get<QGroupBox>("Frame3");
    Frame4 = built.get<QGroupBox>("Frame4");
    Frame5 = built.get<QGroupBox>("Frame5");
    Label1 = built.get<QLabel>("Label1");
    Label2 = built.get<QLabel>("Label2");
    Label3 = built.get<QLabel>("Label3");
    Label4 = built.get<QLabel>("Label4");
    Label5 = built.get<QLabel>("Label5");
    Label5->setText(kMakerHomePage);
    Command1 = built.get<toolkit::CommandButton>("Command1");
    Command1->setFocus(Qt::OtherFocusReason);
    connect(Command1, &QPushButton::clicked, this, &frmom::Command1_Click);
}

frmom::~frmom() = default;

toolkit::ControlTable frmom::controlTable()
{
    return kControls;
}

void frmom::Command1_Click()
{
    close();
}

void frmom::rotateLabel1()
{
    const QString caption = Label1->text();
    if (caption.isEmpty())
        return;
    // A character outside the basic plane is two UTF-16 units; they move together.
    const qsizetype first = caption.size() > 1 && caption.at(0).isHighSurrogate() ? 2 : 1;
    Label1->setText(caption.mid(first) + caption.left(first));
}

frmom *showAbout()
{
    static QPointer<frmom> window;
    return toolkit::showOnce<frmom>(window, [] { return new frmom; });
}

} // namespace info
