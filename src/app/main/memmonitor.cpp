#include "app/main/memmonitor.h"

#include "app/look/buttonlabel.h"
#include "app/look/windowlayout.h"

#include <QBoxLayout>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>

namespace vro::app {

QString ReadProcessMemoryText()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("/proc/self/status cannot be read.");
    QStringList lines;
    // The file is small; reading a bounded amount is enough.
    const QList<QByteArray> all = f.read(64 * 1024).split('\n');
    for (const QByteArray& l : all)
        if (l.startsWith("Vm") || l.startsWith("Rss") || l.startsWith("Threads"))
            lines << QString::fromLatin1(l).simplified();
    return lines.join(QLatin1Char('\n'));
}

TMemMonitorForm::TMemMonitorForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TMemMonitorForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    TDialogFrame f = BuildDialogFrame(this, QStringLiteral("Memory"));
    setWindowTitle(QStringLiteral("MemMonitor"));
    auto* layout = new QVBoxLayout(f.main);
    text_ = new QLabel(f.main);
    text_->setObjectName(QStringLiteral("MemoryLabel"));
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(text_);
    auto* close = AddBottomButton(f, QStringLiteral("CloseLabel"));
    connect(close, &TButtonLabel::clicked, this, &QDialog::close);
    connect(&timer_, &QTimer::timeout, this, &TMemMonitorForm::Refresh);
    timer_.start(1000);
    Refresh();
}

void TMemMonitorForm::Refresh() { text_->setText(ReadProcessMemoryText()); }

} // namespace vro::app
