#include "app/main/mainform.h"

#include "app/calc/channelforms.h"
#include "app/connection/connectionforms.h"
#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/export/exportforms.h"
#include "app/graph/graph.h"
#include "app/graph/graphicframe.h"
#include "app/table/tableframe.h"
#include "app/diag/v24logform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "app/main/documents.h"
#include "app/main/mainmenu.h"
#include "app/main/memmonitor.h"
#include "app/main/placement.h"
#include "app/main/startup.h"
#include "app/main/recordingtext.h"
#include "core/calc/calcchannel.h"
#include "core/config/applicationconfig.h"
#include "core/recording/recording.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QStackedLayout>


namespace vro::app {

namespace {

enum TChannelCommand { ccCalc, ccFilter, ccTimeShift, ccDelete };

const char* const kDiagnosisNote = "Es gibt noch andere Befehle für verschiedene Diagnosefunktionen:\n\n"
                                   "DIAGNOSE: ein Diagnosefenster, das die Datenübertragung aufzeichnet\n"
                                   "MEMMONITOR: die Speicherbelegung des Programms";

} // namespace

TMainForm::TMainForm(const TStartOptions& options, QWidget* parent) : QMainWindow(parent), options_(options)
{
    setObjectName(QStringLiteral("MainForm"));
    // 1. The configuration object exists before anything reads a setting.
    configUi_ = std::make_unique<TQtConfigUi>(options_.interactive);
    config_ = std::make_unique<vro::TApplicationConfig>(options_.configFile.isEmpty()
                                                            ? vro::DefaultConfigFileName()
                                                            : std::filesystem::path(options_.configFile.toStdString()),
                                                        configUi_.get());
    // 3. Layout with the status row; 4. key preview through an event filter.
    BuildLayout();
    qApp->installEventFilter(this);
    // 5. No language is loaded yet: English until the configuration is read.
    SelectLanguage(QStringLiteral("en"));
    // 6. The documents (recording manager) with the two notifications.
    documents_ = std::make_unique<TDocuments>(*config_, this);
    connect(documents_.get(), &TDocuments::listChanged, this, &TMainForm::ActiveRecordingChanged);
    connect(documents_.get(), &TDocuments::beforeAction, this, [](vro::TRecording&) {
        // The description pane commits its edits here once it exists.
    });
    // 7. The connection with its connector and serial port; its log
    // lines and completion handlers reach this thread as queued calls.
    connection_ = std::make_unique<vro::TDvxConnection>(nullptr, [this](std::function<void()> fn) {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    });
    connection_->SetConfig(&config_->List());
    errorHandler_ = std::make_unique<vro::TDvxErrorHandler>();
    configUi_->onReloadConnection = [this] { connection_->LoadSettings(); };
    // 8. Active-recording refresh with the empty list.
    ActiveRecordingChanged();
    // 9. The first idle moment runs once the event loop is idle.
    QTimer::singleShot(0, this, &TMainForm::FirstIdle);
    // 10. Files may be dropped on the window.
    setAcceptDrops(true);
    // 11. Texts; 12. settings: configuration, recording manager, connection.
    ApplyTexts();
    config_->Load();
    documents_->LoadSettings();
    connection_->LoadSettings();
    LoadExportSettings(exportParameter_, config_->List());
    if (!options_.language.isEmpty())
        config_->SetLanguage(options_.language.toStdString());
    if (!options_.port.isEmpty()) {
        try {
            connection_->SetPortPath(options_.port.toStdString());
        } catch (const std::exception& e) {
            portError_ = QString::fromStdString(e.what());
        }
    }
    // 13. The device manager, which owns the one recorder object.
    deviceManager_ = std::make_unique<vro::TVro8Manager>(*connection_, &documents_->Manager());
    connect(&idleTimer_, &QTimer::timeout, this, &TMainForm::IdleTick);
}

TMainForm::~TMainForm()
{
    qApp->removeEventFilter(this);
    documentList_->disconnect(this);
    if (logForm_)
        delete logForm_.data();
    if (memMonitor_)
        delete memMonitor_.data();
    // The device window refers to all of them; the device manager to the
    // connection and the documents; the configuration goes last.
    if (deviceWindow_)
        delete deviceWindow_.data();
    deviceManager_.reset();
    documents_.reset();
    errorHandler_.reset();
    connection_.reset();
}

void TMainForm::BuildLayout()
{
    setMinimumSize(640, 380);
    StyleWindowBackground(this);
    menu_ = BuildMainMenu(this);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralWidget"));
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    outer->setSpacing(kSpacing);

    mainPanel_ = MakePanel(QStringLiteral("MainPanel"), MainPanelColor(), central);
    auto* mainLayout = new QVBoxLayout(mainPanel_);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, mainPanel_);
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    mainLayout->addWidget(splitter_);

