#include "about/Unit2.h"

#include "about/BevelPanel.h"
#include "about/UrlLabel.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace {

QLabel* MakeLine(QWidget* parent, const QString& text, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    // The splash may still be up when the main window closes (no plug-ins were loaded
    // and nobody clicked it): the program ends with the window all the same.
    setAttribute(Qt::WA_QuitOnClose, false);

    using TBevel = TBevelPanel::TBevel;
    OuterPanel = new TBevelPanel(this, TBevel::Raised, TBevel::None);
    OuterPanel->setObjectName(QStringLiteral("Panel2"));
    OuterPanel->setGeometry(0, 0, 245, 125);

    lbPlugins = new QLabel(QStringLiteral("Plugins"), OuterPanel);
    lbPlugins->setObjectName(QStringLiteral("lbPlugins"));
    // Its texts change during the plug-in scan: it reaches to the panel's right edge
    // instead of resizing with each one, and longer texts are cut there.
    lbPlugins->setGeometry(8, 108, OuterPanel->width() - 8, lbPlugins->sizeHint().height());
    lbPlugins->hide();

    InnerPanel = new TBevelPanel(OuterPanel, TBevel::Lowered, TBevel::Raised);
    InnerPanel->setObjectName(QStringLiteral("Panel1"));
    InnerPanel->setGeometry(12, 12, 221, 93);

    ProductLine = MakeLine(InnerPanel, QStringLiteral("Tarvex Sonovane"), 8, 8);
    QFont bold = ProductLine->font();
    bold.setBold(true);
    ProductLine->setFont(bold);
    ProductLine->adjustSize();
    VersionLine = MakeLine(InnerPanel, QStringLiteral("Version 1.0 Alpha"), 8, 28);
    ThirdLine = MakeLine(InnerPanel, QStringLiteral("Short sound effects, made quickly."), 8, 48);

    UrlLabel1 = new TUrlLabel(InnerPanel);
    UrlLabel1->setObjectName(QStringLiteral("UrlLabel1"));
    UrlLabel1->move(8, 68);
    UrlLabel1->SetURL(QStringLiteral("mailto:") + QLatin1String(ContactAddress));
    UrlLabel1->SetCaption(QLatin1String(ContactAddress));

    for (QWidget* closer : {static_cast<QWidget*>(InnerPanel), static_cast<QWidget*>(ProductLine),
                            static_cast<QWidget*>(VersionLine), static_cast<QWidget*>(ThirdLine)})
        closer->installEventFilter(this);

    // The box is exactly its content.
    setFixedSize(OuterPanel->size());
}

void TAboutBox::WritePluginLine(const QString& text)
{
    lbPlugins->setText(text);
    if (!text.isEmpty() && !lbPlugins->isVisibleTo(this)) {
        lbPlugins->setVisible(true);
        // A child shown just now is painted with the next pass of the loop, which the
        // scan blocks: hand it its pending show now so this repaint includes it.
        QCoreApplication::sendPostedEvents(lbPlugins);
    }
    repaint();
}

void TAboutBox::CentreOnScreen()
{
    QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    const QRect area = target->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void TAboutBox::ShowSplash()
{
    // Once on top, always on top: the box keeps this for the rest of the run.
    if (!(windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    CentreOnScreen();
    show();
    raise();
}

int TAboutBox::ShowModal()
{
    // The splash may still be up (no plug-ins were loaded and nobody clicked it); a
    // visible window cannot turn modal, so it is taken down and shown again as the
    // About box.
    if (isVisible())
        hide();
    CentreOnScreen();
    return exec();
}

void TAboutBox::Panel1Click()
{
    reject();  // hides the box and ends a modal run
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            FPressedOn = watched;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        const bool click = mouse->button() == Qt::LeftButton && FPressedOn == watched &&
                           widget->rect().contains(mouse->position().toPoint());
        FPressedOn = nullptr;
        if (click)
            Panel1Click();
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TAboutBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
