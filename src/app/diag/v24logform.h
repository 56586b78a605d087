// The transfer log window ("V24 Log") that typing DIAGNOSE opens, and the
// manual message window ("Dvx-Nachrichten") it leads to. Both exist in German
// only. While the log window exists it is the connector's log sink: every
// line arrives on the user-interface thread through the connector's
// dispatcher. Closing the window removes it as sink and monitor handler.
#pragma once

#include <QDialog>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace vro {
class TDvxV24Connector;
}

namespace vro::app {

class TDvxV24MessageForm;

class TDvxV24LogForm : public QDialog {
    Q_OBJECT
public:
    explicit TDvxV24LogForm(vro::TDvxV24Connector& connector, QWidget* parent = nullptr);
    ~TDvxV24LogForm() override;

    QListWidget* MainListBox() const { return mainList_; }
    QListWidget* DetailListbox() const { return detailList_; }
    QLabel* MonitorLabel() const { return monitorLabel_; }
    TDvxV24MessageForm* MessageForm() const { return messageForm_; }

    void AddLine(const QString& line);
    void ClearLog();
    void ShowDetail(int row);
    // Writes the log lines as a text file; the error text on failure.
    QString SaveTo(const QString& fileName) const;
    void OpenMessageForm();

private:
    void Detach();

    vro::TDvxV24Connector& connector_;
    QListWidget* mainList_ = nullptr;
    QListWidget* detailList_ = nullptr;
    QLabel* monitorLabel_ = nullptr;
    QPointer<TDvxV24MessageForm> messageForm_;
};

class TDvxV24MessageForm : public QDialog {
    Q_OBJECT
public:
    explicit TDvxV24MessageForm(vro::TDvxV24Connector& connector, QWidget* parent = nullptr);

    QComboBox* AddressBox() const { return address_; }
    QLineEdit* NumberEdit() const { return number_; }
    QPlainTextEdit* DataMemo() const { return data_; }
    QPlainTextEdit* AnswerMemo() const { return answer_; }

    // "Übertragen": checks the fields, sends the frame, shows the answer.
    // Returns the error shown, empty on success.
    QString Transmit();

private:
    vro::TDvxV24Connector& connector_;
    QComboBox* address_ = nullptr;
    QLineEdit* number_ = nullptr;
    QPlainTextEdit* data_ = nullptr;
    QPlainTextEdit* answer_ = nullptr;
};

} // namespace vro::app
