#include "app/dialogs/promptbox.h"

#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/windowlayout.h"

#include <QApplication>
#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace vro::app {

TDvxPromptBox::TDvxPromptBox(const QString& caption, const QString& heading, const QString& label, bool password,
                             const QString& value, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TDvxPromptBox"));
    TDialogFrame f = BuildDialogFrame(this, heading);
    setWindowTitle(caption.isEmpty() ? ApplicationTitle() : caption);
    auto* layout = new QVBoxLayout(f.main);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(10);
    auto* text = new QLabel(label, f.main);
    text->setObjectName(QStringLiteral("PromptLabel"));
    layout->addWidget(text);
    edit_ = new QLineEdit(value, f.main);
    edit_->setObjectName(QStringLiteral("PromptEdit"));
    if (password)
        edit_->setEchoMode(QLineEdit::Password);
    edit_->setMinimumWidth(std::max(200, text->sizeHint().width()));
    layout->addWidget(edit_);
    layout->addStretch(1);
    auto* ok = AddBottomButton(f, QStringLiteral("OkLabel"));
    auto* cancel = AddBottomButton(f, QStringLiteral("CancelLabel"));
    connect(ok, &TButtonLabel::clicked, this, &QDialog::accept);
    connect(cancel, &TButtonLabel::clicked, this, &QDialog::reject);
    edit_->setFocus();
    edit_->selectAll();
}

QString TDvxPromptBox::Value() const { return edit_->text(); }

void TDvxPromptBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Prompt(const QString& caption, const QString& heading, const QString& label, bool password, QString& value)
{
    TDvxPromptBox box(caption, heading, label, password, value, QApplication::activeWindow());
    if (box.exec() != QDialog::Accepted)
        return false;
    value = box.Value();
    return true;
}

} // namespace vro::app
