#include "app/graph/trackerform.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/look/apptext.h"

namespace vro::app {

namespace {

constexpr int kSteps[] = {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};

// Puts a window at `anchor`, limited to its constraints and the work area.
void PlaceWindow(QWidget* w, QPoint anchor, int extraHeight)
{
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
    QSize s = w->size() + QSize(0, extraHeight);
    s = s.boundedTo(w->maximumSize()).expandedTo(w->minimumSize()).boundedTo(area.size());
    w->resize(s);
    QPoint p = anchor;
    p.setX(std::clamp(p.x(), area.left(), std::max(area.left(), area.right() - s.width())));
    p.setY(std::clamp(p.y(), area.top(), std::max(area.top(), area.bottom() - s.height())));
    w->move(p);
}

QLabel* ArrowLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Raised);
    l->setAlignment(Qt::AlignCenter);
    l->setFixedWidth(20);
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

} // namespace

TTrackerForm::TTrackerForm(bool twoCursors, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), twoCursors_(twoCursors)
{
    setObjectName(QStringLiteral("TTrackerForm"));
    setWindowTitle(Txt(twoCursors ? 231 : 227)); // 231: Track difference; 227: Track
    setMinimumSize(240, 88);
    setMaximumSize(420, 280);
    auto* g = new QGridLayout(this);
    g->setContentsMargins(4, 4, 4, 4);
    auto* stepLabel = new QLabel(Txt(228), this); // 228: Step
    stepLabel->setObjectName(QStringLiteral("x1xStepLabel"));
    StepSizeCombo = new QComboBox(this);
    StepSizeCombo->setObjectName(QStringLiteral("StepSizeCombo"));
    for (int s : kSteps)
        StepSizeCombo->addItem(QString::number(s));
    g->addWidget(stepLabel, 0, 0);
    g->addWidget(StepSizeCombo, 0, 1, 1, 3);

    // 230: Measured values index A:; 229: Measured value index:
    auto* valueLabel = new QLabel(Txt(twoCursors ? 230 : 229), this);
    valueLabel->setObjectName(QStringLiteral("x2xValueLabel"));
    auto* minus = ArrowLabel(QStringLiteral("MinusLabel"), QStringLiteral("<"), this);
    auto* plus = ArrowLabel(QStringLiteral("PlusLabel"), QStringLiteral(">"), this);
    Edit = new QLineEdit(this);
    Edit->setObjectName(QStringLiteral("Edit"));
    TimeLabel = new QLabel(this);
    TimeLabel->setObjectName(QStringLiteral("TimeLabel"));
    g->addWidget(valueLabel, 1, 0);
    g->addWidget(minus, 1, 1);
    g->addWidget(Edit, 1, 2);
    g->addWidget(plus, 1, 3);
    g->addWidget(TimeLabel, 1, 4);
    QList<QLabel*> arrows{minus, plus};
    if (twoCursors) {
        auto* valueLabel2 = new QLabel(Txt(233), this); // 233: Measured values index B:
        valueLabel2->setObjectName(QStringLiteral("x6xValueLabel"));
        auto* minus2 = ArrowLabel(QStringLiteral("MinusLabel2"), QStringLiteral("<"), this);
        auto* plus2 = ArrowLabel(QStringLiteral("PlusLabel2"), QStringLiteral(">"), this);
        Edit1 = new QLineEdit(this);
        Edit1->setObjectName(QStringLiteral("Edit1"));
        TimeLabel2 = new QLabel(this);
        TimeLabel2->setObjectName(QStringLiteral("TimeLabel2"));
        auto* diffCaption = new QLabel(Txt(232), this); // 232: Difference:
        diffCaption->setObjectName(QStringLiteral("x5xDiffTimeCaptionLabel"));
        DiffTimeLabel = new QLabel(this);
        DiffTimeLabel->setObjectName(QStringLiteral("DiffTimeLabel"));
        g->addWidget(valueLabel2, 2, 0);
        g->addWidget(minus2, 2, 1);
        g->addWidget(Edit1, 2, 2);
        g->addWidget(plus2, 2, 3);
        g->addWidget(TimeLabel2, 2, 4);
        g->addWidget(diffCaption, 3, 0);
        g->addWidget(DiffTimeLabel, 3, 2, 1, 3);
        arrows << minus2 << plus2;
        connect(Edit1, &QLineEdit::textChanged, this, [this] { EditChanged(1); });
        Edit1->installEventFilter(this);
    }
    resize(300, twoCursors ? 150 : 88);
    for (QLabel* a : arrows)
        a->installEventFilter(this);
    Edit->installEventFilter(this);
    connect(Edit, &QLineEdit::textChanged, this, [this] { EditChanged(0); });
    connect(StepSizeCombo, &QComboBox::currentIndexChanged, this, [this](int i) { SetStepIndex(i); });
    repeat_.setSingleShot(false);
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(50);
        StepOnce(Direction, ActiveValue);
    });
}

void TTrackerForm::showEvent(QShowEvent* event)
{
    Step = 1;
    Direction = 1;
    StepSizeCombo->blockSignals(true);
    StepSizeCombo->setCurrentIndex(0);
    StepSizeCombo->blockSignals(false);
    QWidget::showEvent(event);
}

void TTrackerForm::Notify()
{
    if (OnChange)
        OnChange();
}

