// The one list of the device window's pages, commands and block editors.
// Each unit that brings one adds its registration call here (see vropage.h).
#include "app/devicewin/filemanagerframe.h"
#include "app/devicewin/sensorupdateform.h"
#include "app/devicewin/vroform.h"
#include "app/devicewin/vro8setupframe.h"
#include "app/devicewin/vropage.h"
#include "app/live/currentvaluesframe.h"
#include "app/setup/setuppages.h"

namespace vro::app {

void RegisterDevicePages()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterVroPage(TVroAction::CurrentValues, QStringLiteral("TVroCurrentValuesFrame"),
                    [](TVroForm& f, QWidget* parent) { return new TVroCurrentValuesPage(f, parent); });
    RegisterVroPage(TVroAction::Settings, QStringLiteral("TVro8SetupFrame"),
                    [](TVroForm& f, QWidget* parent) { return new TVro8SetupFrame(f, parent); });
    RegisterVroPage(TVroAction::Recordings, QStringLiteral("TVroRecordFileManagerFrame"),
                    [](TVroForm& f, QWidget* parent) { return new TVroRecordFileManagerFrame(f, parent); });
    RegisterVroPage(TVroAction::ManageSettings, QStringLiteral("TVroSetupFileManagerFrame"),
                    [](TVroForm& f, QWidget* parent) { return new TVroSetupFileManagerFrame(f, parent); });
    RegisterVroFirmwareUpdate([](TVroForm& f) {
        TDvxSensorUpdateForm wizard(f.Manager(), &f);
        wizard.exec();
    });
    RegisterSetupPages();
}

} // namespace vro::app
