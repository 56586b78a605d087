#include "app/live/onlineframe.h"

#include "app/dialogs/messagedialog.h"
#include "app/graph/qtgraphcanvas.h"
#include "app/live/currentvaluesframe.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/fieldcheck.h"
#include "app/look/windowlayout.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"
#include "device/manager/vro8manager.h"
#include "link/dvxv24connector.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

#include <algorithm>

namespace vro::app {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QColor ToQ(graph::TRgb c) { return QColor(c.R, c.G, c.B); }

constexpr int kXBoxHeight = 40;

TButtonLabel* Action(const char* name, QWidget* parent, QBoxLayout* layout)
{
    auto* l = new TButtonLabel(QString::fromLatin1(name), parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(l);
    return l;
}

} // namespace

// ---------------------------------------------------------------------------
// TOnlineMagnifier

void TOnlineMagnifier::SetActive(bool on)
{
    active_ = on;
    dragging_ = false;
}

void TOnlineMagnifier::Press(QPoint p)
{
    if (!active_)
        return;
    dragging_ = true;
    start_ = end_ = p;
}

void TOnlineMagnifier::Move(QPoint p)
{
    if (dragging_)
        end_ = p;
}

bool TOnlineMagnifier::Release(QPoint p, const QRect& graph)
{
    if (!dragging_)
        return false;
    dragging_ = false;
    end_ = p;
    return graph.contains(p) && graph.contains(start_);
}

// ---------------------------------------------------------------------------
// TOnlineGraphWidget

TOnlineGraphWidget::TOnlineGraphWidget(TVro8OnlineRecordingFrame& frame, QWidget* parent)
    : QWidget(parent), frame_(frame)
{
    setObjectName(QStringLiteral("OnlineGraph"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
}

int TOnlineGraphWidget::XBoxHeight() const
{
    const vro::TOnlineRun* run = frame_.Run();
    return run && run->Choices().RecordingType == 2 ? 0 : kXBoxHeight;
}

QRect TOnlineGraphWidget::GraphRect() const
{
    return QRect(axes_.GraphLeft, 0, axes_.GraphWidth, std::max(1, height() - XBoxHeight()));
}

void TOnlineGraphWidget::RebuildAxes()
{
    const vro::TOnlineRun* run = frame_.Run();
    if (!run) {
        axes_ = {};
        axes_.GraphWidth = width();
        return;
    }
    const QFontMetrics fm(font());
    axes_ = vro::OnlineAxes(*run, width(), std::max(1, height() - XBoxHeight()),
                            [&fm](const std::string& s) { return fm.horizontalAdvance(Q(s)) + 8; });
    if (run->Choices().RecordingType == 2) {
        axes_.GraphLeft = 0;
        axes_.GraphWidth = width();
    }
    // The recording follows the graph's width (at most 2048 columns).
    const_cast<vro::TOnlineRun*>(run)->Online().SetRequestedWidth(
        std::clamp(axes_.GraphWidth, 1, vro::TVro8OnlineRecording::kMaxWidth));
}

void TOnlineGraphWidget::resizeEvent(QResizeEvent*) { RebuildAxes(); }

void TOnlineGraphWidget::Render()
{
    if (image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    QPainter p(&image_);
    p.fillRect(image_.rect(), MainPanelColor());
    const vro::TOnlineRun* run = frame_.Run();
    const QRect g = GraphRect();
    const bool live = run && run->Live();
    if (run && run->Choices().RecordingType == 2) {
        p.fillRect(g, ToQ(vro::kOnlineBackground));
        if (!live)
            return;
        const auto lines = vro::EventLogLines(*run);
        const QFontMetrics fm(font());
        const auto tops = vro::EventLogLayout(lines, fm.height(), g.height());
        QFont bold = font();
        bold.setBold(true);
        p.setPen(Qt::black);
        for (std::size_t i = 0; i < tops.size(); ++i) {
            p.setFont(lines[i].Bold ? bold : font());
            p.drawText(QPoint(10, tops[i] + fm.ascent()), Q(lines[i].Text));
        }
        return;
    }
    // Graph (background, grid, curves).
    if (!run) {
        p.fillRect(g, ToQ(vro::kOnlineBackground));
        return;
    }
    {
        TQtGraphCanvas canvas(p, g.topLeft());
        vro::PaintOnlineGraph(run->Online(), run->Settings, canvas, g.width(), g.height(), live);
    }
    // Y-axis boxes: left strip, right strip (clipped to what is shown).
    const QFontMetrics fm(font());
    auto boxes = [&](const std::vector<vro::TOnlineAxisBox>& list, int stripLeft, int shown) {
        p.save();
        p.setClipRect(QRect(stripLeft, 0, shown, g.height()));
        for (const auto& b : list) {
            const QRect r(stripLeft + b.Left, 0, b.Width, g.height());
            p.fillRect(r, ToQ(vro::kOnlineGrid));
            if (b.Channel < 0)
                continue;
            const QColor c = ToQ(vro::OnlineChannelColor(b.Channel));
            p.setPen(c);
            for (const auto& l : b.Labels) {
                p.drawLine(r.right() - 4, l.Pos, r.right(), l.Pos);
                const int y = std::clamp(l.Pos + fm.ascent() / 2 - 1, fm.ascent(), g.height() - 2);
                p.drawText(QRect(r.left() + 16, y - fm.ascent(), b.Width - 22, fm.height()),
                           Qt::AlignRight | Qt::AlignTop, Q(l.Text));
            }
            p.save();
            p.translate(r.left() + 2, r.top() + g.height() / 2);
            p.rotate(-90);
            p.drawText(QRect(-g.height() / 2, 0, g.height(), fm.height()), Qt::AlignCenter, Q(b.Title));
            p.restore();
        }
        p.restore();
    };
    boxes(axes_.Left, 0, axes_.LeftShown);
    boxes(axes_.Right, g.right() + 1, axes_.RightShown);
    // X-axis box.
    const QRect xr(g.left(), g.bottom() + 1, g.width(), XBoxHeight());
    p.fillRect(xr, ToQ(vro::kOnlineGrid));
    p.setPen(Qt::black);
    for (const auto& l : axes_.XLabels) {
        p.drawLine(g.left() + l.Pos, xr.top(), g.left() + l.Pos, xr.top() + 4);
        p.drawText(QPoint(g.left() + l.Pos + 2, xr.top() + 4 + fm.ascent()), Q(l.Text));
    }
    p.drawText(QRect(xr.left(), xr.top() + 4 + fm.height(), xr.width(), fm.height()), Qt::AlignCenter, Q(axes_.XTitle));
}

void TOnlineGraphWidget::paintEvent(QPaintEvent*)
{
    // A drag pauses the live painting: the last image stays, the rectangle on top.
    if (!frame_.magnifier_.Dragging() || image_.size() != size()) {
        Render();
        ++paints_;
    }
    QPainter p(this);
    p.drawImage(0, 0, image_);
    if (frame_.magnifier_.Dragging()) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame_.magnifier_.Rect());
    }
    emit frame_.painted();
}

void TOnlineGraphWidget::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && frame_.magnifier_.Active() && GraphRect().contains(e->pos())) {
        frame_.magnifier_.Press(e->pos());
        update();
    }
}

