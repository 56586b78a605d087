#include "support/app_support.h"

#include "core/config/applicationconfig.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QPointer>

#include <memory>

namespace vro::apptest {

namespace {
int gAnswered = 0;
}

int AnsweredCount() { return gAnswered; }

namespace {

// Rejects (or closes) the modal dialogs still open, innermost first.
void CloseOpenModals()
{
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            modal->hide();
    }
}

// The test function that is running, so that a helper of an earlier one
// stops instead of answering a later test's dialog.
QString CurrentTest() { return QString::fromLatin1(QTest::currentTestFunction()); }

} // namespace

void AnswerNextModal(std::function<void(QWidget*)> act, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    auto deadline = std::make_shared<QDeadlineTimer>(timeoutMs);
    auto answered = std::make_shared<QPointer<QWidget>>();
    auto acted = std::make_shared<bool>(false);
    const QString test = CurrentTest();
    const auto finish = [timer] {
        timer->stop();
        timer->deleteLater();
    };
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (CurrentTest() != test) {
            finish();
            return;
        }
        if (!*acted) {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible()) {
                *acted = true;
                *answered = modal;
                deadline->setRemainingTime(timeoutMs);
                ++gAnswered;
                act(modal);
                return;
            }
            if (deadline->hasExpired()) {
                finish();
                QTest::qFail("no modal dialog appeared in time", __FILE__, __LINE__);
                CloseOpenModals();
            }
            return;
        }
        // Answered: the dialog must go away.
        if (answered->isNull() || !(*answered)->isVisible()) {
            finish();
            return;
        }
        if (deadline->hasExpired()) {
            finish();
            QTest::qFail(("the answered dialog " + (*answered)->objectName().toStdString() + " is still open").c_str(),
                         __FILE__, __LINE__);
            CloseOpenModals();
        }
    });
    timer->start(10);
}

bool ClickChild(QWidget* w, const QString& objectName)
{
    QWidget* child = w->findChild<QWidget*>(objectName);
    if (!child || !child->isVisible())
        return false;
    QTest::mouseClick(child, Qt::LeftButton, {}, child->rect().center());
    return true;
}

void ClickInNextModal(const QString& objectName, int timeoutMs)
{
    AnswerNextModal([objectName](QWidget* w) { ClickChild(w, objectName); }, timeoutMs);
}

QString TempDir()
{
    static QTemporaryDir* dir = nullptr;
    if (!dir)
        dir = new QTemporaryDir;
    static int n = 0;
    const QString sub = dir->path() + QStringLiteral("/t%1").arg(++n);
    QDir().mkpath(sub);
    return sub;
}

QString TempConfigFile() { return TempDir() + QStringLiteral("/vrowin-test.vxacf"); }

QString QuietConfigFile(const QString& language)
{
    const QString file = TempConfigFile();
    vro::TApplicationConfig config(file.toStdString());
    config.Load(); // no file: a first run; FirstRun becomes 0 in memory
    config.SetLanguage(language.toStdString());
    config.Save(true);
    return file;
}

QString TestDataDir()
{
    const QByteArray env = qgetenv("VRO_TEST_DATA");
    return env.isEmpty() ? QStringLiteral(VRO_TEST_DATA_DIR) : QString::fromLocal8Bit(env);
}

QString SampleRecording(const QString& name)
{
    const QString target = TempDir() + QLatin1Char('/') + name;
    QFile::copy(TestDataDir() + QStringLiteral("/recordings/full.vxrf"), target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

} // namespace vro::apptest