    leftPanel_ = MakePanel(QStringLiteral("LeftPanel"), LeftPanelColor(), splitter_);
    leftPanel_->setMinimumWidth(120);
    auto* leftLayout = new QVBoxLayout(leftPanel_);
    leftLayout->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    documentList_ = new QListWidget(leftPanel_);
    documentList_->setObjectName(QStringLiteral("DocumentListBox"));
    leftLayout->addWidget(documentList_);
    connect(documentList_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != documents_->ActiveIndex())
            Run([this, row] { documents_->Activate(row); });
    });

    rightPanel_ = MakePanel(QStringLiteral("RightPanel"), MainPanelColor(), splitter_);
    // The splitter refuses a left width that leaves the right side under 200 pixels.
    rightPanel_->setMinimumWidth(200);
    auto* stack = new QStackedLayout(rightPanel_);
    stack->setStackingMode(QStackedLayout::StackAll);
    blankShape_ = MakePanel(QStringLiteral("BlankShape"), WindowBackgroundColor(), rightPanel_);
    stack->addWidget(blankShape_);
    // The panes of the active recording, one above the other: graph, table, properties.
    paneSplitter_ = new QSplitter(Qt::Vertical, rightPanel_);
    paneSplitter_->setObjectName(QStringLiteral("PaneSplitter"));
    paneSplitter_->setChildrenCollapsible(false);
    graphicFrame_ = new TGraphicFrame(paneSplitter_);
    tableFrame_ = new TTableFrame(paneSplitter_);
    propertiesPane_ = new QPlainTextEdit(paneSplitter_);
    propertiesPane_->setObjectName(QStringLiteral("PropertiesPane"));
    propertiesPane_->setReadOnly(true);
    propertiesPane_->setLineWrapMode(QPlainTextEdit::NoWrap);
    propertiesPane_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    paneSplitter_->addWidget(graphicFrame_);
    paneSplitter_->addWidget(tableFrame_);
    paneSplitter_->addWidget(propertiesPane_);
    paneSplitter_->setStretchFactor(0, 3);
    paneSplitter_->setStretchFactor(1, 2);
    paneSplitter_->setStretchFactor(2, 1);
    paneSplitter_->hide();
    stack->addWidget(paneSplitter_);
    splitter_->addWidget(leftPanel_);
    splitter_->addWidget(rightPanel_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({200, 600});
    outer->addWidget(mainPanel_, 1);

    bottomPanel_ = MakePanel(QStringLiteral("BottomPanel"), BottomPanelColor(), central);
    bottomPanel_->setFixedHeight(kLineHeight + 8);
    auto* bottomLayout = new QHBoxLayout(bottomPanel_);
    bottomLayout->setContentsMargins(4, 2, 4, 2);
    connectionStateLabel_ = new TButtonLabel(QStringLiteral("ConnectionStateLabel"), bottomPanel_);
    connectionStateLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    bottomLayout->addWidget(connectionStateLabel_);
    bottomLayout->addStretch(1);
    recordingChangedLabel_ = new QLabel(bottomPanel_);
    recordingChangedLabel_->setObjectName(QStringLiteral("RecordingChangedLabel"));
    recordingChangedLabel_->setMinimumWidth(80);
    bottomLayout->addWidget(recordingChangedLabel_);
    outer->addWidget(bottomPanel_);
    setCentralWidget(central);
    ConnectMenu();
}

void TMainForm::Run(const std::function<void()>& command)
{
    // Menu commands end silently when a dialog is cancelled (ESilentAbort);
    // any other error is shown and the program goes on.
    try {
        command();
    } catch (const ESilentAbort&) {
    } catch (const std::exception& e) {
        MessageBox(QString::fromStdString(e.what()), {}, MB_OK | MB_ICONERROR);
    }
}

