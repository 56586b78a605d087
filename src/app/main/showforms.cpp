#include "app/main/showforms.h"

#include "app/devicewin/vroform.h"
#include "app/devicewin/vropage.h"
#include "app/main/mainform.h"
#include "app/setup/setuppages.h"

#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <QMap>

namespace vro::app {

namespace {

QMap<QString, TShowForm>& Forms()
{
    static QMap<QString, TShowForm> forms;
    return forms;
}

// The device window photographed on a recorder: the port of --port (or the
// configured one) is opened and identified first, as the connection dialog
// would; without a recorder the window shows its unconnected state.
TVroForm* OpenConnectedDeviceWindow(TMainForm& main)
{
    try {
        if (!main.Connection().IsOpen())
            main.Connection().Open();
        if (main.DeviceManager() && !main.DeviceManager()->IsConnected())
            main.DeviceManager()->Connect();
    } catch (const std::exception&) {
    }
    return main.OpenDeviceWindow();
}

void RegisterShowForms()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterShowForm(QStringLiteral("MainForm"), [](TMainForm& main) -> QWidget* { return &main; });
    RegisterShowForm(QStringLiteral("TVroForm"),
                     [](TMainForm& main) -> QWidget* { return OpenConnectedDeviceWindow(main); });
    RegisterLiveShowForms();
    RegisterFirmwareShowForms();
    RegisterSetupShowForms();
    // The device window on each registered page.
    RegisterDevicePages();
    for (int i = 0; i < kVroActionCount; ++i) {
        const auto action = static_cast<TVroAction>(i);
        const QString name = VroPageFormName(action);
        if (name.isEmpty())
            continue;
        RegisterShowForm(name, [action](TMainForm& main) -> QWidget* {
            TVroForm* form = OpenConnectedDeviceWindow(main);
            form->OpenPage(action);
            return form;
        });
    }
}

} // namespace

void RegisterShowForm(const QString& name, TShowForm open) { Forms().insert(name, std::move(open)); }

QStringList ShowFormNames()
{
    RegisterShowForms();
    return Forms().keys();
}

TShowForm FindShowForm(const QString& name)
{
    RegisterShowForms();
    return Forms().value(name);
}

namespace {
QMap<QString, QString>& OptionValues()
{
    static QMap<QString, QString> values;
    return values;
}
} // namespace

QStringList ShowFormOptionNames()
{
    return {QStringLiteral("--online"), QStringLiteral("--update-file"), QStringLiteral("--next")};
}
void SetShowFormOption(const QString& name, const QString& value) { OptionValues().insert(name, value); }
QString ShowFormOption(const QString& name) { return OptionValues().value(name); }

} // namespace vro::app
