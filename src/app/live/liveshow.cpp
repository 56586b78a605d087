// The live windows for `vrowin --show`: the current-values page (in a host
// window until the device window holds it), the large display, and the
// real-time frame and its dialog.
#include "app/live/currentvaluesframe.h"
#include "app/main/mainform.h"
#include "app/main/showform.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <QBoxLayout>
#include <QTimer>

namespace vro::app {
namespace {

// Connects the main window's device manager to the port; false (and the
// error given to ready) when no recorder answers.
bool ConnectRecorder(TShowContext& c)
{
    vro::TVro8Manager* m = c.main.DeviceManager();
    if (!m) {
        c.ready(nullptr, QStringLiteral("no device manager"));
        return false;
    }
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
    if (!m->IsConnected()) {
        c.ready(nullptr, QStringLiteral("no recorder answers on %1 (%2)")
                             .arg(c.port.isEmpty() ? QStringLiteral("the port") : c.port, error));
        return false;
    }
    return true;
}

void ShowCurrentValues(TShowContext& c)
{
    if (!ConnectRecorder(c))
        return;
    auto* host = new QWidget(&c.main, Qt::Window);
    host->setObjectName(QStringLiteral("CurrentValuesHost"));
    host->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new TVroCurrentValuesFrame(*c.main.DeviceManager(), c.main.Config(), host);
    layout->addWidget(frame);
    host->resize(c.main.size());
    host->show();
    QObject::connect(frame, &TVroCurrentValuesFrame::updated, host, [&c, host] { c.ready(host, {}); });
    frame->OnDeviceError = [&c] { c.ready(nullptr, QStringLiteral("device error")); };
    frame->Open();
}

void ShowLargeDisplay(TShowContext& c)
{
    if (!ConnectRecorder(c))
        return;
    auto* form = new TVroCurrentValues7SegmentForm(*c.main.DeviceManager(), c.main.Config(), &c.main);
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->resize(c.main.size());
    form->setModal(false);
    form->show();
    form->OnDeviceError = [&c] { c.ready(nullptr, QStringLiteral("device error")); };
    if (!form->Initialise())
        return;
    const auto columns = c.values.value(QStringLiteral("--online"));
    for (const QString& kv : columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (kv.startsWith(QStringLiteral("columns=")))
            form->SetColumns(kv.mid(8).toInt());
    // After the first timer update (the one that may change the columns).
    QObject::connect(form, &TVroCurrentValues7SegmentForm::updated, form, [&c, form] { c.ready(form, {}); });
}

} // namespace

void RegisterLiveShowForms()
{
    RegisterShowForm({QStringLiteral("TVroCurrentValuesFrame"), QStringLiteral("the current-values page (--port)"),
                      ShowCurrentValues});
    RegisterShowForm({QStringLiteral("TVroCurrentValues7SegmentForm"),
                      QStringLiteral("the large display (--port; --online columns=1|2|4)"), ShowLargeDisplay});
}

} // namespace vro::app