void TMainForm::ConnectMenu()
{
    const TMainMenu& m = menu_;
    auto on = [this](QAction* a, std::function<void()> fn) {
        connect(a, &QAction::triggered, this, [this, fn] { Run(fn); });
    };
    on(m.open, [this] { documents_->OpenWithDialog(); });
    on(m.import, [this] { documents_->ImportWithDialog(); });
    on(m.save, [this] { documents_->Save(); });
    on(m.saveAs, [this] { documents_->SaveAs(); });
    on(m.saveAll, [this] { documents_->SaveAll(); });
    on(m.close, [this] {
        ToolOff();
        documents_->Close();
    });
    on(m.closeAll, [this] {
        ToolOff();
        documents_->CloseAll();
    });
    on(m.quit, [this] { close(); });
    on(m.viewGraphic, [this] { ShowPane(&TPanesWanted::graphic, !panes_.graphic); });
    on(m.viewTable, [this] { ShowPane(&TPanesWanted::table, !panes_.table); });
    on(m.viewProperties, [this] { ShowPane(&TPanesWanted::properties, !panes_.properties); });
    for (const TMenuEntry* e = MainMenuEntries(); e->kind != TMenuKind::End; ++e)
        if (e->paneCommand) {
            const QString label = QString::fromLatin1(e->paneCommand);
            on(m.*(e->action), [this, label] { graphicFrame_->RunCommand(label); });
        }
    on(m.calcFormula, [this] { RunChannelCommand(ccCalc); });
    on(m.calcFilter, [this] { RunChannelCommand(ccFilter); });
    on(m.timeShift, [this] { RunChannelCommand(ccTimeShift); });
    on(m.deleteChannel, [this] { RunChannelCommand(ccDelete); });
    on(m.exportOne, [this] {
        if (vro::TRecording* r = documents_->Active())
            RunExport(*r, exportParameter_, this);
    });
    on(m.exportAll, [this] { RunExportFolder(exportParameter_, this); });
    on(m.connection, [this] { OpenConnection(); });
    on(m.deviceWindow, [this] { OpenDeviceWindow(); });
    connect(connectionStateLabel_, &TButtonLabel::clicked, this, [this] { Run([this] { OpenConnection(); }); });
    on(m.reference, [this] { documents_->ReferenceDialog(); });
    on(m.extract, [this] {
        ToolOff();
        documents_->Extract();
    });
    on(m.resetOptions, [this] { ResetOptions(); });
    for (int i = 0; i < static_cast<int>(m.recentFiles.size()); ++i)
        on(m.recentFiles[static_cast<std::size_t>(i)], [this, i] { documents_->OpenRecent(i); });
    connect(m.file, &QMenu::aboutToShow, this, &TMainForm::FillRecentFiles);
    m.open->setShortcut(QKeySequence::Open);
    m.save->setShortcut(QKeySequence::Save);
    m.quit->setShortcut(QKeySequence::Quit);
}

void TMainForm::ApplyTexts()
{
    SelectLanguage(config_ ? QString::fromStdString(config_->Language()) : QStringLiteral("en"));
    ApplyQtCaptions(this, kTextBase);
    graphicFrame_->ApplyTexts();
    setWindowTitle(ApplicationTitle());
    StyleButtonLabel(connectionStateLabel_);
    IdleTick();
}

void TMainForm::SetLanguage(const QString& code)
{
    config_->SetLanguage(code.toStdString());
    ApplyTexts();
}

void TMainForm::FirstIdle()
{
    if (firstIdleDone_)
        return;
    firstIdleDone_ = true;
    bool ok = true;
    try {
        configUi_->currentLanguage = config_->Language();
        ok = config_->RunStartupProtocol();
        if (ok) {
            ApplyTexts();
            if (!portError_.isEmpty())
                MessageBox(portError_, {}, MB_OK | MB_ICONERROR);
            if (!options_.file.isEmpty())
                OpenFileByName(options_.file);
        }
    } catch (const ESilentAbort&) {
    } catch (const std::exception& e) {
        MessageBox(QString::fromStdString(e.what()), {}, MB_OK | MB_ICONERROR);
    }
    idleTimer_.start(250);
    if (!ok)
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    emit startupFinished();
}

void TMainForm::OpenFileByName(const QString& path)
{
    // A dialog that is open stays in front.
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->setFocus();
    const QString ext = QFileInfo(path).suffix().toLower();
    Run([&] {
        if (ext == QStringLiteral("vxupd")) {
            // 129: Note; 130: The file is a firmware file. You can acce...
            ShowMessageDialog(Txt(129), Txt(130), miInformation, {}, mbOK);
        } else if (ext == QStringLiteral("vxrf") || ext == QStringLiteral("vrf")) {
            documents_->OpenFile(path);
        } else {
            ShowMessageDialog({}, Txt(131), miError, {}, mbOK); // 131: File cannot be opened with VroWin.
        }
    });
}

