// The live windows for `vrowin --show`: the large display, and the
// real-time frame and its dialog. The current-values page is shown in the
// device window, from the page registry (vropages.cpp).
#include "app/live/currentvaluesframe.h"
#include "app/live/onlineframe.h"
#include "core/values/vro8utils.h"
#include "app/main/mainform.h"
#include "app/main/showforms.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <QBoxLayout>
#include <QElapsedTimer>
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
    const auto c =
        QObject::connect(form, &TVroCurrentValues7SegmentForm::updated, form, [&updated] { updated = true; });
    WaitFor([&updated] { return updated; }, 3000);
    QObject::disconnect(c);
    return form;
}

// --online type=T,rate=ROW,duration=IDX,mode=end|continuous,trigger-position=P,auto=0|1,
// xchannel=K,display=roll|overwrite
struct TOnlineShowOptions {
    vro::TOnlineChoices choices;
    bool automatic = false;
    int xChannel = -1;
    int display = 0;
    QString error;
};

TOnlineShowOptions ParseOnlineOptions(const QString& text)
{
    TOnlineShowOptions o;
    o.choices.RecordingType = 0;
    o.choices.SampleRate = 9;
    o.choices.DurationIndex = 5;
    for (const QString& kv : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString key = kv.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = kv.section(QLatin1Char('='), 1).trimmed();
        bool ok = true;
        const int n = value.toInt(&ok);
        if (key == QStringLiteral("type") && ok && n >= 0 && n <= 2)
            o.choices.RecordingType = n;
        else if (key == QStringLiteral("rate") && ok && vro::TVro8SampleData::Valid(n))
            o.choices.SampleRate = n;
        else if (key == QStringLiteral("duration") && ok && vro::TVro8RecordingTimes::Valid(n))
            o.choices.DurationIndex = n;
        else if (key == QStringLiteral("mode") &&
                 (value == QStringLiteral("end") || value == QStringLiteral("continuous")))
            o.choices.SimpleCurvMode = value == QStringLiteral("continuous") ? 1 : 0;
        else if (key == QStringLiteral("trigger-position") && ok && n >= 0 && n <= 10)
            o.choices.TriggerPosition = n;
        else if (key == QStringLiteral("auto") && ok)
            o.automatic = n != 0;
        else if (key == QStringLiteral("xchannel") && ok && n >= -1 && n < 32)
            o.xChannel = n;
        else if (key == QStringLiteral("display") &&
                 (value == QStringLiteral("roll") || value == QStringLiteral("overwrite")))
            o.display = value == QStringLiteral("overwrite") ? 1 : 0;
        else
            o.error = QStringLiteral("--online: \"%1\" is not a valid KEY=VALUE").arg(kv);
    }
    return o;
}

// A run in a host window, shown after one second of data (the data is
// discarded when the program ends).
TVro8OnlineRecordingFrame* StartOnline(TMainForm& main, QWidget*& host)
{
    const TOnlineShowOptions o = ParseOnlineOptions(ShowFormOption(QStringLiteral("--online")));
    if (!o.error.isEmpty())
        return Fail(o.error), nullptr;
    if (!ConnectRecorder(main))
        return nullptr;
    vro::TVro8Manager& m = *main.DeviceManager();
    try {
        m.Device().Measurement.ReadChannels();
    } catch (const std::exception& e) {
        return Fail(QString::fromStdString(e.what())), nullptr;
    }
    host = new QWidget(&main, Qt::Window);
    host->setObjectName(QStringLiteral("OnlineHost"));
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* frame = new TVro8OnlineRecordingFrame(host);
    layout->addWidget(frame);
    host->resize(main.size());
    host->show();
    if (o.xChannel >= 0 || o.display != 0) {
        vro::TOnlineDisplaySettings s;
        s.XChannel = o.xChannel;
        s.DisplayMode = o.display;
        s.LeftAxis = 0xFFFFFFFFu;
        TVro8OnlineRecordingFrame::KeptSettings() = s;
    }
    if (!frame->Start(m, false, false, o.choices, o.automatic))
        return Fail(QStringLiteral("the real-time measurement did not start")), nullptr;
    QElapsedTimer t;
    t.start();
    WaitFor([&t, frame] { return t.elapsed() >= 1000 || !frame->Running(); }, 1500);
    return frame;
}

QWidget* ShowOnlineFrame(TMainForm& main)
{
    QWidget* host = nullptr;
    TVro8OnlineRecordingFrame* frame = StartOnline(main, host);
    if (!frame)
        return nullptr;
    frame->Graph()->update();
    return host;
}

QWidget* ShowOnlineSettings(TMainForm& main)
{
    QWidget* host = nullptr;
    TVro8OnlineRecordingFrame* frame = StartOnline(main, host);
    if (!frame)
        return nullptr;
    auto* form = new TVro8OnlineSettingsForm(*frame, host);
    form->setModal(false);
    form->show();
    return form;
}

} // namespace

void RegisterLiveShowForms()
{
    RegisterShowForm(QStringLiteral("TVroCurrentValues7SegmentForm"), ShowLargeDisplay);
    RegisterShowForm(QStringLiteral("TVro8OnlineRecordingFrame"), ShowOnlineFrame);
    RegisterShowForm(QStringLiteral("TVro8OnlineSettingsForm"), ShowOnlineSettings);
}

} // namespace vro::app
