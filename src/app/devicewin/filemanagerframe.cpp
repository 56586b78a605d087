#include "app/devicewin/filemanagerframe.h"

#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/dialogs/progressform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "app/main/documents.h"
#include "core/config/applicationconfig.h"
#include "core/recording/recording.h"
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "core/util/listfolder.h"
#include "core/values/dvxdatetime.h"
#include "device/files/vrorecordtransfer.h"
#include "device/files/vrosetuptransfer.h"
#include "device/manager/vro8manager.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCollator>
#include <QComboBox>
#include <QEventLoop>
#include <QTimer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>

namespace vro::app {

namespace {

constexpr int kLineRole = Qt::UserRole;

QTreeWidget* MakeList(const QString& name, QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(2);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformRowHeights(true);
    return list;
}

int CollatorCompare(const std::string& a, const std::string& b)
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return collator.compare(QString::fromStdString(a), QString::fromStdString(b));
}

} // namespace

TDvxFileManagerFrame::TDvxFileManagerFrame(TVroForm& form, QWidget* parent, const QString& objectName)
    : TVroPageFrame(form, parent)
{
    setObjectName(objectName);
    MarkCaptionFrame(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(kSpacing);
    auto* top = MakePanel(QStringLiteral("TopPanel"), TopPanelColor(), this);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(8, 4, 8, 4);
    title_ = MakeTitleLabel(QStringLiteral("TitleLabel"), top);
    topLayout->addWidget(title_);
    outer->addWidget(top);

    auto* middle = new QWidget(this);
    auto* h = new QHBoxLayout(middle);
    h->setContentsMargins(6, 4, 6, 4);
    const auto column = [&](QTreeWidget*& list, const QString& listName, const char* nameLabel, const char* dateLabel,
                            int which, QWidget* above) {
        auto* box = new QWidget(middle);
        auto* v = new QVBoxLayout(box);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(2);
        if (above)
            v->addWidget(above);
        auto* heads = new QWidget(box);
        auto* hh = new QHBoxLayout(heads);
        hh->setContentsMargins(0, 0, 0, 0);
        auto* byName = new TButtonLabel(QString::fromLatin1(nameLabel), heads);
        auto* byDate = new TButtonLabel(QString::fromLatin1(dateLabel), heads);
        hh->addWidget(byName, 1);
        hh->addWidget(byDate, 1);
        v->addWidget(heads);
        list = MakeList(listName, box);
        v->addWidget(list, 1);
        connect(byName, &TButtonLabel::clicked, this, [this, which] { SortBy(which, 0); });
        connect(byDate, &TButtonLabel::clicked, this, [this, which] { SortBy(which, 1); });
        list->installEventFilter(this);
        connect(list, &QTreeWidget::itemSelectionChanged, this, &TDvxFileManagerFrame::RefreshButtons);
        return box;
    };
    h->addWidget(column(sensorList_, QStringLiteral("SensorListBox"), "x8xSensorNameNumberLabel",
                        "x7xSensorDateTimeLabel", 0, nullptr),
                 1);
    auto* arrows = new QWidget(middle);
    auto* av = new QVBoxLayout(arrows);
    av->addStretch(1);
    toFolder_ = new TButtonLabel(QStringLiteral("SensorToFolderButton"), arrows);
    toFolder_->setText(QStringLiteral(">"));
    toSensor_ = new TButtonLabel(QStringLiteral("FolderToSensorButton"), arrows);
    toSensor_->setText(QStringLiteral("<"));
    av->addWidget(toFolder_);
    av->addWidget(toSensor_);
    av->addStretch(1);
    h->addWidget(arrows);
    auto* pathRow = new QWidget(middle);
    auto* ph = new QHBoxLayout(pathRow);
    ph->setContentsMargins(0, 0, 0, 0);
    folderLabel_ = new QLabel(pathRow);
    folderLabel_->setObjectName(QStringLiteral("FolderPathLabel"));
    folderLabel_->setTextFormat(Qt::PlainText);
    auto* choose = new TButtonLabel(QStringLiteral("NewFolderPathSpeedButton"), pathRow);
    choose->setText(QStringLiteral("..."));
    ph->addWidget(folderLabel_, 1);
    ph->addWidget(choose);
    h->addWidget(column(folderList_, QStringLiteral("FolderListBox"), "x6xFolderNameLabel", "x7xFolderDateTimeLabel", 1,
                        pathRow),
                 1);
    outer->addWidget(middle, 1);

    option_ = new QComboBox(this);
    option_->setObjectName(QStringLiteral("x25x28xNewNameOptionComboBox"));
    outer->addWidget(option_);

    auto* bottom = MakePanel(QStringLiteral("BottomPanel"), BottomPanelColor(), this);
    bottom->setFixedHeight(kLineHeight + 10);
    auto* bh = new QHBoxLayout(bottom);
    bh->setContentsMargins(4, 2, 4, 2);
    bh->addStretch(1);
    open_ = new TButtonLabel(QStringLiteral("x1xOpenLabel"), bottom);
    delete_ = new TButtonLabel(QStringLiteral("x2xDeleteLabel"), bottom);
    refresh_ = new TButtonLabel(QStringLiteral("x3xUpdateLabel"), bottom);
    bh->addWidget(open_);
    bh->addWidget(delete_);
    bh->addWidget(refresh_);
    outer->addWidget(bottom);

    ApplyQtCaptions(this, kTextBase);
    for (TButtonLabel* l : findChildren<TButtonLabel*>())
        StyleButtonLabel(l);
    progress_ = new TDvxProgressForm(this);

    connect(toFolder_, &TButtonLabel::clicked, this, [this] { SensorToFolder(); });
    connect(toSensor_, &TButtonLabel::clicked, this, [this] { FolderToSensor(); });
    connect(open_, &TButtonLabel::clicked, this, [this] { OpenSelected(); });
    connect(delete_, &TButtonLabel::clicked, this, [this] { DeleteSelected(); });
    connect(refresh_, &TButtonLabel::clicked, this, [this] { Update(); });
    connect(choose, &TButtonLabel::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, {}, QDir::currentPath());
        if (dir.isEmpty())
            return;
        SetFolder(dir);
        QDir::setCurrent(dir);
        Update();
    });
}

