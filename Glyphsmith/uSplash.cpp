#include "uSplash.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPolygon>
#include <QScreen>


namespace {

// The window's fonts are given by pixel height, which a .ui form cannot hold.
void SetFont(QWidget *w, const QString &family, int pixelHeight, bool bold, bool italic, const QColor &color)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setItalic(italic);
    w->setFont(font);
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    w->setPalette(palette);
}

void CentreOnScreen(QWidget *w)
{
    const QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = w->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    w->move(frame.topLeft());
}

}  // namespace

TSplash::TSplash(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setupUi(this);
    setFixedSize(312, 213);
    SetFont(this, QStringLiteral("MS Sans Serif"), 11, false, false, Qt::black);

    const QColor silver(0xC0, 0xC0, 0xC0);
    QPalette panelPalette = Panel1->palette();
    panelPalette.setColor(QPalette::Window, silver);
    Panel1->setPalette(panelPalette);

    SetFont(Label1, QStringLiteral("Times New Roman"), 19, true, true, QColor(0x00, 0x00, 0x80));
    SetFont(Title, QStringLiteral("MS Sans Serif"), 13, true, false, Qt::black);
    SetFont(Memo1, QStringLiteral("Arial"), 9, false, false, Qt::black);
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, silver);
    Memo1->setPalette(memoPalette);
    Memo1->document()->setDocumentMargin(1);

    Image1->setPixmap(RoadWorksSign());
    Image1->resize(Image1->pixmap().size());
    // A sunken rule along the top edge of the bevel's box.
    b->setStyleSheet(QStringLiteral("QFrame#b { border: none; border-top: 2px groove #808080; background: transparent; }"));

    connect(btnOK, &QPushButton::clicked, this, &TSplash::btnOKClick);
    CentreOnScreen(this);
}

void TSplash::btnOKClick()
{
    close();
}

QPixmap RoadWorksSign()
{
    const QColor black(0, 0, 0), grey(0xC0, 0xC0, 0xC0), yellow(0xFF, 0xFF, 0x00);
    QImage image(75, 75, QImage::Format_RGB32);
    image.fill(grey);
    {
        QPainter p(&image);  // no antialiasing: a picture of flat palette colours

        const QPolygon diamond({QPoint(37, 1), QPoint(73, 37), QPoint(37, 73), QPoint(1, 37)});
        p.setPen(QPen(black, 2));
        p.setBrush(yellow);
        p.drawPolygon(diamond);
        const QPolygon inner({QPoint(37, 6), QPoint(68, 37), QPoint(37, 68), QPoint(6, 37)});
        p.setPen(QPen(black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(inner);

        p.setBrush(black);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(29, 20), 5, 5);  // head

        p.setPen(QPen(black, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        // Back bent forward over the spade, legs apart.
        p.drawPolyline(QPolygon({QPoint(29, 27), QPoint(32, 33), QPoint(30, 40)}));
        p.setPen(QPen(black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygon({QPoint(30, 40), QPoint(25, 46), QPoint(24, 52)}));
        p.drawPolyline(QPolygon({QPoint(30, 40), QPoint(35, 46), QPoint(35, 52)}));
        // Arms reaching down to the spade's handle.
        p.setPen(QPen(black, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygon({QPoint(31, 30), QPoint(37, 33), QPoint(40, 36)}));
        p.drawPolyline(QPolygon({QPoint(31, 31), QPoint(34, 38), QPoint(42, 41)}));
        // The spade: handle and blade driven into the heap.
        p.setPen(QPen(black, 2));
        p.drawLine(QPoint(38, 31), QPoint(45, 46));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(43, 44), QPoint(48, 42), QPoint(50, 48), QPoint(45, 50)}));
        // The heap of earth and the ground.
        p.drawPolygon(QPolygon({QPoint(41, 53), QPoint(45, 49), QPoint(50, 46), QPoint(54, 49), QPoint(56, 53)}));
        p.drawRect(QRect(20, 53, 37, 3));
    }
    // 16 colours, as a picture of its time.
    static const QList<QRgb> palette = {
        qRgb(0, 0, 0), qRgb(0x80, 0, 0), qRgb(0, 0x80, 0), qRgb(0x80, 0x80, 0),
        qRgb(0, 0, 0x80), qRgb(0x80, 0, 0x80), qRgb(0, 0x80, 0x80), qRgb(0xC0, 0xC0, 0xC0),
        qRgb(0x80, 0x80, 0x80), qRgb(0xFF, 0, 0), qRgb(0, 0xFF, 0), qRgb(0xFF, 0xFF, 0),
        qRgb(0, 0, 0xFF), qRgb(0xFF, 0, 0xFF), qRgb(0, 0xFF, 0xFF), qRgb(0xFF, 0xFF, 0xFF)};
    return QPixmap::fromImage(image.convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither));
}

void TSplash::ShowAsAbout()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Korvex V0.90"));
    btnOK->setVisible(true);
    Title->setText(QStringLiteral("Glyphsmith"));
    PB->setVisible(false);
    b->setVisible(false);
    setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(this);
    exec();
}
