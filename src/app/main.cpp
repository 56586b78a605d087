// vrowin: the desktop program.
//
//   vrowin [--language de|en|fr] [--config FILE] [--port PATH] [FILE]
//   vrowin --screenshot OUT.png [--size WxH] [options] [FILE]
//   vrowin --show FORMNAME --screenshot OUT.png [--size WxH] [options] [FILE...]
//
// A second start hands FILE (made absolute) to the running instance and ends.
// --screenshot runs offscreen without the single-instance hand-off, opens
// FILE, waits until the window has run its start-up and is laid out, writes a
// PNG of the whole main window and exits. With --show it opens the FILEs in
// order (the first stays active), then the named form or pane on that state,
// and photographs that instead.
#include "app/dialogs/messagedialog.h"
#include "app/main/documents.h"
#include "app/main/mainform.h"
#include "app/main/showforms.h"
#include "app/main/singleinstance.h"

#include "core/values/localeformat.h"

#include <QApplication>
#include <QLocale>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <cstring>

using namespace vro::app;

namespace {

struct TArguments {
    TStartOptions options;
    QString screenshot;
    QString show;
    QStringList moreFiles;
    QSize size{1024, 640};
    QString error;
    bool help = false;
};

TArguments ParseArguments(int argc, char** argv)
{
    TArguments a;
    auto value = [&](int& i, const char* name) -> QString {
        if (i + 1 >= argc) {
            a.error = QStringLiteral("%1 needs a value").arg(QLatin1String(name));
            return {};
        }
        return QString::fromLocal8Bit(argv[++i]);
    };
    for (int i = 1; i < argc && a.error.isEmpty(); ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
            a.help = true;
        } else if (!std::strcmp(arg, "--language")) {
            a.options.language = value(i, arg);
            if (a.error.isEmpty() && a.options.language != QStringLiteral("de") &&
                a.options.language != QStringLiteral("en") && a.options.language != QStringLiteral("fr"))
                a.error = QStringLiteral("--language takes de, en or fr");
        } else if (!std::strcmp(arg, "--config")) {
            a.options.configFile = value(i, arg);
        } else if (!std::strcmp(arg, "--port")) {
            a.options.port = value(i, arg);
        } else if (!std::strcmp(arg, "--screenshot")) {
            a.screenshot = value(i, arg);
        } else if (!std::strcmp(arg, "--show")) {
            a.show = value(i, arg);
        } else if (ShowFormOptionNames().contains(QString::fromLocal8Bit(arg))) {
            const QString name = QString::fromLocal8Bit(arg);
            SetShowFormOption(name, value(i, arg));
        } else if (!std::strcmp(arg, "--size")) {
            const QStringList wh = value(i, arg).split(QLatin1Char('x'));
            bool okW = false, okH = false;
            const int w = wh.value(0).toInt(&okW), h = wh.value(1).toInt(&okH);
            if (wh.size() != 2 || !okW || !okH || w < 640 || h < 380 || w > 8192 || h > 8192)
                a.error = QStringLiteral("--size takes WxH, at least 640x380 and at most 8192x8192");
            else
                a.size = QSize(w, h);
        } else if (arg[0] == '-' && arg[1] == '-') {
            a.error = QStringLiteral("unknown option %1").arg(QString::fromLocal8Bit(arg));
        } else if (a.options.file.isEmpty()) {
            a.options.file = QString::fromLocal8Bit(arg);
        } else {
            a.moreFiles << QString::fromLocal8Bit(arg);
        }
    }
    return a;
}