TDvxFileManagerFrame::~TDvxFileManagerFrame()
{
    if (!opened_)
        return;
    // Closing the page keeps the folder and the naming option.
    vro::TIniList& ini = Form().Config().List();
    ini.SelectSection("Folders");
    ini.WriteString("SensorRecordingFolder", folder_.toStdString());
    ini.SelectSection("CommentOptions");
    ini.WriteInt("RecordingNameOption", NameOption());
}

void TDvxFileManagerFrame::Open()
{
    const vro::TIniList& ini = Form().Config().List();
    folder_ =
        QString::fromStdString(ini.ReadString("Folders", "SensorRecordingFolder", QDir::currentPath().toStdString()));
    if (QFileInfo(folder_).isDir())
        QDir::setCurrent(folder_);
    SetNameOption(ini.ReadInt("CommentOptions", "RecordingNameOption", 0));
    opened_ = true;
    Update();
}

int TDvxFileManagerFrame::NameOption() const { return std::max(0, option_->currentIndex()); }
void TDvxFileManagerFrame::SetNameOption(int option) { option_->setCurrentIndex(std::clamp(option, 0, 3)); }

void TDvxFileManagerFrame::SetFolder(const QString& folder)
{
    folder_ = folder;
    folderLabel_->setText(folder);
}

void TDvxFileManagerFrame::Update()
{
    try {
        const vro::TVroPingHold hold = Form().HoldPing();
        RefreshDevice();
    } catch (const std::exception&) {
        SetDeviceLines({});
        DeviceError();
    }
    RefreshFolder();
    RefreshButtons();
}

void TDvxFileManagerFrame::RefreshFolder()
{
    if (!QFileInfo(folder_).isDir()) {
        MessageBox(QString::fromStdString(vro::FormatMessage(vro::text(548), {folder_.toStdString()})), {},
                   MB_OK | MB_ICONINFORMATION);
        // A program folder is not writable here: the home folder instead.
        folder_ = QDir::homePath();
        QDir::setCurrent(folder_);
    }
    SetFolder(folder_);
    std::vector<vro::TFolderFile> files;
    vro::ListFolder(folder_.toStdString(), Extension().toStdString(), files);
    std::vector<vro::TVroListLine> lines;
    for (const vro::TFolderFile& f : files) {
        vro::TVroListLine l;
        l.Name = f.Name;
        l.DateTime = f.DateTime;
        l.Path = (std::filesystem::path(folder_.toStdString()) / f.Name).string();
        lines.push_back(std::move(l));
    }
    lists_[1].lines = std::move(lines);
    Fill(1);
}

void TDvxFileManagerFrame::SetDeviceLines(std::vector<vro::TVroListLine> lines)
{
    lists_[0].lines = std::move(lines);
    Fill(0);
}

