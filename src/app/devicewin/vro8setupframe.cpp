#include "app/devicewin/vro8setupframe.h"

#include "app/devicewin/vroform.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/manager/vro8manager.h"
#include "device/vro8device.h"
#include "device/window/vro8setupstore.h"
#include "device/window/vro8setupsummary.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>

namespace vro::app {

namespace {

struct TBlockNames {
    TVroSetupBlock block;
    const char* title;
    const char* summary;
};

const TBlockNames kBlocks[] = {
    {TVroSetupBlock::Sensors, "x8xSensorSetupLabel", "SensorSetupStateLabel"},
    {TVroSetupBlock::Triggers, "x9xTriggerSetupLabel", "TriggerSetupStateLabel"},
    {TVroSetupBlock::Recording, "x10xRecordingSetupLabel", "RecordingSetupStateLabel"},
    {TVroSetupBlock::Base, "x71xBaseSetupLabel", "BaseSetupStateLabel"},
    {TVroSetupBlock::Display, "x70xDisplaySetupLabel", "DisplaySetupStateLabel"},
    {TVroSetupBlock::Can, "x80xCanSetupLabel", "CanSetupStateLabel"},
};

struct TWaitCursor {
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString Joined(const std::vector<std::string>& lines) { return QString::fromStdString(vro::JoinLines(lines)); }

} // namespace

TVroSettingsListForm::TVroSettingsListForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TVroSettingsListForm"));
    setModal(true);
    setWindowTitle(Txt(1299)); // 1299: Settings in the Vro
    StyleWindowBackground(this);
    resize(340, 300);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(Txt(1300), this); // 1300: Please choose your settings
    caption->setObjectName(QStringLiteral("CaptionLabel"));
    layout->addWidget(caption);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("SettingsListBox"));
    layout->addWidget(list_);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (empty_ || !item || !onChoose)
            return;
        onChoose(item->data(Qt::UserRole).toInt());
    });
}

void TVroSettingsListForm::Fill(const std::vector<std::string>& lines)
{
    list_->clear();
    empty_ = lines.empty();
    if (empty_) {
        auto* item = new QListWidgetItem(Txt(531), list_); // 531: No valid files available!
        item->setFlags(Qt::ItemIsEnabled);
        return;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(lines[i]), list_);
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
}

