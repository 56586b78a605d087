#include "app/devicewin/sensorupdateform.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "core/text/texts.h"
#include "device/manager/vro8manager.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>

#include <thread>

namespace vro::app {

namespace {

QColor MarkerQColor(vro::EVroMarker m)
{
    const std::uint32_t rgb = vro::MarkerRgb(m);
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QString Library(const char* name)
{
    const auto caption = vro::ButtonLabelCaption(name);
    return FrameButtonCaption(QString::fromStdString(caption.value_or(std::string())));
}

} // namespace

TDvxSensorUpdateForm::TDvxSensorUpdateForm(vro::TVro8Manager& manager, QWidget* parent, std::uint32_t loadWaitMs)
    : QDialog(parent), manager_(manager)
{
    setObjectName(QStringLiteral("TDvxSensorUpdateForm"));
    setModal(true);
    const std::string description = manager_.GetDescription();
    vro::IVroUpdateWizardUi& ui = *this;
    wizard_ =
        std::make_unique<vro::TVroUpdateWizard>(manager_.Device(), description, manager_.IsConnected(), ui, loadWaitMs);
    BuildLayout(QString::fromStdString(description));
    wizard_->Initialise();
}

TDvxSensorUpdateForm::~TDvxSensorUpdateForm()
{
    while (busy_-- > 0)
        QApplication::restoreOverrideCursor();
}

void TDvxSensorUpdateForm::BuildLayout(const QString& description)
{
    TDialogFrame f = BuildDialogFrame(this, description + QStringLiteral(" - ") + Txt(kTextBase));
    topPanel_ = f.top;
    bottomPanel_ = f.bottom;

    // The main area holds the left panel (steps) beside the main panel.
    auto* outer = static_cast<QBoxLayout*>(layout());
    const int at = outer->indexOf(f.main);
    auto* middle = new QHBoxLayout;
    middle->setSpacing(kSpacing);
    outer->removeWidget(f.main);
    outer->insertLayout(at, middle, 1);
    leftPanel_ = MakePanel(QStringLiteral("LeftPanel"), LeftPanelColor(), this);
    middle->addWidget(leftPanel_);
    middle->addWidget(f.main, 1);
    mainPanel_ = f.main;

    auto* left = new QGridLayout(leftPanel_);
    left->setContentsMargins(8, 12, 12, 12);
    left->setHorizontalSpacing(8);
    left->setVerticalSpacing(6);
    const QString names[4] = {QStringLiteral("x1xDataLabel"), QStringLiteral("x2xSendToDeviceLabel"),
                              QStringLiteral("x3xCheckDataLabel"), QStringLiteral("x4xActivateUpdateLabel")};
    int row = 0;
    for (int i = 0; i < 4; ++i) {
        auto* shape = new QFrame(leftPanel_);
        shape->setObjectName(QStringLiteral("Shape%1").arg(i + 1));
        shape->setFixedSize(18, 18);
        shapes_[static_cast<std::size_t>(i)] = shape;
        auto* label = new TButtonLabel(names[i], leftPanel_);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        stepLabels_[static_cast<std::size_t>(i)] = label;
        left->addWidget(shape, row, 0, Qt::AlignTop);
        left->addWidget(label, row, 1, Qt::AlignTop);
        ++row;
        if (i == 0) {
            pathLabel_ = new QLabel(leftPanel_);
            pathLabel_->setObjectName(QStringLiteral("PathLabel"));
            pathLabel_->setTextFormat(Qt::PlainText);
            left->addWidget(pathLabel_, row++, 1);
        }
    }
    left->setRowStretch(row, 1);
    connect(stepLabels_[0], &TButtonLabel::clicked, this, [this] { wizard_->x1xDataLabelClick(); });
    connect(stepLabels_[1], &TButtonLabel::clicked, this, [this] { wizard_->x2xSendToDeviceLabelClick(); });
    connect(stepLabels_[2], &TButtonLabel::clicked, this, [this] { wizard_->x3xCheckDataLabelClick(); });
    connect(stepLabels_[3], &TButtonLabel::clicked, this, [this] { wizard_->x4xActivateUpdateLabelClick(); });

    auto* main = new QVBoxLayout(mainPanel_);
    main->setContentsMargins(12, 12, 12, 12);
    main->setSpacing(kSpacing);
    infoLabel_ = new QLabel(mainPanel_);
    infoLabel_->setObjectName(QStringLiteral("InfoLabel"));
    infoLabel_->setTextFormat(Qt::PlainText);
    infoLabel_->setWordWrap(true);
    infoLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    main->addWidget(infoLabel_, 1);
    titleProgressLabel_ = new QLabel(mainPanel_);
    titleProgressLabel_->setObjectName(QStringLiteral("TitleProgressLabel"));
    main->addWidget(titleProgressLabel_);
    progressBar_ = new QProgressBar(mainPanel_);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 1000);
    progressBar_->setTextVisible(false);
    main->addWidget(progressBar_);
    progressLabel_ = new QLabel(mainPanel_);
    progressLabel_->setObjectName(QStringLiteral("ProgressLabel"));
    main->addWidget(progressLabel_);