void TDvxFileManagerFrame::Fill(int which)
{
    TListState& st = lists_[which];
    if (st.column >= 0)
        vro::SortVroLines(st.lines, st.column == 0 ? vro::TVroSortColumn::Name : vro::TVroSortColumn::Date,
                          st.descending, CollatorCompare);
    QTreeWidget* list = which == 0 ? sensorList_ : folderList_;
    const QSignalBlocker block(list);
    list->clear();
    if (st.lines.empty()) {
        // 531: No valid files available!
        auto* item = new QTreeWidgetItem(list, QStringList{Txt(531) + QLatin1Char('\t')});
        item->setFlags(Qt::ItemIsEnabled);
    }
    for (std::size_t i = 0; i < st.lines.size(); ++i) {
        const vro::TVroListLine& l = st.lines[i];
        QString name = QString::fromStdString(l.Name);
        QString date;
        if (l.HasNumber) {
            name = QStringLiteral("%1-%2").arg(name).arg(l.Number, 5, 10, QLatin1Char('0'));
            date = l.DateTime > 0 ? QString::fromStdString(vro::Vro8StampText(static_cast<std::uint32_t>(
                                        std::llround((l.DateTime - vro::DvxDate2000) * 86400.0))))
                                  : QStringLiteral("---");
        } else {
            date = QString::fromStdString(vro::DvxDateTimeToText(l.DateTime));
        }
        auto* item = new QTreeWidgetItem(list, QStringList{name, date});
        item->setData(0, kLineRole, static_cast<int>(i));
    }
    list->resizeColumnToContents(0);
    list->resizeColumnToContents(1);
    RefreshButtons();
}

void TDvxFileManagerFrame::SortBy(int which, int column)
{
    TListState& st = lists_[which];
    st.descending = st.column == column ? !st.descending : false;
    st.column = column;
    Fill(which);
}

std::vector<int> TDvxFileManagerFrame::SelectedEntries() const
{
    std::vector<int> out;
    for (QTreeWidgetItem* item : sensorList_->selectedItems()) {
        const QVariant v = item->data(0, kLineRole);
        if (v.isValid())
            out.push_back(lists_[0].lines[static_cast<std::size_t>(v.toInt())].Index);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<QString> TDvxFileManagerFrame::SelectedFiles() const
{
    std::vector<QString> out;
    for (int i = 0; i < folderList_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = folderList_->topLevelItem(i);
        const QVariant v = item->data(0, kLineRole);
        if (item->isSelected() && v.isValid())
            out.push_back(QString::fromStdString(lists_[1].lines[static_cast<std::size_t>(v.toInt())].Path));
    }
    return out;
}

void TDvxFileManagerFrame::RefreshButtons()
{
    const bool any = !SelectedEntries().empty() || !SelectedFiles().empty();
    open_->setEnabled(any);
    delete_->setEnabled(any);
}

void TDvxFileManagerFrame::PeriodicUpdate() { RefreshButtons(); }

bool TDvxFileManagerFrame::IsTransferShown() const { return progress_->isVisible(); }

bool TDvxFileManagerFrame::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == sensorList_ || watched == folderList_) && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return TVroPageFrame::eventFilter(watched, event);
}

void TDvxFileManagerFrame::DeleteSelectedFiles()
{
    const std::vector<QString> files = SelectedFiles();
    if (files.empty())
        return;
    bool ok = true;
    for (const QString& f : files)
        ok = QFile::remove(f) && ok;
    RefreshFolder();
    if (ok)
        MessageBox(Txt(538), {}, MB_OK | MB_ICONINFORMATION); // 538: The selected file(s) was/were deleted success...
    else
        MessageBox(Txt(539), {}, MB_OK | MB_ICONERROR); // 539: The selected file(s) could not be deleted.
}

void TDvxFileManagerFrame::DeviceError() { Form().ReportDeviceError(); }

TDvxProgressForm& TDvxFileManagerFrame::StartProgress(const QString& title)
{
    Form().setEnabled(false);
    progress_->setEnabled(true);
    progress_->Begin(title, true, true);
    progress_->show();
    return *progress_;
}

void TDvxFileManagerFrame::EndProgress()
{
    progress_->Finish();
    Form().setEnabled(true);
}

// ---- stored settings ----------------------------------------------------------------------------

TVroSetupFileManagerFrame::TVroSetupFileManagerFrame(TVroForm& form, QWidget* parent)
    : TDvxFileManagerFrame(form, parent, QStringLiteral("TVroSetupFileManagerFrame"))
{
    setup_ = std::make_unique<vro::TVro8Setup>(form.Manager().Device());
    // 1288: Manage settings
    title_->setText(QString::fromStdString(form.Manager().GetDescription()) + QStringLiteral(" - ") + Txt(1288));
    Open();
}

