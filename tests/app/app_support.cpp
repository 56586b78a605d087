#include "app_support.h"

#include <QApplication>
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

} // namespace vro::apptest
