// The caption rule on Qt objects: every object below `owner` whose object name
// carries a text number (x<N>x...) gets its caption from the text tables at
// base + N (lists get base + N .. base + M). Objects inside a frame that applies
// its own captions (MarkCaptionFrame) are left to that frame.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace vro::app {

void ApplyQtCaptions(QObject* owner, int base);

// Marks a widget as a frame with its own caption base: ApplyQtCaptions on an
// ancestor skips it and everything inside it.
void MarkCaptionFrame(QWidget* frame);

// A group box holding one radio button per line of its text list, the list
// form of the caption rule ("x12x15xKindRadioGroup").
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& objectName, QWidget* parent = nullptr);
    void SetItems(const QStringList& items);
    QStringList Items() const;
    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* group_;
    QVBoxLayout* layout_;
};

} // namespace vro::app
