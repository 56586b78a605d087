#include "app/main/mainmenu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace vro::app {

namespace {

using K = TMenuKind;

const TMenuEntry kEntries[] = {
    {0, K::Menu, "x05xFileMenuItem"},
    {1, K::Item, "x06xOpenMenuItem"},
    {1, K::Item, "x67xImportItem"},
    {1, K::Separator, "FileSeparator1"},
    {1, K::Item, "x07xSaveMenuItem"},
    {1, K::Item, "x08xSaveAsMenuItem"},
    {1, K::Item, "x09xSaveAllMenuItem"},
    {1, K::Separator, "FileSeparator2"},
    {1, K::Item, "x10xExportMenuItem"},
    {1, K::Item, "x68xExportAllMenuItem"},
    {1, K::Item, "x69xMergeRecordingsItem"},
    {1, K::Separator, "MergeSeparator"},
    {1, K::Item, "x24xPrintMenuItem"},
    {1, K::Separator, "FileSeparator3"},
    {1, K::Item, "x11xCloseMenuItem"},
    {1, K::Item, "x12xCloseAllMenuItem"},
    {1, K::Separator, "RecentSeparator"},
    {1, K::Item, "RecentFile1Item"},
    {1, K::Item, "RecentFile2Item"},
    {1, K::Item, "RecentFile3Item"},
    {1, K::Item, "RecentFile4Item"},
    {1, K::Item, "RecentFile5Item"},
    {1, K::Item, "RecentFile6Item"},
    {1, K::Item, "RecentFile7Item"},
    {1, K::Item, "RecentFile8Item"},
    {1, K::Separator, "QuitSeparator"},
    {1, K::Item, "x13xQuitMenuItem"},

    {0, K::Menu, "x14xViewMenuItem"},
    {1, K::Item, "x15xViewGraphicMenuItem"},
    {1, K::Item, "x16xViewTableMenuItem"},
    {1, K::Item, "x17xViewPropertiesMenuItem"},
    {1, K::Item, "x18xViewDescriptionMenuItem"},

    {0, K::Menu, "x32xGraphicMenuItem"},
    {1, K::Menu, "x1xGraphicViewItem"},
    {2, K::Item, "x42xFullScaleMenuItem"},
    {2, K::Item, "x41xScaleMenuItem"},
    {2, K::Item, "x50xScaleSettingsMenuItem"},
    {2, K::Item, "x43xSettingsMenuItem"},
    {2, K::Separator, "GraphicViewSeparator1"},
    {2, K::Item, "x37xMagniffierMenuItem"},
    {2, K::Item, "x38xInversMagnifierMenuItem"},
    {2, K::Item, "x39xHandMenuItem"},
    {2, K::Item, "x40xNavigationMenuItem"},
    {2, K::Separator, "GraphicViewSeparator2"},
    {2, K::Item, "x44xBackMenuItem"},
    {2, K::Item, "x45xForwardMenuItem"},
    {2, K::Item, "x25xSnapshotMenuItem"},
    {2, K::Item, "x26xSnapshotListMenuItem"},
    {1, K::Menu, "x2xGraphicEvaluateMenuItem"},
    {2, K::Item, "x34xRulerMenuItem"},
    {2, K::Item, "x35xCaliperMenuItem"},
    {2, K::Item, "x36xTrackerMenuItem"},
    {2, K::Item, "x66xDeltaTrackerItem"},
    {1, K::Menu, "x3xGraphicMiscMenuItem"},
    {2, K::Item, "x46xRemarkMenuItem"},
    {2, K::Item, "x47xRemarkListMenuItem"},
    {2, K::Item, "x31xTakePictureMenuItem"},
    {2, K::Item, "x58xReferenceMenuItem"},

    {0, K::Menu, "x49xEditMenuItem"},
    {1, K::Item, "x28xExtractRecordingMenuItem"},
    {1, K::Item, "x27xCurvesOverlayMenuItem"},
    {1, K::Item, "x55xTimeShiftMenuItem"},
    {1, K::Separator, "EditSeparator1"},
    {1, K::Item, "x51xCalcNewChannelFormelMenuItem"},
    {1, K::Item, "x52xCalcNewChannelFilterMenuItem"},
    {1, K::Item, "x53xDeleteChannelMenuItem"},

    {0, K::Menu, "x60xDeviceMenuItem"},
    {1, K::Item, "x59xConnectionMenuItem"},
    {1, K::Item, "x56xQvDeviceMenuItem"},

    {0, K::Menu, "x20xExtrasMenuItem"},
    {1, K::Item, "x21xOptionsMenuItem"},
    {1, K::Item, "x61xResetToStandart"},

    {0, K::Menu, "x22xHelpMenuItem"},
    {1, K::Item, "x23xAboutMenuItem"},

    {0, K::End, ""},
};

} // namespace

const TMenuEntry* MainMenuEntries() { return kEntries; }

void BuildMainMenu(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    QMenu* stack[3] = {nullptr, nullptr, nullptr};
    for (const TMenuEntry* e = kEntries; e->kind != TMenuKind::End; ++e) {
        const QString name = QString::fromLatin1(e->name);
        QWidget* parent = e->depth == 0 ? static_cast<QWidget*>(bar) : stack[e->depth - 1];
        switch (e->kind) {
        case TMenuKind::Menu: {
            auto* menu = new QMenu(name, parent);
            menu->setObjectName(name);
            if (e->depth == 0)
                bar->addMenu(menu);
            else
                stack[e->depth - 1]->addMenu(menu);
            stack[e->depth] = menu;
            break;
        }
        case TMenuKind::Item: {
            auto* action = new QAction(name, window);
            action->setObjectName(name);
            stack[e->depth - 1]->addAction(action);
            if (name.startsWith(QStringLiteral("RecentFile")))
                action->setVisible(false);
            break;
        }
        case TMenuKind::Separator: {
            QAction* sep = stack[e->depth - 1]->addSeparator();
            sep->setObjectName(name);
            break;
        }
        case TMenuKind::End: break;
        }
    }
    // The merge item and its separator are hidden as delivered.
    for (QAction* a : window->findChildren<QAction*>())
        if (a->objectName() == QStringLiteral("x69xMergeRecordingsItem") ||
            a->objectName() == QStringLiteral("MergeSeparator"))
            a->setVisible(false);
}

} // namespace vro::app
