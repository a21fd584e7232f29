#include "frmom.h"

#include "homepage.h"

#include "platform/twips.h"
#include "platform/windows.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

namespace info {

using platform::makeFrame;
using platform::makeLabel;
using platform::placeTwips;

namespace {

// A picture at its natural size inside a single-line border, two pixels from the picture all round.
QLabel *makePicture(QWidget *parent, const char *name, const QImage &picture, const QString &role)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
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
    platform::setUpWindow(this, 3120, 3975, 4455, 5460);
    const qreal ratio = devicePixelRatioF();

    Image2 = makePicture(this, "Image2", chessboardPicture(ratio), QStringLiteral("Sjakkbrett"));
    placeTwips(Image2, 120, 120, 1500, 1500);
    Image1 = makePicture(this, "Image1", namePicture(ratio), QStringLiteral("Partivakt"));
    placeTwips(Image1, 1800, 240, 2310, 1185);

    Frame1 = makeFrame(this, "Frame1", QStringLiteral("Partivakt-prosjektet"));
    placeTwips(Frame1, 120, 1800, 4215, 3495);
    Frame2 = makeFrame(Frame1, "Frame2", QStringLiteral("Adresse"));
    placeTwips(Frame2, 360, 360, 1695, 855);
    Label1 = makeLabel(Frame2, "Label1", QStringLiteral("Postboks 0"));
    placeTwips(Label1, 120, 240, 1095, 255);
    Label2 = makeLabel(Frame2, "Label2", QStringLiteral("0000 Eksempelby"));
    placeTwips(Label2, 120, 480, 1455, 255);
    Frame4 = makeFrame(Frame1, "Frame4", QStringLiteral("Telefon"));
    placeTwips(Frame4, 2400, 360, 1455, 855);
    Label4 = makeLabel(Frame4, "Label4", QStringLiteral("000 00 000"));
    placeTwips(Label4, 120, 240, 855, 255);
    Frame5 = makeFrame(Frame1, "Frame5", QStringLiteral("Hjemmeside"));
    placeTwips(Frame5, 360, 1440, 3495, 735);
    Label5 = makeLabel(Frame5, "Label5", kMakerHomePage);
    placeTwips(Label5, 120, 240, 2175, 255);
    Frame3 = makeFrame(Frame1, "Frame3", QStringLiteral("E-post"));
    placeTwips(Frame3, 360, 2400, 1695, 735);
    Label3 = makeLabel(Frame3, "Label3", QStringLiteral("post@pv.example"));
    placeTwips(Label3, 120, 240, 1335, 255);

    Command1 = platform::makeButton(Frame1, "Command1", QStringLiteral("OK"));
    placeTwips(Command1, 2400, 2520, 1455, 615);
    Command1->setFocus(Qt::OtherFocusReason);
    connect(Command1, &QPushButton::clicked, this, &frmom::Command1_Click);
}

frmom::~frmom() = default;

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
    return platform::showOnce<frmom>(window, [] { return new frmom; });
}

} // namespace info