void TOnlineGraphWidget::mouseMoveEvent(QMouseEvent* e)
{
    if (frame_.magnifier_.Dragging()) {
        frame_.magnifier_.Move(e->pos());
        update();
    }
}

void TOnlineGraphWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !frame_.magnifier_.Dragging())
        return;
    const QRect g = GraphRect();
    if (frame_.magnifier_.Release(e->pos(), g)) {
        vro::TOnlineRun* run = frame_.Run();
        const QRect r = frame_.magnifier_.Rect();
        if (run && r.height() > 0) {
            auto& s = run->Settings;
            for (int ch = 0; ch < s.ChannelCount; ++ch) {
                if (!(s.Shown >> ch & 1u) && ch != s.XChannel)
                    continue;
                auto& lo = s.LoY[static_cast<std::size_t>(ch)];
                auto& hi = s.HiY[static_cast<std::size_t>(ch)];
                std::pair<std::int32_t, std::int32_t> range;
                if (ch == s.XChannel) {
                    if (r.width() <= 0)
                        continue;
                    range = vro::MagnifierRange(vro::OnlinePixelValue(r.left() - g.left(), g.width(), lo, hi, false),
                                                vro::OnlinePixelValue(r.right() - g.left(), g.width(), lo, hi, false));
                } else {
                    range = vro::MagnifierRange(vro::OnlinePixelValue(r.top() - g.top(), g.height(), lo, hi, true),
                                                vro::OnlinePixelValue(r.bottom() - g.top(), g.height(), lo, hi, true));
                }
                lo = range.first;
                hi = range.second;
            }
            frame_.RebuildAxes();
        }
    }
    update();
}

