#include "config/restrictions.h"
#include "config/restrictions_window.h"
#include "support/station_fixture.h"
#include "text_files.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vorlane {
namespace {

const QString kSystemKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
const QString kWinOldAppKey
    = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\WinOldApp");
const QString kZoneKey
    = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3");

class RestrictionsTest : public testing::Test {
protected:
    std::unique_ptr<RestrictionsWindow> open(RestrictionsWindow::Kind kind)
    {
        auto window = std::make_unique<RestrictionsWindow>(*fixture.context, kind);
        window->activate();
        return window;
    }
    static QCheckBox *box(RestrictionsWindow &window, const char *name)
    {
        return window.findChild<QCheckBox *>(QString::fromLatin1(name));
    }
    static void apply(RestrictionsWindow &window)
    {
        window.findChild<QPushButton *>(QStringLiteral("Command2"))->click();
    }
    QVariant value(const QString &key, const char *name) const
    {
        return fixture.registry->regqueryvalue(RegRoot::CurrentUser, key, QString::fromLatin1(name));
    }
    QStringList desktopCalls() const { return fixture.system->actions().filter(QStringLiteral("gsettings")); }

    test::StationFixture fixture;
};

TEST_F(RestrictionsTest, AFreshStoreShowsNothingTickedAndApplyingAsIsSucceeds)
{
    auto window = open(RestrictionsWindow::Kind::System);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorlane - System Security Options"));
    const QList<QCheckBox *> boxes = window->findChildren<QCheckBox *>();
    ASSERT_EQ(boxes.size(), 11);
    for (QCheckBox *b : boxes)
        EXPECT_FALSE(b->isChecked()) << b->objectName().toStdString();
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0x30, 0x50, 0x99));
    EXPECT_EQ(box(*window, "panelprinter")->toolTip(),
        QStringLiteral("Remove the Contrl Panel and Printers from Settings and from My Computer"));
    EXPECT_TRUE(box(*window, "taskmanager")->toolTip().contains(QStringLiteral("Stored only")));
    EXPECT_TRUE(box(*window, "prompt")->toolTip().isEmpty());

    apply(*window);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(
        fixture.prompter.last().text, QStringLiteral("Changes have sucessfully been made to your computer"));
    EXPECT_EQ(fixture.prompter.last().title, QStringLiteral("Vorlane Information Wizard"));
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("Label1"))->text(),
        QStringLiteral("Some changes may require restarting windows to take effect."));
}

TEST_F(RestrictionsTest, TickedPoliciesComeBackAndUntickingDeletesOnlyTheirValue)
{
    {
        auto window = open(RestrictionsWindow::Kind::System);
        box(*window, "appereance")->setChecked(true);
        box(*window, "taskmanager")->setChecked(true);
        box(*window, "prompt")->setChecked(true);
        apply(*window);
    }
    EXPECT_EQ(value(kSystemKey, "NoDispAppearancePage"), QVariant(1u));
    auto window = open(RestrictionsWindow::Kind::System);
    EXPECT_TRUE(box(*window, "appereance")->isChecked());
    EXPECT_TRUE(box(*window, "taskmanager")->isChecked());
    EXPECT_FALSE(box(*window, "shutdown")->isChecked());

    box(*window, "taskmanager")->setChecked(false);
    apply(*window);
    EXPECT_FALSE(value(kSystemKey, "DisableTaskMgr").isValid());
    EXPECT_EQ(value(kWinOldAppKey, "Disabled"), QVariant(1u));
    EXPECT_EQ(value(kSystemKey, "NoDispAppearancePage"), QVariant(1u));
}

TEST_F(RestrictionsTest, DownloadingIsWrittenThreeOrZeroAndNeverDeleted)
{
    {
        auto window = open(RestrictionsWindow::Kind::Explorer);
        EXPECT_EQ(window->objectName(), QStringLiteral("remover2"));
        box(*window, "ddownloading")->setChecked(true);
        apply(*window);
    }
    EXPECT_EQ(value(kZoneKey, "1803"), QVariant(3u));
    auto window = open(RestrictionsWindow::Kind::Explorer);
    ASSERT_TRUE(box(*window, "ddownloading")->isChecked());
    box(*window, "ddownloading")->setChecked(false);
    apply(*window);
    EXPECT_EQ(value(kZoneKey, "1803"), QVariant(0u));
    EXPECT_FALSE(box(*open(RestrictionsWindow::Kind::Explorer), "ddownloading")->isChecked());
}