    backLabel_ = AddBottomButton(f, QStringLiteral("BackLabel"));
    nextLabel_ = AddBottomButton(f, QStringLiteral("NextLabel"));
    cancelLabel_ = AddBottomButton(f, QStringLiteral("CancelLabel"));
    connect(backLabel_, &TButtonLabel::clicked, this, [this] { wizard_->BackLabelClick(); });
    connect(nextLabel_, &TButtonLabel::clicked, this, [this] { wizard_->NextLabelClick(); });
    connect(cancelLabel_, &TButtonLabel::clicked, this, &TDvxSensorUpdateForm::CancelClicked);

    // The service unlock listens to clicks on the three panels.
    for (QFrame* panel : {topPanel_, leftPanel_, bottomPanel_})
        panel->installEventFilter(this);

    ApplyQtCaptions(this, kTextBase);
    resize(600, 400);
}

QColor TDvxSensorUpdateForm::MarkerColor(int index) const
{
    return MarkerQColor(wizard_->Markers[static_cast<std::size_t>(index)]);
}

void TDvxSensorUpdateForm::Changed()
{
    const vro::TVroUpdateWizard& z = *wizard_;
    for (std::size_t i = 0; i < shapes_.size(); ++i)
        shapes_[i]->setStyleSheet(
            QStringLiteral("QFrame { background: %1; border: 1px solid #606060; border-radius: 9px; }")
                .arg(MarkerQColor(z.Markers[i]).name()));
    shapes_[3]->setVisible(z.ActivateVisible);
    stepLabels_[3]->setVisible(z.ActivateVisible);
    pathLabel_->setText(QString::fromStdString(z.PathLabel));
    infoLabel_->setText(QString::fromStdString(z.InfoLabelText()));
    titleProgressLabel_->setText(z.TitleProgressText ? Txt(z.TitleProgressText) : QString());
    progressBar_->setValue(z.ProgressPosition);
    titleProgressLabel_->setVisible(z.ProgressVisible);
    progressBar_->setVisible(z.ProgressVisible);
    progressLabel_->setVisible(z.ProgressVisible);
    if (z.Running)
        progressLabel_->clear();
    backLabel_->setVisible(z.BackVisible);
    nextLabel_->setVisible(z.NextVisible);
    nextLabel_->setEnabled(z.NextEnabled && !z.Running);
    cancelLabel_->setEnabled(z.CancelEnabled);
    cancelLabel_->setText(z.CancelIsClose ? Library("CloseLabel") : Library("CancelLabel"));
    // While a step runs only Cancel stays usable.
    topPanel_->setEnabled(!z.Running);
    leftPanel_->setEnabled(!z.Running);
    mainPanel_->setEnabled(!z.Running);
    backLabel_->setEnabled(!z.Running);
    repaint();
}

void TDvxSensorUpdateForm::Progress(int perMille)
{
    // May come from the worker when the connector has no dispatcher.
    QMetaObject::invokeMethod(
        this, [this, perMille] { progressBar_->setValue(perMille); }, Qt::QueuedConnection);
}

void TDvxSensorUpdateForm::SetBusy(bool busy)
{
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busy_;
    } else if (busy_ > 0) {
        QApplication::restoreOverrideCursor();
        --busy_;
    }
}

void TDvxSensorUpdateForm::RunBlocking(const std::function<void()>& work)
{
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    // The progress reports queued before the end are shown now.
    QCoreApplication::sendPostedEvents(this);
}

bool TDvxSensorUpdateForm::ChooseFile(std::string& fileName)
{
    QString file = chosenFile_;
    chosenFile_.clear();
    if (file.isEmpty())
        // 572: Select firmware file.
        file = QFileDialog::getOpenFileName(this, Txt(572), QString::fromStdString(fileName),
                                            QStringLiteral("vxupd (*.vxupd)"));
    if (file.isEmpty())
        return false;
    fileName = file.toStdString();
    return true;
}

void TDvxSensorUpdateForm::ShowError(const std::string& text)
{
    const QString message = QString::fromStdString(text);
    if (OnMessage) {
        OnMessage(message);
        return;
    }
    MessageBox(message, Txt(kTextBase), MB_OK | MB_ICONERROR);
}

void TDvxSensorUpdateForm::CancelClicked()
{
    if (wizard_->CancelLabelClick())
        QDialog::reject();
}

void TDvxSensorUpdateForm::reject()
{
    // Escape: cancels a running step, else closes.
    CancelClicked();
}

void TDvxSensorUpdateForm::closeEvent(QCloseEvent* event)
{
    if (wizard_->Running) {
        wizard_->RequestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool TDvxSensorUpdateForm::eventFilter(QObject* watched, QEvent* event)
{
    // Clicks on the panel itself, not on a label inside it (those reach the
    // panel too, as the labels let them pass).
    const auto* press = event->type() == QEvent::MouseButtonPress ? static_cast<QMouseEvent*>(event) : nullptr;
    const auto* panel = qobject_cast<QWidget*>(watched);
    if (press && panel && !wizard_->Running && !panel->childAt(press->position().toPoint())) {
        if (watched == topPanel_)
            wizard_->TopPanelClick();
        else if (watched == leftPanel_)
            wizard_->LeftPanelClick();
        else if (watched == bottomPanel_)
            wizard_->BottomPanelClick();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vro::app