namespace {
std::int32_t Snap(std::int64_t v, std::int32_t step, std::int32_t lo, std::int32_t hi)
{
    if (step > 1)
        v = static_cast<std::int64_t>(std::nearbyint(static_cast<double>(v) / step)) * step;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, lo, std::max(lo, hi)));
}
} // namespace

void TTrackerForm::SetValue1(std::int32_t v, bool notify)
{
    Value1 = Snap(v, Step, MinIndex, MaxIndex);
    settingText_ = true;
    Edit->setText(QString::number(Value1));
    settingText_ = false;
    if (notify)
        Notify();
}

void TTrackerForm::SetValue2(std::int32_t v, bool notify)
{
    Value2 = Snap(v, Step, MinIndex, MaxIndex);
    if (Edit1) {
        settingText_ = true;
        Edit1->setText(QString::number(Value2));
        settingText_ = false;
    }
    if (notify)
        Notify();
}

void TTrackerForm::EditChanged(int which)
{
    if (settingText_)
        return;
    // The field typed into is read (and becomes the active cursor).
    QLineEdit* e = which == 0 ? Edit : Edit1;
    bool ok = false;
    const qlonglong n = e->text().trimmed().toLongLong(&ok);
    if (!ok)
        return;
    ActiveValue = which;
    const auto v = static_cast<std::int32_t>(std::clamp<qlonglong>(n, MinIndex, std::max(MinIndex, MaxIndex)));
    (which == 0 ? Value1 : Value2) = v;
    Notify();
}

void TTrackerForm::SetStepIndex(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kSteps)))
        return;
    Step = kSteps[index];
    if (StepSizeCombo->currentIndex() != index) {
        StepSizeCombo->blockSignals(true);
        StepSizeCombo->setCurrentIndex(index);
        StepSizeCombo->blockSignals(false);
    }
    if (ActiveValue == 1)
        SetValue2(Value2);
    else
        SetValue1(Value1);
}

void TTrackerForm::StepOnce(int direction, int activeValue)
{
    ActiveValue = activeValue;
    Direction = direction;
    if (activeValue == 1)
        SetValue2(Value2 + Direction * Step);
    else
        SetValue1(Value1 + Direction * Step);
}

bool TTrackerForm::HandleKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down: SetValue1(Value1 - Step); break;
    case Qt::Key_Up:
    case Qt::Key_Right: SetValue1(Value1 + Step); break;
    default: return false;
    }
    Edit->selectAll();
    return true;
}

void TTrackerForm::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(event->key()))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

bool TTrackerForm::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* label = qobject_cast<QLabel*>(watched)) {
        const QString n = label->objectName();
        if (event->type() == QEvent::MouseButtonPress) {
            label->setFrameShadow(QFrame::Sunken);
            StepOnce(n.startsWith(QLatin1String("Minus")) ? -1 : 1, n.endsWith(QLatin1Char('2')) ? 1 : 0);
            repeat_.start(1000);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            repeat_.stop();
            label->setFrameShadow(QFrame::Raised);
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        if (HandleKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TTrackerForm::closeEvent(QCloseEvent* event)
{
    // The close box switches the tool off; the tool then destroys the window.
    if (OnCloseRequest) {
        event->ignore();
        OnCloseRequest();
        return;
    }
    QWidget::closeEvent(event);
}

void TTrackerForm::PlaceAt(QPoint anchor) { PlaceWindow(this, anchor, 20); }

// ---- TNavigatorForm

TNavigatorForm::TNavigatorForm(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TNavigatorForm"));
    setWindowTitle(Txt(234)); // 234: Keyboard navigation
    setMinimumSize(80, 80);
    setMaximumSize(400, 280);
    setFocusPolicy(Qt::StrongFocus);
    auto* v = new QVBoxLayout(this);
    auto* l1 = new QLabel(Txt(235), this); // 235: The display detail can be moved around with t...
    auto* l2 = new QLabel(Txt(236), this); // 236: you can zoom in and out with the Shift key +...
    l1->setWordWrap(true);
    l2->setWordWrap(true);
    v->addWidget(l1);
    v->addWidget(l2);
    resize(300, 90);
}

bool TNavigatorForm::HandleKey(int key, Qt::KeyboardModifiers modifiers)
{
    F = S = 0;
    switch (key) {
    case Qt::Key_Left: F = -0.1; break;
    case Qt::Key_Right: F = 0.1; break;
    case Qt::Key_Up: S = -0.1; break;
    case Qt::Key_Down: S = 0.1; break;
    default: return false;
    }
    ShiftZoom = (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ShiftModifier;
    if ((F != 0 || S != 0) && OnChange)
        OnChange();
    return true;
}

void TNavigatorForm::keyPressEvent(QKeyEvent* event)
{
    HandleKey(event->key(), event->modifiers());
    event->accept();
}

void TNavigatorForm::closeEvent(QCloseEvent* event)
{
    if (OnCloseRequest) {
        event->ignore();
        OnCloseRequest();
        return;
    }
    QWidget::closeEvent(event);
}

void TNavigatorForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            wasActive_ = true;
        else if (wasActive_ && OnCloseRequest) {
            // Losing the focus ends keyboard navigation.
            wasActive_ = false;
            QMetaObject::invokeMethod(
                this, [cb = OnCloseRequest] { cb(); }, Qt::QueuedConnection);
        }
    }
    QWidget::changeEvent(event);
}

void TNavigatorForm::PlaceAt(QPoint anchor) { PlaceWindow(this, anchor, 0); }

} // namespace vro::app
