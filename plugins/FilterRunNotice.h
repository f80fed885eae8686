#pragma once
// The small notice shown while a filter takes long: which plug-in runs which filter,
// and "Stop", which ends the plug-in's process (Esc does the same).

#include <QWidget>
#include <functional>

class QPushButton;

class TFilterRunNotice : public QWidget {
public:
    TFilterRunNotice(QWidget* window, const QString& libraryName, const QString& filterName,
                     std::function<void()> stop);

    QPushButton* StopButton() const { return FStop; }

private:
    QPushButton* FStop = nullptr;
};