TVroSetupFileManagerFrame::~TVroSetupFileManagerFrame() = default;

void TVroSetupFileManagerFrame::RefreshDevice()
{
    vro::TVro8Directory& dir = Form().Manager().Device().Directory;
    dir.RefreshSetups();
    std::vector<vro::TVroListLine> lines;
    for (int i = 0; i < dir.Count(); ++i) {
        const vro::TVro8Entry& e = dir.Entry(i);
        vro::TVroListLine l;
        l.Name = e.Name;
        l.Number = e.Number;
        l.HasNumber = true;
        l.DateTime = e.Date ? vro::DvxDate2000 + e.Date / 86400.0 : 0.0;
        l.Index = i;
        lines.push_back(std::move(l));
    }
    SetDeviceLines(std::move(lines));
}

namespace {

vro::TVroTransferProgress ProgressHooks(TDvxProgressForm& p)
{
    vro::TVroTransferProgress hooks;
    hooks.onItem = [&p](int position, int count, const std::string& name) {
        p.SetTotal(position - 1, count, QString::fromStdString(name));
        QApplication::processEvents();
    };
    hooks.aborted = [&p] {
        QApplication::processEvents();
        return p.IsAborted();
    };
    hooks.onRestore = [&p] {
        p.SetTotal(1, 1, Txt(1294)); // 1294: The current settings of the device are being...
        QApplication::processEvents();
    };
    return hooks;
}

} // namespace

void TVroSetupFileManagerFrame::SensorToFolder()
{
    const std::vector<int> entries = SelectedEntries();
    if (entries.empty())
        return;
    vro::TVroNaming naming;
    naming.Option = NameOption();
    if (!vro::AskNaming(*ui, naming))
        return;
    const vro::TVroPingHold hold = Form().HoldPing();
    TDvxProgressForm& p = StartProgress(Txt(1287)); // 1287: Transferring settings...
    vro::TVroTransferReport report;
    bool deviceError = false;
    try {
        report = vro::SetupsToFolder(*setup_, Form().Manager().Device().Directory, entries, Folder().toStdString(),
                                     naming, *ui, ProgressHooks(p));
        deviceError = report.Result == vro::TVroTransferResult::RestoreFailed;
    } catch (const std::exception&) {
        deviceError = true;
    }
    EndProgress();
    if (deviceError) {
        DeviceError();
        return;
    }
    Update();
}

void TVroSetupFileManagerFrame::FolderToSensor()
{
    const std::vector<QString> files = SelectedFiles();
    if (files.empty())
        return;
    vro::TVroNaming naming;
    naming.Option = NameOption();
    if (naming.Option == vro::noNewName && !vro::AskNewName(*ui, naming.NewName))
        return;
    std::vector<std::filesystem::path> paths;
    for (const QString& f : files)
        paths.emplace_back(f.toStdString());
    const vro::TVroPingHold hold = Form().HoldPing();
    TDvxProgressForm& p = StartProgress(Txt(1287)); // 1287: Transferring settings...
    vro::TVroTransferReport report;
    bool deviceError = false;
    try {
        report = vro::FilesToSetups(*setup_, Form().Manager().Device().Directory, paths, naming, *ui, ProgressHooks(p));
        deviceError = report.Result == vro::TVroTransferResult::RestoreFailed;
    } catch (const std::exception&) {
        deviceError = true;
    }
    EndProgress();
    if (deviceError) {
        DeviceError();
        return;
    }
    Update();
}

void TVroSetupFileManagerFrame::DeleteSelected()
{
    const std::vector<int> entries = SelectedEntries();
    const bool anyFile = !SelectedFiles().empty();
    if (entries.empty() && !anyFile)
        return;
    if (!ui->AskYesNo(vro::text(1296)))
        return;
    DeleteSelectedFiles();
    if (!entries.empty()) {
        const vro::TVroPingHold hold = Form().HoldPing();
        vro::DeleteEntries(Form().Manager().Device().Directory, Form().Manager().Device().Connector(), entries, 1295,
                           *ui);
    }
    Update();
}

// ---- recordings ---------------------------------------------------------------------------------

TVroRecordFileManagerFrame::TVroRecordFileManagerFrame(TVroForm& form, QWidget* parent)
    : TDvxFileManagerFrame(form, parent, QStringLiteral("TVroRecordFileManagerFrame"))
{
    ToSensorButton()->hide(); // recordings are not written into the recorder
    // 549: Recordings
    title_->setText(QString::fromStdString(form.Manager().GetDescription()) + QStringLiteral(" - ") + Txt(549));
    Open();
}