// ---------------------------------------------------------------------------
// TVro8OnlineRecordingFrame

TVro8OnlineRecordingFrame::TVro8OnlineRecordingFrame(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("TVro8OnlineRecordingFrame"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, MainPanelColor());
    setPalette(pal);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    outer->setSpacing(kSpacing);
    QFrame* left = MakePanel(QStringLiteral("OnlineLeftPanel"), LeftPanelColor(), this);
    left->setFixedWidth(190);
    auto* ll = new QVBoxLayout(left);
    ll->setContentsMargins(4, 8, 4, 8);
    QLabel* title = MakeTitleLabel(QStringLiteral("x0xTitleLabel"), left);
    title->setWordWrap(true);
    ll->addWidget(title);
    ll->addSpacing(6);
    cancel_ = Action("x11xCancelLabel", left, ll);
    settings_ = Action("x13xSettingsLabel", left, ll);
    magnify_ = Action("x14xMagniferLabel", left, ll);
    fullRange_ = Action("x15xFullRangeLabel", left, ll);
    cancelAuto_ = Action("x16xCancelAutoLabel", left, ll);
    trigger_ = Action("x17xTriggerLabel", left, ll);
    ll->addSpacing(10);
    status_ = new QLabel(left);
    status_->setObjectName(QStringLiteral("OnlineStatusLabel"));
    status_->setWordWrap(true);
    ll->addWidget(status_);
    ll->addStretch(1);
    outer->addWidget(left);
    graph_ = new TOnlineGraphWidget(*this, this);
    outer->addWidget(graph_, 1);

    MarkCaptionFrame(this);
    ApplyQtCaptions(this, kTextBase);
    for (TButtonLabel* l : {cancel_, settings_, magnify_, fullRange_, cancelAuto_, trigger_})
        StyleButtonLabel(l);

    paintTimer_.setSingleShot(true);
    connect(&paintTimer_, &QTimer::timeout, this, [this] {
        sincePaint_.restart();
        UpdateStatus();
        graph_->update();
    });
    statusTimer_.setInterval(500);
    connect(&statusTimer_, &QTimer::timeout, this, &TVro8OnlineRecordingFrame::UpdateStatus);
    connect(cancel_, &TButtonLabel::clicked, this, &TVro8OnlineRecordingFrame::End);
    connect(settings_, &TButtonLabel::clicked, this, &TVro8OnlineRecordingFrame::OpenSettings);
    connect(magnify_, &TButtonLabel::clicked, this, &TVro8OnlineRecordingFrame::ToggleMagnifier);
    connect(fullRange_, &TButtonLabel::clicked, this, &TVro8OnlineRecordingFrame::FullSize);
    connect(cancelAuto_, &TButtonLabel::clicked, this, &TVro8OnlineRecordingFrame::EndAutomatic);
    connect(trigger_, &TButtonLabel::clicked, this, &TVro8OnlineRecordingFrame::Trigger);
    sincePaint_.start();
    // The program ends: the worker stops before the connection it reads goes
    // (a run the windows did not end has nothing to keep by then).
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (run_) {
            run_->RequestStop();
            run_->Join();
        }
    });
}

TVro8OnlineRecordingFrame::~TVro8OnlineRecordingFrame()
{
    // The worker must not outlive the frame it reports to.
    if (run_) {
        run_->RequestStop();
        run_->Join();
    }
}

std::optional<vro::TOnlineDisplaySettings>& TVro8OnlineRecordingFrame::KeptSettings()
{
    static std::optional<vro::TOnlineDisplaySettings> kept;
    return kept;
}

bool TVro8OnlineRecordingFrame::Running() const { return run_ && run_->Active(); }

int TVro8OnlineRecordingFrame::PaintCount() const { return graph_->PaintCount(); }

