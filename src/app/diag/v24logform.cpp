#include "app/diag/v24logform.h"

#include "app/dialogs/messagedialog.h"
#include "app/look/buttonlabel.h"
#include "app/look/windowlayout.h"
#include "core/util/atomicfile.h"
#include "core/values/dvxdatautils.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24logtext.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vro::app {

namespace {

QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QStringList ToQt(const std::vector<std::string>& lines)
{
    QStringList out;
    for (const std::string& l : lines)
        out << QString::fromStdString(l);
    return out;
}

} // namespace

TDvxV24LogForm::TDvxV24LogForm(vro::TDvxV24Connector& connector, QWidget* parent)
    : QDialog(parent), connector_(connector)
{
    setObjectName(QStringLiteral("TDvxV24LogForm"));
    setWindowTitle(QStringLiteral("V24 Log"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 500);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* layout = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    mainList_ = new QListWidget(this);
    mainList_->setObjectName(QStringLiteral("MainListBox"));
    mainList_->setFont(fixed);
    mainList_->setUniformItemSizes(true);
    lists->addWidget(mainList_, 3);
    detailList_ = new QListWidget(this);
    detailList_->setObjectName(QStringLiteral("DetailListbox"));
    detailList_->setFont(fixed);
    lists->addWidget(detailList_, 1);
    layout->addLayout(lists, 1);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto* row = new QHBoxLayout(panel);
    monitorLabel_ = new QLabel(panel);
    monitorLabel_->setObjectName(QStringLiteral("MonitorLabel"));
    monitorLabel_->setFont(fixed);
    row->addWidget(monitorLabel_, 1);
    auto* toEnd = MakeButton(QStringLiteral("Panel1EndButton"), QStringLiteral("Ende"), panel);
    auto* clear = MakeButton(QStringLiteral("ClearLogButton"), QStringLiteral("Löschen"), panel);
    auto* save = MakeButton(QStringLiteral("SaveButton"), QStringLiteral("Speichern"), panel);
    auto* manual = MakeButton(QStringLiteral("ManualFormButton"), QStringLiteral("Manuell"), panel);
    row->addWidget(toEnd);
    row->addWidget(clear);
    row->addWidget(save);
    row->addWidget(manual);
    layout->addWidget(panel);

    connect(toEnd, &QPushButton::clicked, mainList_, &QListWidget::scrollToBottom);
    connect(clear, &QPushButton::clicked, this, &TDvxV24LogForm::ClearLog);
    connect(save, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, QStringLiteral("V24-Log speichern"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(QStringLiteral("Textdatei (*.txt)"));
        dialog.setDefaultSuffix(QStringLiteral("txt"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        const QString error = SaveTo(dialog.selectedFiles().first());
        if (!error.isEmpty())
            MessageBox(error, {}, MB_OK | MB_ICONERROR);
    });
    connect(manual, &QPushButton::clicked, this, &TDvxV24LogForm::OpenMessageForm);
    connect(mainList_, &QListWidget::currentRowChanged, this, &TDvxV24LogForm::ShowDetail);
    connect(mainList_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { ShowDetail(mainList_->row(item)); });

    // Becoming the log sink and the monitor display. The connector calls
    // both through its dispatcher on this thread; the guard drops lines that
    // arrive after the window has gone.
    QPointer<TDvxV24LogForm> self(this);
    connector_.SetLogLines([self](const std::string& line) {
        if (self)
            self->AddLine(QString::fromStdString(line));
    });
    connector_.Monitor().SetOnChange([self](const vro::TDvxV24MonitorStats& s) {
        if (self)
            self->monitorLabel_->setText(QString::fromStdString(vro::TDvxV24Monitor::FormatLabel(s)));
    });
    ClearLog();
}

TDvxV24LogForm::~TDvxV24LogForm()
{
    Detach();
    if (messageForm_)
        delete messageForm_.data();
}

void TDvxV24LogForm::Detach()
{
    connector_.SetLogLines({});
    connector_.Monitor().SetOnChange({});
}

void TDvxV24LogForm::AddLine(const QString& line)
{
    mainList_->addItem(line);
    mainList_->scrollToBottom();
}

void TDvxV24LogForm::ClearLog()
{
    mainList_->clear();
    detailList_->clear();
    connector_.Monitor().Reset();
    monitorLabel_->clear();
}

void TDvxV24LogForm::ShowDetail(int row)
{
    if (row < 0 || row >= mainList_->count())
        return;
    const auto lines = vro::DecodeFrameLogLine(mainList_->item(row)->text().toStdString());
    if (!lines)
        return; // not a frame line
    detailList_->clear();
    detailList_->addItems(ToQt(*lines));
}

QString TDvxV24LogForm::SaveTo(const QString& fileName) const
{
    QString text;
    for (int i = 0; i < mainList_->count(); ++i)
        text += mainList_->item(i)->text() + QLatin1Char('\n');
    try {
        vro::WriteFileAtomically(fileName.toStdString(), text.toStdString());
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

void TDvxV24LogForm::OpenMessageForm()
{
    if (!messageForm_)
        messageForm_ = new TDvxV24MessageForm(connector_);
    messageForm_->show();
    messageForm_->raise();
}

TDvxV24MessageForm::TDvxV24MessageForm(vro::TDvxV24Connector& connector, QWidget* parent)
    : QDialog(parent), connector_(connector)
{
    setObjectName(QStringLiteral("TDvxV24MessageForm"));
    setWindowTitle(QStringLiteral("Dvx-Nachrichten"));
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 480);
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* form = new QFormLayout;
    address_ = new QComboBox(this);
    address_->setObjectName(QStringLiteral("AddressComboBox"));
    address_->setEditable(true);
    address_->addItem(QStringLiteral("+"));
    address_->addItem(QStringLiteral("-"));
    for (char c = 'a'; c <= 'z'; ++c)
        address_->addItem(QString(QLatin1Char(c)));
    form->addRow(QStringLiteral("Adresse"), address_);
    number_ = new QLineEdit(QStringLiteral("0"), this);
    number_->setObjectName(QStringLiteral("NumberEdit"));
    form->addRow(QStringLiteral("Nummer"), number_);
    left->addLayout(form);
    data_ = new QPlainTextEdit(this);
    data_->setObjectName(QStringLiteral("DataMemo"));
    left->addWidget(new QLabel(QStringLiteral("Daten (Wert[:Größe])"), this));
    left->addWidget(data_, 1);
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {
        {"TransmitButton", "Übertragen"},
        {"ClearBufferButton", "Empfangspuffer löschen"},
        {"EscSequenceButton", "Esc-Sequenz schicken"},
        {"NullSequenceButton", "Null-Sequenz schicken"},
        {"Sequence55Button", "0x55-Sequenz schicken"},
    };
    QList<QPushButton*> made;
    for (const auto& b : buttons) {
        made << MakeButton(QString::fromLatin1(b.name), QString::fromUtf8(b.caption), this);
        left->addWidget(made.back());
    }
    layout->addLayout(left, 1);
    answer_ = new QPlainTextEdit(this);
    answer_->setObjectName(QStringLiteral("AnswerMemo"));
    answer_->setReadOnly(true);
    answer_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(answer_, 1);

    auto guarded = [this](std::function<void()> fn) {
        return [fn] {
            try {
                fn();
            } catch (const std::exception& e) {
                MessageBox(QString::fromStdString(e.what()), {}, MB_OK | MB_ICONERROR);
            }
        };
    };
    connect(made[0], &QPushButton::clicked, this, [this] { Transmit(); });
    connect(made[1], &QPushButton::clicked, this, guarded([this] { connector_.ClearBuffers(); }));
    connect(made[2], &QPushButton::clicked, this, guarded([this] { connector_.SendCancelSequence(); }));
    connect(made[3], &QPushButton::clicked, this, guarded([this] { connector_.SendNullSequence(); }));
    connect(made[4], &QPushButton::clicked, this, guarded([this] { connector_.Send55Sequence(); }));
}

QString TDvxV24MessageForm::Transmit()
{
    QString error;
    // An unreadable number counts as -1 and so fails the range check.
    const std::int32_t number = vro::StrToIntExDef(vro::DvxTrim(number_->text().toStdString()), -1);
    const QString addressText = address_->currentText();
    std::vector<std::string> lines;
    for (const QString& l : data_->toPlainText().split(QLatin1Char('\n')))
        lines.push_back(l.toStdString());
    try {
        if (number < 0 || number > 255)
            throw std::invalid_argument("Die Nachrichtennummer ist ungültig.");
        if (addressText.isEmpty() || addressText.at(0).unicode() > 0xFF)
            throw std::invalid_argument("Die Adresse ist ungültig.");
        const std::vector<std::uint8_t> data = vro::ParseManualData(lines);
        std::vector<std::uint8_t> answer(255);
        const std::int32_t count = connector_.Transfer(static_cast<char>(addressText.at(0).unicode()),
                                                       static_cast<std::uint8_t>(number), answer, data);
        answer.resize(static_cast<std::size_t>(std::clamp<std::int32_t>(count, 0, 255)));
        QStringList out;
        out << QString::fromStdString(vro::DecodeHeaderLine()) << QString(38, QLatin1Char('='));
        out << ToQt(vro::DecodeDataBytes(answer, vro::EDecodeWindow::Message));
        out << QString(38, QLatin1Char('='));
        answer_->setPlainText(out.join(QLatin1Char('\n')));
    } catch (const std::exception& e) {
        error = QString::fromStdString(e.what());
    }
    if (!error.isEmpty())
        MessageBox(error, {}, MB_OK | MB_ICONERROR);
    return error;
}

} // namespace vro::app
