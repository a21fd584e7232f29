#pragma once

#include "toolkit/controls.h"
#include "toolkit/controltable.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QWidget>

namespace info {

// The About window: who makes the program and how to reach them, beside two pictures. Nothing in
// it is read back and it keeps nothing between openings.
class frmom : public QWidget {
    Q_OBJECT
public:
    explicit frmom(QWidget *parent = nullptr);
    ~frmom() override;

    // ---- controls, named as the game knows them ----
    QLabel *Image1, *Image2;
    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    toolkit::CommandButton *Command1;
    // Those controls as the window was drawn.
    static toolkit::ControlTable controlTable();

    // ---- handlers ----
    void Command1_Click();

    // Moves the first character of Label1's caption to its end. Nothing in the window calls it.
    void rotateLabel1();
};

// A black-and-white 8 x 8 chessboard, 96 x 96 pixels, white square top left. Both pictures are
// drawn at the given pixel ratio so that they stay sharp on a scaled screen.
QImage chessboardPicture(qreal devicePixelRatio = 1.0);
// "Partivakt" in white serif letters on black, 150 x 75 pixels.
QImage namePicture(qreal devicePixelRatio = 1.0);

// Shows the About window, or brings the open one to the front.
frmom *showAbout();

} // namespace info