bool TVro8OnlineRecordingFrame::Start(vro::TVro8Manager& manager, bool saveToFile, bool repeat,
                                      const vro::TOnlineChoices& choices, bool automatic)
{
    if (Running())
        return false;
    manager_ = &manager;
    saveToFile_ = saveToFile;
    automatic_ = automatic;
    lastFile_.clear();
    lastBuilt_ = false;
    show();
    if (layout())
        layout()->activate();
    run_ = std::make_unique<vro::TOnlineRun>(manager.Device());
    try {
        run_->Configure(choices,
                        std::clamp(graph_->width() - 2 * vro::kOnlineAxisBox, 1, vro::TVro8OnlineRecording::kMaxWidth),
                        KeptSettings());
    } catch (const vro::EDvxV24Error&) {
        run_.reset();
        hide();
        ReportDeviceError();
        if (OnDeviceError)
            OnDeviceError();
        return false;
    } catch (const std::exception& e) {
        run_.reset();
        hide();
        MessageBox(Q(e.what()), {}, MB_OK | MB_ICONERROR);
        return false;
    }
    RebuildAxes();
    UpdateActions();
    manager.RecordingComment = choices.Comment;
    run_->Begin(
        repeat,
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { ScheduleRepaint(); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { RunEnded(); }, Qt::QueuedConnection);
        });
    statusTimer_.start();
    // The first picture a moment after the start (a timer, the thread is running).
    QTimer::singleShot(50, this, [this] { graph_->update(); });
    return true;
}

void TVro8OnlineRecordingFrame::ScheduleRepaint()
{
    if (!run_)
        return;
    run_->TakeNotice();
    if (paintTimer_.isActive())
        return;
    // At most 50 paints a second.
    paintTimer_.start(static_cast<int>(std::max<qint64>(0, 20 - sincePaint_.elapsed())));
}

void TVro8OnlineRecordingFrame::RunEnded()
{
    // Once per run: the worker's queued end notice may arrive after
    // EndAndWait has already finished the run.
    if (!run_ || !run_->Active())
        return;
    run_->Join();
    paintTimer_.stop();
    statusTimer_.stop();
    KeptSettings() = run_->Settings;
    bool seriesEnded = false;
    const vro::EOnlineEnd reason = run_->EndReason();
    if (reason == vro::EOnlineEnd::StartFailed) {
        ReportDeviceError();
        if (OnDeviceError)
            OnDeviceError();
        seriesEnded = true;
    } else {
        const std::int32_t count = run_->Online().HandOverCount();
        if (count > 0 && manager_) {
            status_->setText(Txt(1246)); // 1246: Please wait, the measurement is being saved...
            QApplication::setOverrideCursor(Qt::WaitCursor);
            run_->StoreSettingsInRecording();
            try {
                lastFile_ = Q(manager_->BuildOnlineRecording(saveToFile_, count));
                lastBuilt_ = true;
                QApplication::restoreOverrideCursor();
            } catch (const vro::EVro8SaveFailed& e) {
                QApplication::restoreOverrideCursor();
                // 758: The file %s could not be saved.
                MessageBox(Txt(758).replace(QStringLiteral("%s"), Q(e.FileName)), {}, MB_OK | MB_ICONERROR);
                seriesEnded = true;
            } catch (const std::exception&) {
                QApplication::restoreOverrideCursor();
                MessageBox(Txt(482), {}, MB_OK | MB_ICONERROR); // 482: Error while reading the recordings
                seriesEnded = true;
            }
        }
        if (reason == vro::EOnlineEnd::LinkBroken) {
            // 1250: The transfer of the measured values was i...; 696: Device error
            MessageBox(Txt(1250), Txt(696), MB_OK | MB_ICONERROR);
            if (OnDeviceError)
                OnDeviceError();
            seriesEnded = true;
        }
    }
    SwitchMagnifierOff();
    hide();
    emit runEnded(seriesEnded);
}

void TVro8OnlineRecordingFrame::EndAndWait()
{
    if (!Running())
        return;
    run_->RequestStop();
    RunEnded(); // joins the worker
}

void TVro8OnlineRecordingFrame::End()
{
    SwitchMagnifierOff();
    if (run_)
        run_->RequestStop();
}

