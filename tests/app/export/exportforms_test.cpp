// The export settings dialog: presets per format, the checks of OK in their
// order, and the settings' way through the configuration.
#include "app/export/exportforms.h"
#include "core/config/inilist.h"
#include "core/text/texts.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace vro;
using namespace vro::app;

namespace {
int gMessages = 0;
void CloseMessagesSoon()
{
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("vro::app::TDvxMessageForm")) {
                ++gMessages;
                w->close();
            }
        CloseMessagesSoon();
    });
}
} // namespace

class ExportFormsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SelectTextLanguage("en");
        CloseMessagesSoon();
    }

    void formatPresetsAndEnabling()
    {
        TExportParameter p;
        TExportDataSettingsForm form(p, false);
        form.FormatBox()->setCurrentIndex(TExportParameter::efFormattedText);
        emit form.FormatBox()->activated(TExportParameter::efFormattedText);
        QCOMPARE(form.DelimiterBox()->currentIndex(), 0); // space
        QCOMPARE(form.WidthBox()->currentIndex(), 1);     // computed optimal width
        QCOMPARE(form.ExtensionEdit()->text(), QStringLiteral("prn"));
        QVERIFY(!form.DelimiterBox()->isEnabled());
        form.FormatBox()->setCurrentIndex(TExportParameter::efUserDefined);
        emit form.FormatBox()->activated(TExportParameter::efUserDefined);
        QVERIFY(form.DelimiterBox()->isEnabled());
        QVERIFY(form.TryAccept());
        QCOMPARE(p.FormatSelection, int(TExportParameter::efUserDefined));
        QCOMPARE(p.Delimiter, ' ');
        QCOMPARE(p.ColWidthSelection, int(TExportParameter::ewOptimal));
        QCOMPARE(p.DefaultFileExtension, std::string("prn"));
    }

    void okChecksInOrder()
    {
        TExportParameter p;
        p.FormatSelection = TExportParameter::efUserDefined;
        TExportDataSettingsForm form(p, false);
        form.DelimiterBox()->setCurrentIndex(3);
        form.DelimiterEdit()->clear();
        gMessages = 0;
        QVERIFY(!form.TryAccept()); // text 59
        form.DelimiterEdit()->setText("|");
        form.WidthBox()->setCurrentIndex(2);
        form.WidthEdit()->setText("41");
        QVERIFY(!form.TryAccept()); // text 62
        QTRY_COMPARE(gMessages, 2);
        form.WidthEdit()->setText("12");
        QVERIFY(form.TryAccept());
        QCOMPARE(p.Delimiter, '|');
        QCOMPARE(p.ColWidth, 12);
    }

    void settingsGoThroughTheConfiguration()
    {
        TExportParameter p;
        p.ApplyFormatPreset(TExportParameter::efCsv, ';');
        p.FilePath = "/tmp/out \"x\"";
        TIniList ini;
        SaveExportSettings(p, ini);
        TExportParameter q = TExportParameter::MissingKeyDefaults();
        LoadExportSettings(q, ini);
        QCOMPARE(q.SaveSettings(), p.SaveSettings());
        TIniList empty;
        TExportParameter r;
        LoadExportSettings(r, empty);
        // Nothing stored: the first format's preset, so "Text (separated by
        // tabs)" shows and writes tabs; other keys take their defaults.
        QCOMPARE(r.FormatSelection, int(TExportParameter::efTabText));
        QCOMPARE(r.Delimiter, '\t');
        QCOMPARE(r.ColWidth, 10);
        TExportDataSettingsForm form(r, false);
        QCOMPARE(form.DelimiterBox()->currentIndex(), 1);
        QVERIFY(form.TryAccept());
        QCOMPARE(r.Delimiter, '\t');
    }
};

QTEST_MAIN(ExportFormsTest)
#include "exportforms_test.moc"