void TVroRecordFileManagerFrame::RefreshDevice()
{
    vro::TVro8Directory& dir = Form().Manager().Device().Directory;
    dir.RefreshRecordings();
    std::vector<vro::TVroListLine> lines;
    for (int i = 0; i < dir.Count(); ++i) {
        const vro::TVro8Entry& e = dir.Entry(i);
        vro::TVroListLine l;
        l.Name = e.Name;
        l.Number = e.Number;
        l.HasNumber = true;
        l.DateTime = e.Date ? vro::DvxDate2000 + e.Date / 86400.0 : 0.0;
        l.Index = i;
        lines.push_back(std::move(l));
    }
    SetDeviceLines(std::move(lines));
}

namespace {

// The page's questions, with a failure also written into the total line.
class TTransferUi : public vro::IVroFilesUi {
public:
    TTransferUi(vro::IVroFilesUi& inner, TDvxProgressForm& progress) : inner_(inner), progress_(progress) {}
    std::optional<std::string> AskText(const std::string& p, const std::string& i) override
    {
        return inner_.AskText(p, i);
    }
    bool AskYesNo(const std::string& q) override { return inner_.AskYesNo(q); }
    void ShowError(const std::string& t) override
    {
        progress_.SetTotal(0, 1, QString::fromStdString(t));
        inner_.ShowError(t);
    }
    void ShowInformation(const std::string& t) override { inner_.ShowInformation(t); }
    int AskTemplate(std::string& pattern) override { return inner_.AskTemplate(pattern); }

private:
    vro::IVroFilesUi& inner_;
    TDvxProgressForm& progress_;
};

} // namespace

void TVroRecordFileManagerFrame::Transfer(bool openMode)
{
    const std::vector<int> entries = SelectedEntries();
    if (entries.empty())
        return;
    vro::TVroNaming naming;
    naming.Option = NameOption();
    if (!openMode && !vro::AskNaming(*ui, naming))
        return;
    const vro::TVroPingHold hold = Form().HoldPing();
    TDvxProgressForm& p = StartProgress(Txt(550)); // 550: Transferring recording...
    TTransferUi transferUi(*ui, p);
    vro::TVroRecordingHooks hooks;
    QString line;
    hooks.onItem = [&p, &line](int position, int count, const std::string& name) {
        p.SetTotal(position - 1, count,
                   QString::fromStdString(
                       vro::FormatMessage(vro::text(551), {std::to_string(position), std::to_string(count)})));
        line = QString::fromStdString(name);
        p.SetCurrent(0, 1000, line);
    };
    hooks.onProgress = [&p, &line](int perMille) { p.SetCurrent(perMille, 1000, line); };
    hooks.pump = [] { QApplication::processEvents(QEventLoop::AllEvents, 20); };
    hooks.aborted = [&p] { return p.IsAborted(); };
    if (openMode)
        hooks.deliver = [this](const vro::TDeviceRecordingData& d) { Form().ReceiveRecording(d); };
    const vro::TVroTransferReport report =
        vro::RecordingsToFolder(Form().Manager().Device(), entries, Folder().toStdString(), naming, transferUi, hooks);
    if (report.Result == vro::TVroTransferResult::Aborted) {
        SensorList()->clearSelection();
    } else if (report.Result == vro::TVroTransferResult::Done) {
        RefreshFolder();
        // The finished window stays a moment before it closes.
        QEventLoop wait;
        QTimer::singleShot(finishHoldMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    EndProgress();
    RefreshButtons();
}

void TVroRecordFileManagerFrame::OpenSelected()
{
    const std::vector<QString> files = SelectedFiles();
    if (TDocuments* docs = Form().Documents()) {
        vro::TRecordingManager& m = docs->Manager();
        for (const QString& f : files)
            if (vro::TRecording* r = m.OpenFile(f.toStdString()); r && m.UseReferenceReceive)
                m.ApplyReference(m.IndexOf(r));
    }
    if (!SelectedEntries().empty())
        Transfer(true);
}

void TVroRecordFileManagerFrame::DeleteSelected()
{
    const std::vector<int> entries = SelectedEntries();
    const bool anyFile = !SelectedFiles().empty();
    if (entries.empty() && !anyFile)
        return;
    if (!ui->AskYesNo(vro::text(557)))
        return;
    DeleteSelectedFiles();
    if (!entries.empty()) {
        const vro::TVroPingHold hold = Form().HoldPing();
        vro::DeleteEntries(Form().Manager().Device().Directory, Form().Manager().Device().Connector(), entries, 556,
                           *ui);
    }
    Update();
}

} // namespace vro::app
