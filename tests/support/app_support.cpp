#include "support/app_support.h"

#include "core/config/applicationconfig.h"

#include <QApplication>
#include <QFile>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace vro::apptest {

namespace {
int gAnswered = 0;
}

int AnsweredCount() { return gAnswered; }

void AnswerNextModal(std::function<void(QWidget*)> act, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    auto remaining = std::make_shared<int>(timeoutMs / 10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, remaining, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            ++gAnswered;
            act(modal);
            return;
        }
        if (--*remaining <= 0) {
            timer->stop();
            timer->deleteLater();
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