void TMainForm::HandOff(const QString& path)
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    if (!path.isEmpty())
        OpenFileByName(path);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    QStringList files;
    for (const QUrl& u : urls)
        if (u.isLocalFile())
            files << u.toLocalFile();
    // After the drop has been answered, in drop order.
    QMetaObject::invokeMethod(
        this,
        [this, files] {
            for (const QString& f : files)
                OpenFileByName(f);
        },
        Qt::QueuedConnection);
}

bool TMainForm::IsBlankShown() const { return !blankShape_->isHidden(); }

void TMainForm::ShowPane(bool TPanesWanted::*pane, bool show)
{
    panes_.*pane = show;
    RefreshPanes();
    RefreshMenuState();
}

void TMainForm::RefreshPanes()
{
    vro::TRecording* active = documents_ ? documents_->Active() : nullptr;
    const bool any = active != nullptr;
    paneSplitter_->setVisible(any);
    blankShape_->setVisible(!any);
    graphicFrame_->setVisible(any && panes_.graphic);
    tableFrame_->setVisible(any && panes_.table);
    propertiesPane_->setVisible(any && panes_.properties);
    if (any)
        RefreshPropertiesPane();
    if (any && tableFrame_->isVisible())
        tableFrame_->Refresh();
}

std::vector<int> TMainForm::DrawnChannels() const
{
    std::vector<int> out;
    for (std::int32_t c : graphicFrame_->View().DrawList)
        out.push_back(c);
    return out;
}

void TMainForm::ToolOff()
{
    // The tool's window and readouts end before a command changes what the
    // tool works on.
    graph::TGraphicView& view = graphicFrame_->View();
    if (view.Recording && view.ActiveTool != 0)
        view.SetTool(0);
}

void TMainForm::RunChannelCommand(int kind)
{
    vro::TRecording* r = documents_->Active();
    if (!r)
        return;
    ToolOff();
    const auto changed = [this] {
        graphicFrame_->View().MarkChanged();
        graphicFrame_->ProcessChanges();
        tableFrame_->Refresh();
        documents_->Manager().Refresh();
    };
    const bool adds = kind == ccCalc || kind == ccFilter;
    if (adds && r->ChannelCount >= vro::TRecording::MaxChannels) {
        MessageBox(Txt(136), {}, MB_OK | MB_ICONERROR); // 136: No further channels can be added. A recording...
        return;
    }
    if (adds && !CheckDerivedChannelAllowed(*r, kind == ccCalc))
        return;
    // The view history stays as it is while the dialog runs; the state it
    // leaves behind is added afterwards.
    r->History.Locked = true;
    struct TUnlock {
        vro::TRecording& r;
        ~TUnlock() { r.History.Locked = false; }
    } unlock{*r};
    switch (kind) {
    case ccCalc: {
        TCalcChannelForm form(*r, this);
        form.changed = changed;
        form.exec();
        break;
    }
    case ccFilter: {
        TFilterChannelForm form(*r, this);
        form.changed = changed;
        form.exec();
        break;
    }
    case ccTimeShift: {
        const std::vector<int> drawn = DrawnChannels();
        if (const int refusal = vro::TimeShiftRefusal(*r, drawn.size())) {
            // 469: nothing drawn to shift, a warning; the others are errors.
            MessageBox(Txt(refusal), Txt(463) /* Channel time-shifting wizard */,
                       MB_OK | (refusal == 469 ? MB_ICONWARNING : MB_ICONERROR));
            return;
        }
        TTimeShiftForm form(*r, drawn, graphicFrame_->Graph() ? graphicFrame_->Graph()->width() : 0, this);
        form.changed = changed;
        form.exec();
        break;
    }
    case ccDelete: {
        if (const int refusal = vro::DeleteChannelRefusal(*r)) {
            MessageBox(Txt(refusal), Txt(449) /* Remove channels */, MB_OK | MB_ICONERROR);
            return;
        }
        TDeleteChannelForm form(*r, this);
        form.changed = changed;
        form.exec();
        break;
    }
    }
    r->History.Locked = false;
    changed();
    graphicFrame_->RebuildYAxes();
    graphicFrame_->RebuildLegend();
    RefreshMenuState();
}

