// The live windows for `vrowin --show`: the current-values page (in a host
// window until the device window holds it), the large display, and the
// real-time frame and its dialog.
#include "app/live/currentvaluesframe.h"
#include "app/main/mainform.h"
#include "app/main/showforms.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <QBoxLayout>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace vro::app {
namespace {

// Prints why a form could not be shown (the main window is photographed then).
QWidget* Fail(const QString& why)
{
    std::fprintf(stderr, "vrowin: %s\n", qPrintable(why));
    return nullptr;
}

// Waits on the event loop (bounded) until `done` holds.
void WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(20);
    if (!done())
        loop.exec();
}

// Connects the main window's device manager to the port; false (with the
// reason on standard error) when no recorder answers.
bool ConnectRecorder(TMainForm& main)
{
    vro::TVro8Manager* m = main.DeviceManager();
    if (!m)
        return Fail(QStringLiteral("no device manager")), false;
    QString error;
    try {
        if (!m->Connection().IsOpen())
            m->Connection().Open();
        if (!m->IsConnected())
            m->Connect();
        error = QString::fromStdString(m->LastConnectResult().Error);
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
    }
    if (!m->IsConnected())
        return Fail(QStringLiteral("no recorder answers (%1)").arg(error)), false;
    return true;
}

QWidget* ShowCurrentValues(TMainForm& main)
{
    if (!ConnectRecorder(main))
        return nullptr;
    auto* host = new QWidget(&main, Qt::Window);
    host->setObjectName(QStringLiteral("CurrentValuesHost"));
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new TVroCurrentValuesFrame(*main.DeviceManager(), main.Config(), host);
    layout->addWidget(frame);
    host->resize(main.size());
    host->show();
    if (!frame->Open())
        return Fail(QStringLiteral("device error"));
    return host;
}

QWidget* ShowLargeDisplay(TMainForm& main)
{
    if (!ConnectRecorder(main))
        return nullptr;
    auto* form = new TVroCurrentValues7SegmentForm(*main.DeviceManager(), main.Config(), &main);
    form->resize(main.size());
    form->setModal(false);
    form->show();
    if (!form->Initialise())
        return Fail(QStringLiteral("device error"));
    for (const QString& kv : ShowFormOption(QStringLiteral("--online")).split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (kv.startsWith(QStringLiteral("columns=")))
            form->SetColumns(kv.mid(8).toInt());
    // After the first timer update (the one that may change the columns).
    bool updated = false;
    const auto c = QObject::connect(form, &TVroCurrentValues7SegmentForm::updated, form, [&updated] { updated = true; });
    WaitFor([&updated] { return updated; }, 3000);
    QObject::disconnect(c);
    return form;
}

} // namespace

void RegisterLiveShowForms()
{
    RegisterShowForm(QStringLiteral("TVroCurrentValuesFrame"), ShowCurrentValues);
    RegisterShowForm(QStringLiteral("TVroCurrentValues7SegmentForm"), ShowLargeDisplay);
}

} // namespace vro::app
