// The firmware update wizard for `vrowin --show TDvxSensorUpdateForm`: on
// the recorder of --port, with --update-file FILE chosen in place of the file
// dialog and Continue pressed --next N times (each step run to its end)
// before the picture is taken.
#include "app/devicewin/sensorupdateform.h"
#include "app/main/mainform.h"
#include "app/main/showforms.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <cstdio>

namespace vro::app {

namespace {

QWidget* ShowUpdateWizard(TMainForm& main)
{
    vro::TVro8Manager* m = main.DeviceManager();
    if (!m)
        return nullptr;
    try {
        if (!m->Connection().IsOpen())
            m->Connection().Open();
        if (!m->IsConnected())
            m->Connect();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vrowin: %s\n", e.what());
    }
    // Without a recorder the wizard shows its failed introduction.
    auto* form = new TDvxSensorUpdateForm(*m, &main);
    form->setModal(false);
    form->OnMessage = [](const QString& text) { std::fprintf(stderr, "vrowin: %s\n", qPrintable(text)); };
    form->show();
    const QString file = ShowFormOption(QStringLiteral("--update-file"));
    const int presses = ShowFormOption(QStringLiteral("--next")).toInt();
    for (int i = 0; i < presses; ++i) {
        if (!file.isEmpty())
            form->SetChosenFile(file);
        form->Wizard().NextLabelClick();
    }
    return form;
}

} // namespace

void RegisterFirmwareShowForms() { RegisterShowForm(QStringLiteral("TDvxSensorUpdateForm"), ShowUpdateWizard); }

} // namespace vro::app