void TVro8OnlineRecordingFrame::EndAutomatic()
{
    SwitchMagnifierOff();
    cancelAuto_->hide();
    automatic_ = false;
    emit automaticEnded();
}

void TVro8OnlineRecordingFrame::Trigger()
{
    SwitchMagnifierOff();
    if (run_)
        run_->Trigger();
    UpdateActions();
}

void TVro8OnlineRecordingFrame::OpenSettings()
{
    SwitchMagnifierOff();
    if (!run_)
        return;
    TVro8OnlineSettingsForm form(*this, this);
    form.exec();
}

void TVro8OnlineRecordingFrame::ToggleMagnifier()
{
    magnifier_.SetActive(!magnifier_.Active());
    QFont f = magnify_->font();
    f.setBold(magnifier_.Active());
    magnify_->setFont(f);
    if (magnifier_.Active())
        graph_->setCursor(Qt::CrossCursor);
    else
        graph_->unsetCursor();
}

void TVro8OnlineRecordingFrame::SwitchMagnifierOff()
{
    if (magnifier_.Active())
        ToggleMagnifier();
}

void TVro8OnlineRecordingFrame::FullSize()
{
    SwitchMagnifierOff();
    if (!run_)
        return;
    auto& s = run_->Settings;
    const auto& channels = run_->Channels();
    for (int ch = 0; ch < s.ChannelCount && ch < static_cast<int>(channels.size()); ++ch) {
        if (!(s.Shown >> ch & 1u))
            continue;
        const auto [lo, hi] = vro::DisplayRangeOf(channels[static_cast<std::size_t>(ch)].LoRange,
                                                  channels[static_cast<std::size_t>(ch)].HiRange);
        s.LoY[static_cast<std::size_t>(ch)] = lo;
        s.HiY[static_cast<std::size_t>(ch)] = hi;
    }
    RebuildAxes();
}

void TVro8OnlineRecordingFrame::RebuildAxes()
{
    graph_->RebuildAxes();
    graph_->update();
}

void TVro8OnlineRecordingFrame::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    graph_->RebuildAxes();
}

void TVro8OnlineRecordingFrame::UpdateActions()
{
    const int type = run_ ? run_->Choices().RecordingType : 0;
    const bool curves = type != 2;
    settings_->setVisible(curves);
    magnify_->setVisible(curves);
    fullRange_->setVisible(curves);
    cancelAuto_->setVisible(curves && automatic_);
    const bool hand = run_ && run_->HandTriggers() != 0 && type != 0;
    trigger_->setVisible(hand);
    trigger_->setEnabled(hand && run_->CanTrigger());
}

void TVro8OnlineRecordingFrame::UpdateStatus()
{
    if (!run_)
        return;
    const auto& o = run_->Online();
    const double seconds = run_->Live() ? (o.Now() - o.StartTime()) * 86400.0 : 0.0;
    const auto s = static_cast<long long>(std::max(0.0, seconds));
    // 1252: Measurement is running; 1244: Measuring time:
    status_->setText(Txt(1252) + QStringLiteral("\n") + Txt(1244) + QLatin1Char(' ') +
                     QStringLiteral("%1:%2:%3")
                         .arg(s / 3600)
                         .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                         .arg(s % 60, 2, 10, QLatin1Char('0')) +
                     QStringLiteral("\n") + Txt(1245) + QLatin1Char(' ') +
                     QString::number(o.RecordCount())); // 1245: Measured values recei...
    if (trigger_->isVisible())
        trigger_->setEnabled(run_->CanTrigger());
}

// ---------------------------------------------------------------------------
// TVro8OnlineSettingsForm