void TMainForm::OpenConnection()
{
    ShowConnectionDialog(*connection_, *deviceManager_, this, mainPanel_->mapToGlobal(QPoint(100, 0)));
}

TVroForm* TMainForm::OpenDeviceWindow()
{
    if (!deviceWindow_) {
        deviceWindow_ = new TVroForm(TVroContext{*config_, *connection_, *deviceManager_, *errorHandler_,
                                                 documents_.get(), [this] { DeviceWindowClosed(); }},
                                     this);
        deviceWindow_->setWindowTitle(menu_.deviceWindow->text().remove(QRegularExpression(QStringLiteral("&(?!&)"))));
        deviceWindow_->Initialise();
    }
    deviceWindow_->setWindowModality(connection_->IsOpen() ? Qt::NonModal : Qt::ApplicationModal);
    deviceWindow_->show();
    deviceWindow_->raise();
    deviceWindow_->activateWindow();
    return deviceWindow_;
}

TVroForm* TMainForm::DeviceWindow() const { return deviceWindow_.data(); }

void TMainForm::DeviceWindowClosed() { deviceWindow_.clear(); }

void TMainForm::RefreshPropertiesPane()
{
    vro::TRecording* r = documents_->Active();
    propertiesPane_->setPlainText(r ? RecordingPropertiesText(*r) : QString());
}

QString TMainForm::DocumentEntryText(int i) const
{
    vro::TRecording* r = documents_->Item(i);
    const QString name = QString::fromStdString(documents_->Manager().RelativeName(*r));
    QString text = QStringLiteral("%1.  %2").arg(i + 1).arg(name);
    if (!r->Saved)
        text += QStringLiteral("  *");
    return text;
}

void TMainForm::RefreshDocumentList()
{
    const QSignalBlocker block(documentList_);
    documentList_->clear();
    for (int i = 0; i < documents_->Count(); ++i)
        documentList_->addItem(DocumentEntryText(i));
    documentList_->setCurrentRow(documents_->ActiveIndex());
}

void TMainForm::ActiveRecordingChanged()
{
    if (!documents_)
        return;
    vro::TRecording* active = documents_->Active();
    // The views never own the recording: they are handed the active one.
    graphicFrame_->SetRecording(active);
    tableFrame_->SetRecording(active);
    RefreshPanes();
    RefreshMenuState();
}

void TMainForm::RefreshMenuState()
{
    ToolOff();
    const TMainMenu& m = menu_;
    const bool hasActive = documents_ && documents_->Active() != nullptr;
    for (QAction* a :
         {m.save, m.saveAs, m.saveAll, m.close, m.closeAll, m.exportOne, m.viewGraphic, m.viewTable, m.viewProperties})
        a->setEnabled(hasActive);
    // The Graph and Edit menus work on the graphic pane: without it they are disabled.
    const bool graphicVisible = hasActive && panes_.graphic;
    m.view->setEnabled(hasActive);
    m.graphic->setEnabled(graphicVisible);
    m.edit->setEnabled(graphicVisible);
    m.viewProperties->setChecked(panes_.properties);
    m.viewTable->setChecked(panes_.table);
    m.viewGraphic->setChecked(graphicVisible);
    RefreshDocumentList();
}

void TMainForm::FillRecentFiles()
{
    const QStringList recent = documents_->RecentFiles();
    // Relative to the documents' folder, as the document list names them.
    const QDir current(QString::fromStdString(documents_->Manager().CurrentFolder()));
    for (int i = 0; i < static_cast<int>(menu_.recentFiles.size()); ++i) {
        QAction* a = menu_.recentFiles[static_cast<std::size_t>(i)];
        if (i < recent.size()) {
            a->setText(QStringLiteral("%1.  %2").arg(i + 1).arg(current.relativeFilePath(recent[i])));
            a->setVisible(true);
        } else {
            a->setText(QStringLiteral("%1.  ").arg(i + 1));
            a->setVisible(false);
        }
    }
    menu_.recentSeparator->setVisible(!recent.isEmpty());
}

QString TMainForm::StatusConnectionText() const { return connectionStateLabel_->text().trimmed(); }
QString TMainForm::StatusChangedText() const { return recordingChangedLabel_->text(); }

