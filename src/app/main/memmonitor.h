// The memory monitor window opened by typing MEMMONITOR: the process's memory
// use as the kernel reports it, refreshed every second.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

namespace vro::app {

// The lines of /proc/self/status that describe memory (VmRSS, VmSize, ...).
QString ReadProcessMemoryText();

class TMemMonitorForm : public QDialog {
    Q_OBJECT
public:
    explicit TMemMonitorForm(QWidget* parent = nullptr);

private:
    void Refresh();
    QLabel* text_;
    QTimer timer_;
};

} // namespace vro::app