TVro8SetupFrame::TVro8SetupFrame(TVroForm& form, QWidget* parent) : TVroPageFrame(form, parent)
{
    setObjectName(QStringLiteral("TVro8SetupFrame"));
    MarkCaptionFrame(this);
    setup_ = std::make_unique<vro::TVro8Setup>(form.Manager().Device());
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(kSpacing);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("SetupScrollBox"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = MakePanel(QStringLiteral("SetupPanel"), MainPanelColor(), scroll);
    auto* grid = new QGridLayout(inner);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    int n = 0;
    for (const TBlockNames& b : kBlocks) {
        auto* block = new QWidget(inner);
        auto* v = new QVBoxLayout(block);
        v->setContentsMargins(0, 0, 0, 0);
        v->setSpacing(2);
        auto* title = new TButtonLabel(QString::fromLatin1(b.title), block);
        title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto* summary = new QLabel(block);
        summary->setObjectName(QString::fromLatin1(b.summary));
        summary->setTextFormat(Qt::PlainText);
        summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
        v->addWidget(title);
        v->addWidget(summary);
        v->addStretch(1);
        titles_[static_cast<int>(b.block)] = title;
        summaries_[static_cast<int>(b.block)] = summary;
        grid->addWidget(block, n / 2, n % 2, Qt::AlignTop);
        if (b.block == TVroSetupBlock::Can)
            canBlock_ = block;
        const TVroSetupBlock which = b.block;
        connect(title, &TButtonLabel::clicked, this, [this, which] { OpenEditor(which); });
        ++n;
    }
    grid->setRowStretch(3, 1);
    scroll->setWidget(inner);
    outer->addWidget(scroll, 1);

    auto* bottom = MakePanel(QStringLiteral("BottomPanel"), BottomPanelColor(), this);
    bottom->setFixedHeight(kLineHeight + 10);
    auto* h = new QHBoxLayout(bottom);
    h->setContentsMargins(4, 2, 4, 2);
    h->addStretch(1);
    const std::pair<const char*, void (TVro8SetupFrame::*)()> actions[] = {
        {"x1xLoadFromDirLabel", &TVro8SetupFrame::LoadFromDirectory},
        {"x2xSaveToDirLabel", &TVro8SetupFrame::SaveToDirectory},
    };
    for (const auto& [name, fn] : actions) {
        auto* label = new TButtonLabel(QString::fromLatin1(name), bottom);
        h->addWidget(label);
        connect(label, &TButtonLabel::clicked, this, fn);
    }
    auto* loadFile = new TButtonLabel(QStringLiteral("x3xLoadFromFileLabel"), bottom);
    auto* saveFile = new TButtonLabel(QStringLiteral("x4xSaveToFileLabel"), bottom);
    h->addWidget(loadFile);
    h->addWidget(saveFile);
    connect(loadFile, &TButtonLabel::clicked, this, [this] { LoadFromFile(); });
    connect(saveFile, &TButtonLabel::clicked, this, [this] { SaveToFile(); });
    outer->addWidget(bottom);

    ApplyQtCaptions(this, kTextBase);
    for (TButtonLabel* l : bottom->findChildren<TButtonLabel*>())
        StyleButtonLabel(l);
    for (const TBlockNames& b : kBlocks) {
        TButtonLabel* title = titles_[static_cast<int>(b.block)];
        QFont f = title->font();
        if (VroSetupEditor(b.block)) {
            StyleButtonLabel(title);
        } else {
            title->setEnabled(false);
        }
        f.setBold(true);
        title->setFont(f);
    }
    canBlock_->setVisible(setup_->ComVersion() == 4);
    // Errors of the first refresh have been reported; the page stays.
    try {
        Refresh();
    } catch (const std::exception&) {
    }
}

TVro8SetupFrame::~TVro8SetupFrame()
{
    if (editor_)
        delete editor_.data();
}

bool TVro8SetupFrame::Guarded(const std::function<void()>& op)
{
    const vro::TVroPingHold hold = Form().HoldPing();
    try {
        TWaitCursor wait;
        op();
        return true;
    } catch (const std::exception&) {
        Form().ReportDeviceError();
        return false;
    }
}

void TVro8SetupFrame::Refresh()
{
    const vro::TVroPingHold hold = Form().HoldPing();
    try {
        TWaitCursor wait;
        setup_->ReadAll();
        Form().Manager().Device().Directory.RefreshSetups();
        RebuildSummaries();
    } catch (const std::exception&) {
        Form().ReportDeviceError();
        refreshNeeded_ = false;
        throw;
    }
    refreshNeeded_ = false;
}

void TVro8SetupFrame::RebuildSummaries()
{
    vro::TVro8Device& device = Form().Manager().Device();
    vro::TVro8SubChannelText sub;
    if (setup_->HasDevice() && device.Identified())
        sub = [&device](int input, int j) { return device.SetupBlocks.SubChannelText(input, j); };
    const vro::TVro8SetupSummary s = vro::SetupSummary(*setup_, sub);
    summaries_[0]->setText(Joined(s.SensorSetup));
    summaries_[1]->setText(Joined(s.TriggerSetup));
    summaries_[2]->setText(Joined(s.RecordingSetup));
    summaries_[3]->setText(Joined(s.BaseSetup));
    summaries_[4]->setText(Joined(s.DisplaySetup));
    summaries_[5]->setText(Joined(s.CanSetup));
    canBlock_->setVisible(s.HasCan);
}

void TVro8SetupFrame::PeriodicUpdate()
{
    if (refreshNeeded_ && !(editor_ && editor_->isVisible())) {
        try {
            Refresh();
        } catch (const std::exception&) {
        }
    }
}

void TVro8SetupFrame::OpenEditor(TVroSetupBlock block)
{
    const TVroSetupEditorFactory factory = VroSetupEditor(block);
    if (!factory)
        return;
    if (editor_)
        delete editor_.data();
    refreshNeeded_ = true;
    editor_ = factory(*this, this);
    if (editor_) {
        editor_->setGeometry(rect());
        editor_->show();
        editor_->raise();
    }
}

void TVro8SetupFrame::LoadFromDirectory()
{
    vro::TVro8Directory& dir = Form().Manager().Device().Directory;
    std::vector<std::string> lines;
    if (!Guarded([&] {
            dir.RefreshSetups();
            for (const vro::TVro8Entry& e : dir.Entries())
                lines.push_back(e.Name + ", Nr." + std::to_string(e.Number));
        }))
        return;
    if (!listForm_) {
        listForm_ = new TVroSettingsListForm(this);
        listForm_->onChoose = [this](int index) {
            refreshNeeded_ = true;
            if (Guarded([&] { setup_->LoadFromDirectory(index); }))
                RebuildSummaries();
            listForm_->accept();
        };
    }
    listForm_->Fill(lines);
    // Centred on the device window.
    const QRect owner = Form().frameGeometry();
    listForm_->move(owner.center() - listForm_->rect().center());
    listForm_->exec();
}

void TVro8SetupFrame::SaveToDirectory()
{
    refreshNeeded_ = true;
    Guarded([&] { vro::SaveSetupToDirectory(*setup_, Form().Manager().Device().Directory, *ui); });
}

void TVro8SetupFrame::LoadFromFile(QString fileName)
{
    if (fileName.isEmpty())
        fileName = QFileDialog::getOpenFileName(this, {}, QDir::currentPath(), QStringLiteral("*.vxsf"));
    if (fileName.isEmpty())
        return;
    const std::string cantOpen = vro::FormatMessage(vro::text(7), {fileName.toStdString()});
    if (!fileName.endsWith(QStringLiteral(".vxsf"))) {
        ui->ShowError(cantOpen);
        return;
    }
    try {
        setup_->LoadFromFile(fileName.toStdString());
    } catch (const std::exception&) {
        ui->ShowError(cantOpen);
        return;
    }
    refreshNeeded_ = true;
    RebuildSummaries();
    Guarded([&] { setup_->WriteAll(); });
}

void TVro8SetupFrame::SaveToFile(QString fileName)
{
    if (fileName.isEmpty())
        fileName = QFileDialog::getSaveFileName(this, {}, QDir::currentPath(), QStringLiteral("*.vxsf"), nullptr,
                                                QFileDialog::DontConfirmOverwrite);
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QStringLiteral(".vxsf")))
        fileName += QStringLiteral(".vxsf");
    if (QFileInfo::exists(fileName) && !ui->AskYesNo(vro::FormatMessage(vro::text(751), {fileName.toStdString()})))
        return;
    try {
        setup_->SaveToFile(fileName.toStdString());
    } catch (const std::exception& e) {
        ui->ShowError(e.what());
    }
}

} // namespace vro::app