int Screenshot(QApplication& app, const TArguments& a)
{
    TStartOptions options = a.options;
    options.interactive = false;
    SetNonInteractive(true); // nobody can answer a dialog offscreen
    // Without --config the run keeps its settings in a folder of its own, so
    // that the user's configuration (first run, crash marker) stays untouched.
    QTemporaryDir settings;
    if (options.configFile.isEmpty())
        options.configFile = settings.filePath(QStringLiteral("vrowin-screenshot.vxacf"));
    TMainForm window(options);
    window.resize(a.size);
    window.show();
    int result = 1;
    QObject::connect(&window, &TMainForm::startupFinished, &app, [&] {
        QWidget* target = &window;
        if (!a.show.isEmpty()) {
            for (const QString& f : a.moreFiles)
                window.OpenFileByName(f);
            if (!a.moreFiles.isEmpty() && window.Documents().Count() > 0)
                window.Documents().Activate(0);
            if (QWidget* shown = FindShowForm(a.show)(window)) {
                target = shown->window();
                target->resize(a.size);
                target->show();
            }
        }
        // Queued behind the layout and paint requests that start-up posted.
        QTimer::singleShot(0, &app, [&, target] {
            QApplication::processEvents();
            QApplication::processEvents();
            const QImage image = target->grab().toImage();
            if (image.isNull() || !image.save(a.screenshot, "PNG")) {
                std::fprintf(stderr, "vrowin: cannot write %s\n", qPrintable(a.screenshot));
                result = 2;
            } else {
                result = 0;
            }
            // A normal close, so that the configuration ends as after any run.
            window.close();
            app.quit();
        });
    });
    app.exec();
    return result;
}

} // namespace

namespace {

// Numbers and dates in the forms of the user's locale, mapped as vro maps
// the C library's; the texts keep the language setting.
void UseSystemLocaleForms()
{
    const QLocale l = QLocale::system();
    if (l.language() == QLocale::C) {
        // The toolkit's C locale writes month names; the C library's form
        // keeps the two programs alike.
        vro::SetDvxFormatSettings(vro::FormatSettingsFromLocale(vro::TLocaleFacts::C()));
        return;
    }
    vro::TLocaleFacts f;
    f.DecimalPoint = l.decimalPoint().toStdString();
    f.DateFormat = l.dateFormat(QLocale::ShortFormat).toStdString();
    f.TimeFormat = l.timeFormat(QLocale::LongFormat).toStdString();
    f.AmText = l.amText().toStdString();
    f.PmText = l.pmText().toStdString();
    vro::SetDvxFormatSettings(vro::FormatSettingsFromLocale(f));
}

} // namespace

int main(int argc, char** argv)
{
    const TArguments args = ParseArguments(argc, argv);
    if (args.help) {
        std::printf("usage: vrowin [--language de|en|fr] [--config FILE] [--port PATH] [FILE]\n"
                    "       vrowin --screenshot OUT.png [--size WxH] [options] [FILE]\n"
                    "       vrowin --show FORMNAME --screenshot OUT.png [--size WxH] [options] [FILE...]\n"
                    "FORMNAME: %s\n",
                    qPrintable(ShowFormNames().join(QStringLiteral(", "))));
        return 0;
    }
    if (!args.error.isEmpty()) {
        std::fprintf(stderr, "vrowin: %s\n", qPrintable(args.error));
        return 2;
    }
    if (!args.show.isEmpty() && args.screenshot.isEmpty()) {
        std::fprintf(stderr, "vrowin: --show needs --screenshot\n");
        return 2;
    }
    if (!args.show.isEmpty() && !FindShowForm(args.show)) {
        std::fprintf(stderr, "vrowin: unknown form %s (--help lists the names)\n", qPrintable(args.show));
        return 2;
    }
    if (!args.screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VROWIN"));
    QApplication::setApplicationDisplayName(QStringLiteral("VROWIN"));
    QApplication::setDesktopFileName(QStringLiteral("vrowin"));
    // The toolkit set the C library to the user's locale; numbers written by
    // the C library (files, the TDM export) keep the decimal point, the user's
    // forms come from the format settings.
    std::setlocale(LC_NUMERIC, "C");
    UseSystemLocaleForms();
    if (!args.screenshot.isEmpty())
        return Screenshot(app, args);

    // A running instance takes the file (or just comes to the front).
    const QString serverName = InstanceServerName();
    if (SendToRunningInstance(serverName, AbsoluteHandOffPath(args.options.file)))
        return 0;
    TSingleInstanceServer server;
    server.Listen(serverName); // when this fails the program still runs, as a second instance

    TMainForm window(args.options);
    QObject::connect(&server, &TSingleInstanceServer::activationRequested, &window, &TMainForm::HandOff);
    window.show();
    return app.exec();
}
