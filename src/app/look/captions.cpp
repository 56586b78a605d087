#include "app/look/captions.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/text/texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>

namespace vro::app {

namespace {

const char* const kFrameProperty = "vroCaptionFrame";

QStringList ToQStringList(const std::vector<std::string>& lines)
{
    QStringList out;
    for (const std::string& l : lines)
        out << QString::fromStdString(l);
    return out;
}

class TQtCaptionTarget final : public vro::ICaptionTarget {
public:
    explicit TQtCaptionTarget(QObject* o) : object_(o) {}

    std::string Name() const override { return object_->objectName().toStdString(); }

    vro::TCaptionKind Kind() const override
    {
        if (qobject_cast<TRadioGroup*>(object_) || qobject_cast<QComboBox*>(object_) ||
            qobject_cast<QListWidget*>(object_) || qobject_cast<QPlainTextEdit*>(object_) ||
            qobject_cast<QTextEdit*>(object_) || qobject_cast<QTabWidget*>(object_))
            return vro::TCaptionKind::Lines;
        if (qobject_cast<QLabel*>(object_) || qobject_cast<QAbstractButton*>(object_) ||
            qobject_cast<QGroupBox*>(object_) || qobject_cast<QAction*>(object_) || qobject_cast<QMenu*>(object_))
            return vro::TCaptionKind::Caption;
        return vro::TCaptionKind::Other;
    }

    void SetCaption(const std::string& caption) override
    {
        const QString c = QString::fromStdString(caption);
        if (auto* b = qobject_cast<TButtonLabel*>(object_)) {
            b->setText(b->IsStyled() ? FrameButtonCaption(c) : c);
        } else if (auto* l = qobject_cast<QLabel*>(object_)) {
            l->setText(c);
        } else if (auto* ab = qobject_cast<QAbstractButton*>(object_)) {
            ab->setText(c);
        } else if (auto* g = qobject_cast<QGroupBox*>(object_)) {
            g->setTitle(c);
        } else if (auto* m = qobject_cast<QMenu*>(object_)) {
            m->setTitle(c);
        } else if (auto* a = qobject_cast<QAction*>(object_)) {
            a->setText(c);
        }
    }

    void SetLines(const std::vector<std::string>& lines) override
    {
        const QStringList items = ToQStringList(lines);
        if (auto* r = qobject_cast<TRadioGroup*>(object_)) {
            r->SetItems(items);
        } else if (auto* c = qobject_cast<QComboBox*>(object_)) {
            c->clear();
            c->addItems(items);
        } else if (auto* lw = qobject_cast<QListWidget*>(object_)) {
            lw->clear();
            lw->addItems(items);
        } else if (auto* pe = qobject_cast<QPlainTextEdit*>(object_)) {
            pe->setPlainText(items.join(QLatin1Char('\n')));
        } else if (auto* te = qobject_cast<QTextEdit*>(object_)) {
            te->setPlainText(items.join(QLatin1Char('\n')));
        } else if (auto* tw = qobject_cast<QTabWidget*>(object_)) {
            for (int i = 0; i < tw->count(); ++i)
                tw->setTabText(i, i < items.size() ? items[i] : QString());
        }
    }

private:
    QObject* object_;
};

void Collect(QObject* parent, std::vector<QObject*>& out)
{
    for (QObject* child : parent->children()) {
        if (child->property(kFrameProperty).toBool())
            continue;
        out.push_back(child);
        Collect(child, out);
    }
}

} // namespace

void MarkCaptionFrame(QWidget* frame) { frame->setProperty(kFrameProperty, true); }

void ApplyQtCaptions(QObject* owner, int base)
{
    std::vector<QObject*> objects;
    Collect(owner, objects);
    std::vector<std::unique_ptr<TQtCaptionTarget>> holders;
    std::vector<vro::ICaptionTarget*> targets;
    for (QObject* o : objects) {
        if (o->objectName().isEmpty() || !o->objectName().startsWith(QLatin1Char('x')))
            continue;
        holders.push_back(std::make_unique<TQtCaptionTarget>(o));
        targets.push_back(holders.back().get());
    }
    vro::ApplyCaptions(targets, base);
}

TRadioGroup::TRadioGroup(const QString& objectName, QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QVBoxLayout(this))
{
    setObjectName(objectName);
    connect(group_, &QButtonGroup::idClicked, this, &TRadioGroup::itemIndexChanged);
}

void TRadioGroup::SetItems(const QStringList& items)
{
    const int keep = ItemIndex();
    for (QAbstractButton* b : group_->buttons()) {
        group_->removeButton(b);
        delete b;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        layout_->addWidget(b);
    }
    SetItemIndex(keep);
}

QStringList TRadioGroup::Items() const
{
    QStringList out;
    for (QAbstractButton* b : group_->buttons())
        out << b->text();
    return out;
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* b = group_->button(index))
        b->setChecked(true);
}

} // namespace vro::app