TEST_F(RestrictionsTest, GnomeSettingsFollowTheTicksAndOtherDesktopsGetNone)
{
    const auto table = systemRestrictions();
    QList<bool> ticked(qsizetype(table.size()), false);
    ticked[0] = true; // "Remove Shut Down"
    EXPECT_TRUE(applyRestrictions(*fixture.registry, *fixture.system, table, ticked).isEmpty());
    EXPECT_TRUE(desktopCalls().contains(
        QStringLiteral("gsettings set org.gnome.desktop.lockdown disable-log-out true")));
    EXPECT_TRUE(desktopCalls().contains(QStringLiteral(
        "gsettings set org.gnome.settings-daemon.plugins.power power-button-action 'nothing'")));
    EXPECT_TRUE(desktopCalls().contains(
        QStringLiteral("gsettings reset org.gnome.desktop.lockdown disable-command-line")));

    ticked[0] = false;
    applyRestrictions(*fixture.registry, *fixture.system, table, ticked);
    EXPECT_EQ(desktopCalls().filter(QStringLiteral("disable-log-out")).last(),
        QStringLiteral("gsettings reset org.gnome.desktop.lockdown disable-log-out"));

    // At start the stored policies are carried to the desktop again.
    fixture.registry->regcreatekey(RegRoot::CurrentUser, kWinOldAppKey);
    fixture.registry->regsetvalue(
        RegRoot::CurrentUser, kWinOldAppKey, QStringLiteral("Disabled"), 1u, REG_DWORD);
    const qsizetype before = desktopCalls().size();
    applyStoredRestrictions(*fixture.registry, *fixture.system);
    EXPECT_TRUE(desktopCalls().mid(before).contains(
        QStringLiteral("gsettings set org.gnome.desktop.lockdown disable-command-line true")));

    SystemSettings other = SystemSettings::simulated(
        QStringLiteral("PC"), fixture.folders.systemFolder(), fixture.folders.programFolder());
    other.desktop = QStringLiteral("XFCE");
    System xfce(other);
    ticked[0] = true;
    EXPECT_TRUE(applyRestrictions(*fixture.registry, xfce, table, ticked).isEmpty());
    applyStoredRestrictions(*fixture.registry, xfce);
    EXPECT_TRUE(xfce.actions().filter(QStringLiteral("gsettings")).isEmpty());
    EXPECT_EQ(
        value(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"), "NoClose"),
        QVariant(1u));
}

/// A desktop whose settings cannot be changed.
class RefusingSystem : public System {
public:
    using System::System;
    bool setDesktopSetting(const QString &, const QString &, const QString &) override { return false; }
};

TEST_F(RestrictionsTest, FailuresAreNamedInsteadOfReportedAsSuccess)
{
    RefusingSystem refusing(SystemSettings::simulated(
        QStringLiteral("PC"), fixture.folders.systemFolder(), fixture.folders.programFolder()));
    EXPECT_EQ(
        applyRestrictions(*fixture.registry, refusing, explorerRestrictions(), { false, false, true, false }),
        QStringList { QStringLiteral("org.gnome.Epiphany.lockdown disable-bookmark-editing") });
    EXPECT_EQ(value(QStringLiteral("Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions"),
                  "NoFavorites"),
        QVariant(1u));

    // A store that does not load is never overwritten: every write into it fails.
    ASSERT_TRUE(test::writeBytes(fixture.registry->storeFile(RegRoot::CurrentUser), "not a registry file"));
    Registry broken(fixture.folders.registryFolder());
    StationContext context(broken, *fixture.system, fixture.prompter, fixture.clock);
    RestrictionsWindow window(context, RestrictionsWindow::Kind::System);
    box(window, "shutdown")->setChecked(true);
    apply(window);
    ASSERT_EQ(fixture.prompter.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompter.last().icon, MessageIcon::Exclamation);
    EXPECT_TRUE(fixture.prompter.last().text.startsWith(
        QStringLiteral("These settings could not be changed:\nNoClose\n")))
        << fixture.prompter.last().text.toStdString();
}

} // namespace
} // namespace vorlane
