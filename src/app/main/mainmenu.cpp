#include "app/main/mainmenu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QString>

namespace vro::app {

namespace {

using K = TMenuKind;
using M = TMainMenu;

constexpr TMenuEntry Menu(int depth, const char* name, QMenu* M::*menu)
{
    return {.depth = depth, .kind = K::Menu, .name = name, .menu = menu};
}

constexpr TMenuEntry Item(int depth, const char* name, QAction* M::*action)
{
    return {.depth = depth, .kind = K::Item, .name = name, .action = action};
}

// An entry whose function comes with later work: present, disabled.
constexpr TMenuEntry Later(int depth, const char* name, QAction* M::*action)
{
    TMenuEntry e = Item(depth, name, action);
    e.built = false;
    return e;
}

constexpr TMenuEntry Pane(int depth, const char* name, QAction* M::*action, const char* command, bool follows = false)
{
    TMenuEntry e = Item(depth, name, action);
    e.paneCommand = command;
    e.followsPaneCommand = follows;
    return e;
}

constexpr TMenuEntry Checkable(TMenuEntry e)
{
    e.checkable = true;
    return e;
}

constexpr TMenuEntry Hidden(TMenuEntry e)
{
    e.hidden = true;
    return e;
}

constexpr TMenuEntry Separator(int depth, const char* name, QAction* M::*action = nullptr)
{
    return {.depth = depth, .kind = K::Separator, .name = name, .action = action};
}

constexpr TMenuEntry Recent(const char* name) { return {.depth = 1, .kind = K::RecentFile, .name = name}; }

const TMenuEntry kEntries[] = {
    Menu(0, "x05xFileMenuItem", &M::file),
    Item(1, "x06xOpenMenuItem", &M::open),
    Item(1, "x67xImportItem", &M::import),
    Separator(1, "FileSeparator1"),
    Item(1, "x07xSaveMenuItem", &M::save),
    Item(1, "x08xSaveAsMenuItem", &M::saveAs),
    Item(1, "x09xSaveAllMenuItem", &M::saveAll),
    Separator(1, "FileSeparator2"),
    Item(1, "x10xExportMenuItem", &M::exportOne),
    Item(1, "x68xExportAllMenuItem", &M::exportAll),
    Hidden(Later(1, "x69xMergeRecordingsItem", &M::merge)),
    Hidden(Separator(1, "MergeSeparator", &M::mergeSeparator)),
    Later(1, "x24xPrintMenuItem", &M::print),
    Separator(1, "FileSeparator3"),
    Item(1, "x11xCloseMenuItem", &M::close),
    Item(1, "x12xCloseAllMenuItem", &M::closeAll),
    Separator(1, "RecentSeparator", &M::recentSeparator),
    Recent("RecentFile1Item"),
    Recent("RecentFile2Item"),
    Recent("RecentFile3Item"),
    Recent("RecentFile4Item"),
    Recent("RecentFile5Item"),
    Recent("RecentFile6Item"),
    Recent("RecentFile7Item"),
    Recent("RecentFile8Item"),
    Separator(1, "QuitSeparator"),
    Item(1, "x13xQuitMenuItem", &M::quit),

    Menu(0, "x14xViewMenuItem", &M::view),
    Checkable(Item(1, "x15xViewGraphicMenuItem", &M::viewGraphic)),
    Checkable(Item(1, "x16xViewTableMenuItem", &M::viewTable)),
    Checkable(Item(1, "x17xViewPropertiesMenuItem", &M::viewProperties)),
    Checkable(Later(1, "x18xViewDescriptionMenuItem", &M::viewDescription)),

    Menu(0, "x32xGraphicMenuItem", &M::graphic),
    Menu(1, "x1xGraphicViewItem", &M::graphicView),
    Pane(2, "x42xFullScaleMenuItem", &M::fullScale, "FullScaleLabel"),
    Pane(2, "x41xScaleMenuItem", &M::scale, "ScaleLabel"),
    Later(2, "x50xScaleSettingsMenuItem", &M::scaleSettings),
    Later(2, "x43xSettingsMenuItem", &M::graphSettings),
    Separator(2, "GraphicViewSeparator1"),
    Pane(2, "x37xMagniffierMenuItem", &M::magnifier, "MagnifierLabel"),
    Pane(2, "x38xInversMagnifierMenuItem", &M::inverseMagnifier, "InversMagnifierLabel"),
    Pane(2, "x39xHandMenuItem", &M::hand, "HandLabel"),
    Pane(2, "x40xNavigationMenuItem", &M::navigation, "NavigationLabel"),
    Separator(2, "GraphicViewSeparator2"),
    Pane(2, "x44xBackMenuItem", &M::back, "BackwardsLabel", true),
    Pane(2, "x45xForwardMenuItem", &M::forward, "ForwardLabel", true),
    Pane(2, "x25xSnapshotMenuItem", &M::snapshot, "SnapshotLabel"),
    Pane(2, "x26xSnapshotListMenuItem", &M::snapshotList, "SnapshotListLabel", true),
    Menu(1, "x2xGraphicEvaluateMenuItem", &M::graphicEvaluate),
    Pane(2, "x34xRulerMenuItem", &M::ruler, "RulerLabel"),
    Pane(2, "x35xCaliperMenuItem", &M::caliper, "CaliperLabel"),
    Pane(2, "x36xTrackerMenuItem", &M::tracker, "TrackerLabel"),
    Pane(2, "x66xDeltaTrackerItem", &M::deltaTracker, "DeltaTrackerLabel"),
    Menu(1, "x3xGraphicMiscMenuItem", &M::graphicMisc),
    Later(2, "x46xRemarkMenuItem", &M::remark),
    Later(2, "x47xRemarkListMenuItem", &M::remarkList),
    Later(2, "x31xTakePictureMenuItem", &M::takePicture),
    Item(2, "x58xReferenceMenuItem", &M::reference),

    Menu(0, "x49xEditMenuItem", &M::edit),
    Item(1, "x28xExtractRecordingMenuItem", &M::extract),
    Later(1, "x27xCurvesOverlayMenuItem", &M::curvesOverlay),
    Item(1, "x55xTimeShiftMenuItem", &M::timeShift),
    Separator(1, "EditSeparator1"),
    Item(1, "x51xCalcNewChannelFormelMenuItem", &M::calcFormula),
    Item(1, "x52xCalcNewChannelFilterMenuItem", &M::calcFilter),
    Item(1, "x53xDeleteChannelMenuItem", &M::deleteChannel),

    Menu(0, "x60xDeviceMenuItem", &M::device),
    Item(1, "x59xConnectionMenuItem", &M::connection),
    Item(1, "x56xQvDeviceMenuItem", &M::deviceWindow),

    Menu(0, "x20xExtrasMenuItem", &M::extras),
    Later(1, "x21xOptionsMenuItem", &M::options),
    Item(1, "x61xResetToStandart", &M::resetOptions),

    Menu(0, "x22xHelpMenuItem", &M::help),
    Later(1, "x23xAboutMenuItem", &M::about),

    {.depth = 0, .kind = K::End, .name = ""},
};

} // namespace

const TMenuEntry* MainMenuEntries() { return kEntries; }

TMainMenu BuildMainMenu(QMainWindow* window)
{
    TMainMenu m;
    m.bar = window->menuBar();
    m.bar->setObjectName(QStringLiteral("MainMenu"));
    QMenu* stack[3] = {nullptr, nullptr, nullptr};
    std::size_t recent = 0;
    for (const TMenuEntry* e = kEntries; e->kind != TMenuKind::End; ++e) {
        const QString name = QString::fromLatin1(e->name);
        QAction* action = nullptr;
        switch (e->kind) {
        case TMenuKind::Menu: {
            QWidget* parent = e->depth == 0 ? static_cast<QWidget*>(m.bar) : stack[e->depth - 1];
            auto* menu = new QMenu(name, parent);
            menu->setObjectName(name);
            if (e->depth == 0)
                m.bar->addMenu(menu);
            else
                stack[e->depth - 1]->addMenu(menu);
            stack[e->depth] = menu;
            m.*(e->menu) = menu;
            break;
        }
        case TMenuKind::Item:
        case TMenuKind::RecentFile:
            action = new QAction(name, window);
            stack[e->depth - 1]->addAction(action);
            if (e->kind == TMenuKind::RecentFile) {
                m.recentFiles.at(recent++) = action;
                action->setVisible(false);
            }
            break;
        case TMenuKind::Separator: action = stack[e->depth - 1]->addSeparator(); break;
        case TMenuKind::End: break;
        }
        if (!action)
            continue;
        action->setObjectName(name);
        if (e->action)
            m.*(e->action) = action;
        action->setEnabled(e->built);
        action->setCheckable(e->checkable);
        if (e->hidden)
            action->setVisible(false);
    }
    return m;
}

} // namespace vro::app
