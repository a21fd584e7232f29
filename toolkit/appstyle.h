#pragma once

#include <QProxyStyle>

namespace toolkit {

// The desktop's own style, without the image files it would read while the main window is built and
// first drawn. Qt reads an image file by asking every image-format plug-in on the system whether it
// wants the file, which loads them all (and libjpeg) into a program that shows no image. So the
// arrows of a menu bar too narrow for its menus are drawn in code (sharp at any device pixel ratio),
// and Fusion's frame of a group box is drawn from its pixels, taken from Qt's PNG at build time:
// decoding that one picture at start would bring libpng and zlib into memory.
class ApplicationStyle : public QProxyStyle {
    Q_OBJECT
public:
    // Takes ownership of the style it draws everything else with.
    explicit ApplicationStyle(QStyle *base);

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

private:
    // Fusion's group-box frame, made once; null until then, and for other styles.
    mutable QPixmap m_groupBoxFrame;
    mutable bool m_groupBoxFrameRead = false;
};

// Puts the program's style over the one the application uses now (the desktop's, or the one the
// user chose with -style). Call it once after the application is made, before the first window.
void installApplicationStyle();

} // namespace toolkit