TVro8OnlineSettingsForm::TVro8OnlineSettingsForm(TVro8OnlineRecordingFrame& frame, QWidget* parent)
    : QDialog(parent), frame_(frame)
{
    setObjectName(QStringLiteral("TVro8OnlineSettingsForm"));
    TDialogFrame f = BuildDialogFrame(this, Txt(kTextBase));
    auto* main = new QVBoxLayout(f.main);
    main->setContentsMargins(8, 8, 8, 8);
    vro::TOnlineRun& run = *frame.Run();
    const auto& s = run.Settings;
    const auto& channels = run.Channels();
    const int count = std::min<int>(static_cast<int>(channels.size()), vro::TOnlineDisplaySettings::kMaxChannels);

    auto* top = new QGridLayout;
    auto label = [&](const char* name, int row, int col) {
        auto* l = new QLabel(f.main);
        l->setObjectName(QString::fromLatin1(name));
        top->addWidget(l, row, col);
    };
    label("x1xXAxisLabel", 0, 0);
    xAxis_ = new QComboBox(f.main);
    xAxis_->setObjectName(QStringLiteral("XAxisComboBox"));
    xAxis_->addItem(Txt(1265)); // 1265: Time
    if (count > 1)
        for (int c = 0; c < count; ++c)
            xAxis_->addItem(Q(channels[static_cast<std::size_t>(c)].Name));
    xAxis_->setCurrentIndex(s.XChannel >= 0 && count > 1 ? s.XChannel + 1 : 0);
    top->addWidget(xAxis_, 1, 0);
    label("x2xDisplayModeLabel", 0, 1);
    mode_ = new QComboBox(f.main);
    mode_->setObjectName(QStringLiteral("x15x16xRoundComboBox"));
    top->addWidget(mode_, 1, 1);
    label("x3xLeftYAxisLabel", 2, 0);
    label("x4xRightYAxisLabel", 2, 1);
    left_ = new QListWidget(f.main);
    left_->setObjectName(QStringLiteral("LeftYAxisCheckListBox"));
    right_ = new QListWidget(f.main);
    right_->setObjectName(QStringLiteral("RightYAxisCheckListBox"));
    for (int c = 0; c < count; ++c) {
        for (QListWidget* list : {left_, right_}) {
            auto* item = new QListWidgetItem(Q(channels[static_cast<std::size_t>(c)].Name), list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            const std::uint32_t set = list == left_ ? s.LeftAxis : s.RightAxis;
            item->setCheckState(set >> c & 1u ? Qt::Checked : Qt::Unchecked);
        }
    }
    left_->setMaximumHeight(120);
    right_->setMaximumHeight(120);
    top->addWidget(left_, 3, 0);
    top->addWidget(right_, 3, 1);
    main->addLayout(top);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    auto heading = [&](const char* name, int col) {
        QLabel* l = MakeTitleLabel(QString::fromLatin1(name), f.main);
        grid->addWidget(l, 0, col, 1, col == 0 ? 1 : (col == 1 ? 2 : 1));
    };
    heading("x10xChannelsLabel", 0);
    heading("x11xCurrentRangeLabel", 1);
    heading("x12xCompleteRangeLabel", 3);
    for (int c = 0; c < count; ++c) {
        const auto& ch = channels[static_cast<std::size_t>(c)];
        auto* box = new QCheckBox(Q(ch.Name), f.main);
        box->setObjectName(QStringLiteral("ShownCheckBox%1").arg(c));
        box->setChecked(s.Shown >> c & 1u);
        auto* lo = new QLineEdit(Q(RawToText(s.LoY[static_cast<std::size_t>(c)], ch.Decimals)), f.main);
        auto* hi = new QLineEdit(Q(RawToText(s.HiY[static_cast<std::size_t>(c)], ch.Decimals)), f.main);
        lo->setObjectName(QStringLiteral("LoEdit%1").arg(c));
        hi->setObjectName(QStringLiteral("HiEdit%1").arg(c));
        for (QLineEdit* e : {lo, hi})
            e->setFixedSize(80, 20);
        auto* range = new QLabel(
            Txt(1272) + QLatin1Char(' ') + Q(RawToText(ch.LoRange, ch.Decimals)) + QStringLiteral("  ") + // 1272: Min:
                Txt(1273) + QLatin1Char(' ') + Q(RawToText(ch.HiRange, ch.Decimals)) +                    // 1273: Max:
                QStringLiteral("   [") + Q(ch.Unit) + QLatin1Char(']'),
            f.main);
        range->setMinimumWidth(145);
        grid->addWidget(box, c + 1, 0);
        grid->addWidget(lo, c + 1, 1);
        grid->addWidget(hi, c + 1, 2);
        grid->addWidget(range, c + 1, 3);
        shown_ << box;
        lo_ << lo;
        hi_ << hi;
    }
    grid->setRowStretch(count + 1, 1); // the rows stay at the top of a tall dialog
    auto* rows = new QWidget(f.main);
    rows->setLayout(grid);
    auto* scroll = new QScrollArea(f.main);
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    main->addWidget(scroll, 1);

    auto* ok = AddBottomButton(f, QStringLiteral("OkLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    auto* apply = AddBottomButton(f, QStringLiteral("ApplyLabel"));
    ApplyQtCaptions(this, kTextBase);
    setWindowTitle(Txt(kTextBase));
    mode_->setCurrentIndex(s.DisplayMode == 1 ? 1 : 0);
    const bool simple = run.Choices().RecordingType == 0;
    mode_->setVisible(simple);
    if (QWidget* l = findChild<QLabel*>(QStringLiteral("x2xDisplayModeLabel")))
        l->setVisible(simple);
    XAxisChanged();
    connect(xAxis_, &QComboBox::currentIndexChanged, this, &TVro8OnlineSettingsForm::XAxisChanged);
    connect(ok, &TButtonLabel::clicked, this, [this] {
        if (Apply())
            accept();
    });
    connect(apply, &TButtonLabel::clicked, this, [this] { Apply(); });
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    resize(640, std::min(720, 260 + count * 28));
}

void TVro8OnlineSettingsForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (Apply())
            accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape cancels
}

void TVro8OnlineSettingsForm::XAxisChanged()
{
    const int x = xAxis_->currentIndex() - 1;
    for (QListWidget* list : {left_, right_})
        for (int c = 0; c < list->count(); ++c) {
            QListWidgetItem* item = list->item(c);
            item->setFlags(c == x ? Qt::ItemFlags(Qt::ItemIsUserCheckable)
                                  : Qt::ItemFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable));
        }
}

bool TVro8OnlineSettingsForm::Check()
{
    vro::TOnlineRun& run = *frame_.Run();
    std::vector<vro::TOnlineRangeText> fields;
    for (int c = 0; c < lo_.size(); ++c)
        fields.push_back({lo_[c]->text().toStdString(), hi_[c]->text().toStdString()});
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    const vro::TOnlineRangeCheck r = vro::CheckOnlineRanges(fields, run.Channels(), ranges);
    for (int c = 0; c < lo_.size(); ++c) {
        MarkFieldValid(lo_[c], true);
        MarkFieldValid(hi_[c], true);
    }
    if (r.Text == 0)
        return true;
    QLineEdit* field = r.Upper ? hi_[r.Channel] : lo_[r.Channel];
    CheckField(field, Txt(r.Text));
    return false;
}

bool TVro8OnlineSettingsForm::Apply()
{
    if (!Check())
        return false;
    vro::TOnlineRun& run = *frame_.Run();
    auto& s = run.Settings;
    std::vector<vro::TOnlineRangeText> fields;
    for (int c = 0; c < lo_.size(); ++c)
        fields.push_back({lo_[c]->text().toStdString(), hi_[c]->text().toStdString()});
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
    vro::CheckOnlineRanges(fields, run.Channels(), ranges);
    const int x = xAxis_->currentIndex() - 1;
    s.XChannel = x;
    s.Shown = s.LeftAxis = s.RightAxis = 0;
    for (int c = 0; c < lo_.size(); ++c) {
        if (shown_[c]->isChecked())
            s.Shown |= 1u << c;
        s.LoY[static_cast<std::size_t>(c)] = ranges[static_cast<std::size_t>(c)].first;
        s.HiY[static_cast<std::size_t>(c)] = ranges[static_cast<std::size_t>(c)].second;
        auto counts = [c](QListWidget* list) {
            const QListWidgetItem* item = list->item(c);
            return (item->flags() & Qt::ItemIsEnabled) && item->checkState() == Qt::Checked;
        };
        if (counts(left_))
            s.LeftAxis |= 1u << c;
        if (counts(right_))
            s.RightAxis |= 1u << c;
    }
    s.DisplayMode = run.Choices().RecordingType == 0 ? mode_->currentIndex() : 0;
    // A channel as X axis shows against it, never in overwrite mode.
    if (s.XChannel >= 0)
        s.DisplayMode = 0;
    frame_.RebuildAxes();
    return true;
}

} // namespace vro::app