void TMainForm::IdleTick()
{
    if (!config_ || !documents_)
        return;
    if (firstIdleDone_ && isVisible())
        StoreWindowPlacement(*config_, QStringLiteral("MainForm"), this);
    if (deviceManager_ && deviceManager_->IsConnected())
        connectionStateLabel_->setText(
            FrameButtonCaption(Txt(622) + QLatin1Char(' ') +
                               QString::fromStdString(deviceManager_->GetDescription()))); // 622: Connected with
    else
        connectionStateLabel_->setText(FrameButtonCaption(Txt(621))); // 621: No connection exists
    vro::TRecording* active = documents_->Active();
    recordingChangedLabel_->setText(active && !active->Saved ? Txt(128) : QString()); // 128: changed
    if (graphicFrame_->isVisible())
        graphicFrame_->ProcessChanges();
    // The history and view-list items are enabled as the pane's labels are.
    if (!IsButtonLabelHeld())
        for (const TMenuEntry* e = MainMenuEntries(); e->kind != TMenuKind::End; ++e)
            if (e->followsPaneCommand)
                if (TButtonLabel* l = graphicFrame_->CommandLabel(QString::fromLatin1(e->paneCommand)))
                    (menu_.*(e->action))->setEnabled(active && l->isEnabled());
    if (!IsButtonLabelHeld())
        RefreshDocumentListMarks();
    if (deviceWindow_ && deviceWindow_->isVisible())
        deviceWindow_->PeriodicUpdate();
}

void TMainForm::RefreshDocumentListMarks()
{
    if (documentList_->count() != documents_->Count()) {
        RefreshDocumentList();
        return;
    }
    for (int i = 0; i < documentList_->count(); ++i) {
        const QString text = DocumentEntryText(i);
        if (documentList_->item(i)->text() != text)
            documentList_->item(i)->setText(text);
    }
}

void TMainForm::showEvent(QShowEvent* event)
{
    if (!placementRestored_) {
        placementRestored_ = true;
        RestoreWindowPlacement(*config_, QStringLiteral("MainForm"), this);
    }
    QMainWindow::showEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // Key preview: the window sees every key typed in it before the focused
    // control. A key event travels from the focus widget up to its parents and
    // passes this filter at each step; it is counted once, at its first
    // receiver (the focus widget, or the window itself when nothing inside it
    // has the focus).
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this) {
            QWidget* focus = QApplication::focusWidget();
            const bool focusInside = focus && focus->window() == this;
            if (w == focus || (w == this && !focusInside))
                OnKey(static_cast<QKeyEvent*>(event)->key());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::OnKey(int key)
{
    const bool mem = memMonitorWord_.Feed(key);
    const bool diag = diagnoseWord_.Feed(key);
    if (mem)
        OpenMemMonitor();
    if (diag)
        OpenDiagnosis();
    if (mem || diag)
        QMetaObject::invokeMethod(
            this, [] { ShowNote(QString::fromUtf8(kDiagnosisNote)); }, Qt::QueuedConnection);
}

void TMainForm::OpenDiagnosis()
{
    if (!logForm_)
        logForm_ = new TDvxV24LogForm(connection_->Connector());
    logForm_->show();
    logForm_->raise();
}

void TMainForm::OpenMemMonitor()
{
    if (!memMonitor_)
        memMonitor_ = new TMemMonitorForm;
    memMonitor_->show();
    memMonitor_->raise();
}

void TMainForm::ResetOptions()
{
    // 14: This causes all of the options and program settings that you have modified to be reset to the default...
    if (MessageBox(Txt(14), {}, MB_YESNO | MB_ICONWARNING) != mrYes)
        return;
    config_->SetResetFlag(true);
    MessageBox(Txt(15), {}, MB_OK | MB_ICONINFORMATION); // 15: All options have been reset. The modification...
}

void TMainForm::SaveSettings()
{
    documents_->RememberRecentFiles();
    SaveExportSettings(exportParameter_, config_->List());
    try {
        connection_->SaveSettings();
    } catch (const std::exception&) {
        // The connection keys are lost for this run; the rest is still written.
    }
    config_->Save(true);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!quitAccepted_) {
        // A real-time measurement ends first, so that its recording is among
        // the documents the unsaved check asks about.
        if (deviceWindow_)
            deviceWindow_->EndRun();
        bool ok = false;
        Run([&] { ok = documents_->CheckUnsaved(); });
        if (!ok) {
            event->ignore();
            return;
        }
        quitAccepted_ = true;
        idleTimer_.stop();
        SaveSettings();
        if (logForm_)
            logForm_->close();
        if (memMonitor_)
            memMonitor_->close();
        if (deviceWindow_)
            deviceWindow_->close();
    }
    event->accept();
}

} // namespace vro::app
