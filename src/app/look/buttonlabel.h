// Clickable labels styled as buttons. The program uses labels in place of push
// buttons: a styled label takes its parent's colour, dark blue text and the hand
// cursor, lights up under the mouse and while pressed, and emits clicked() when
// the mouse button is released over it. While any styled label is held down a
// program-wide flag is set; the main window's idle handler reads it so that it
// does not change menu states in the middle of a click.
#pragma once

#include <QLabel>

namespace vro::app {

class TButtonLabel : public QLabel {
    Q_OBJECT
public:
    explicit TButtonLabel(const QString& objectName, QWidget* parent = nullptr);

    bool IsStyled() const { return styled_; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend void StyleButtonLabel(TButtonLabel* label);
    friend void UnstyleLabel(TButtonLabel* label);
    void SetBackground(const QColor& color);
    QColor ParentColor() const;

    bool styled_ = false;
    bool pressed_ = false;
};

// Gives the label the button look and, by its object name, the library caption
// (OkLabel, CancelLabel, YesLabel, ...); any other name keeps its caption. The
// caption is then stripped of its accelerator marker, trimmed and framed by two
// blanks on each side.
void StyleButtonLabel(TButtonLabel* label);

// Restores the plain label look: parent colour, normal black font, default cursor.
void UnstyleLabel(TButtonLabel* label);

// True while a styled label is held down.
bool IsButtonLabelHeld();

// Caption framing of StyleButtonLabel, on its own for callers and tests.
QString FrameButtonCaption(const QString& caption);

} // namespace vro::app
