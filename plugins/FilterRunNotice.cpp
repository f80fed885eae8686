#include "plugins/FilterRunNotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TFilterRunNotice::TFilterRunNotice(QWidget* window, const QString& libraryName, const QString& filterName,
                                   std::function<void()> stop)
    : QWidget(window, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("PluginRunNotice"));
    setWindowTitle(QStringLiteral("Sonovane"));
    auto* layout = new QHBoxLayout(this);
    auto* text = new QLabel(QStringLiteral("The plug-in \"%1\" is still running \"%2\".").arg(libraryName, filterName),
                            this);
    FStop = new QPushButton(QStringLiteral("Stop"), this);
    FStop->setObjectName(QStringLiteral("Stop"));
    layout->addWidget(text);
    layout->addWidget(FStop);
    connect(FStop, &QPushButton::clicked, this, [stop = std::move(stop)] { stop(); });
    adjustSize();
    if (window) {
        const QRect area = window->window()->geometry();
        move(area.center() - rect().center());
    }
}
