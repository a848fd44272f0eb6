// The tray icon on its own: its pictures and tip, the flashing alert, what counts as a
// click, and its menu.
#include "app/CSTI.h"
#include "support/ModalAnswerer.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QImage image(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
QImage image(const char* resource)
{
    return QImage(resource).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Puts the desktop's answer back, also when a test fails half-way.
struct TrayAvailability {
    explicit TrayAvailability(bool available) { CSTI::SetTrayAvailableForTesting(available); }
    ~TrayAvailability() { CSTI::SetTrayAvailableForTesting(std::nullopt); }
};

// The picture the icon shows now.
QImage shown(CSTI& tray)
{
    return image(tray.systemTrayIcon().icon());
}

TEST(CSTI, StartsHiddenWithItsOwnPictureAndTheProgramsName)
{
    const QImage plain = image(":/icons/tray-32.png");
    ASSERT_FALSE(plain.isNull()) << "the tray pictures must be built in";
    ASSERT_NE(plain, image(":/icons/nelvox-32.png"));
    ASSERT_NE(plain, image(":/icons/tray-alert-32.png"));

    CSTI tray;
    EXPECT_EQ(shown(tray), plain);
    EXPECT_EQ(tray.systemTrayIcon()
                  .icon()
                  .pixmap(QSize(16, 16))
                  .toImage()
                  .convertToFormat(QImage::Format_ARGB32_Premultiplied),
        image(":/icons/tray-16.png"))
        << "the small picture for small trays";
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0"));
    EXPECT_FALSE(tray.IsTrayAlertOn());
    EXPECT_FALSE(tray.systemTrayIcon().isVisible()) << "the icon waits for ShowTrayIcon";
    tray.ShowTrayIcon();
    EXPECT_TRUE(tray.systemTrayIcon().isVisible());
}

TEST(CSTI, TheAlertFlashesUntilItIsSwitchedOff)
{
    const QImage plain = image(":/icons/tray-32.png");
    const QImage alert = image(":/icons/tray-alert-32.png");
    CSTI tray;
    tray.ShowTrayIcon();
    QSignalSpy toggles(&tray, &CSTI::alertToggled);

    tray.ToggleTrayAlert();
    EXPECT_TRUE(tray.IsTrayAlertOn());
    EXPECT_EQ(toggles.count(), 1);
    EXPECT_EQ(toggles.last().value(0).toBool(), true);
    EXPECT_TRUE(tray.systemTrayIcon().toolTip().contains("changed")) << tray.systemTrayIcon().toolTip().toStdString();
    EXPECT_EQ(shown(tray), alert) << "the alert shows at once";
    // Then the pictures take turns, for as long as the alert is on.
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == alert; }, 2000));
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000));

    // Switched off, whichever picture was up, the plain one stays.
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == alert; }, 2000));
    tray.ToggleTrayAlert();
    EXPECT_FALSE(tray.IsTrayAlertOn());
    EXPECT_EQ(toggles.last().value(0).toBool(), false);
    EXPECT_EQ(shown(tray), plain);
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0"));
    EXPECT_FALSE(WaitFor([&] { return shown(tray) != plain; }, 3 * CSTI::kAlertFlashMs))
        << "no flashing once the alert is off";
}

TEST(CSTI, OnlyASingleLeftClickIsAClick)
{
    CSTI tray;
    QSignalSpy clicks(&tray, &CSTI::clicked);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Context);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::MiddleClick);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(clicks.count(), 0);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.count(), 1);
    // A double click comes as a click, then the double click itself, which adds nothing.
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(clicks.count(), 2);
}

TEST(CSTI, ItsMenuOffersAboutAndQuit)
{
    CSTI tray;
    EXPECT_EQ(tray.systemTrayIcon().contextMenu(), &tray.contextMenu());
    const QList<QAction*> actions = tray.contextMenu().actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&About Nelvox..."));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&Quit Nelvox"));

    QSignalSpy about(&tray, &CSTI::aboutRequested);
    QSignalSpy quit(&tray, &CSTI::quitRequested);
    actions[0]->trigger();
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(quit.count(), 0);
    actions[1]->trigger();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(about.count(), 1);
}

TEST(CSTI, ATrayThatComesUpLaterIsNoticed)
{
    TrayAvailability noTrayYet(false);
    CSTI tray;
    QSignalSpy appeared(&tray, &CSTI::trayAppeared);
    QSignalSpy clicks(&tray, &CSTI::clicked);
    tray.ShowTrayIcon();
    tray.ToggleTrayAlert();
    tray.SetProgressText(QStringLiteral("checking 3 of 40"));
    const QSystemTrayIcon* before = &tray.systemTrayIcon();
    EXPECT_EQ(appeared.count(), 0);
    CSTI::SetTrayAvailableForTesting(true);
    // The first look comes a second after start-up.
    EXPECT_TRUE(WaitFor([&] { return appeared.count() == 1; }, 5000));

    // A new icon, so that the toolkit registers it with the tray that is there now, with
    // everything the old one had.
    EXPECT_NE(&tray.systemTrayIcon(), before) << "the icon was not made anew";
    EXPECT_TRUE(tray.systemTrayIcon().isVisible());
    EXPECT_EQ(tray.systemTrayIcon().toolTip(), QStringLiteral("Nelvox v1.0 - checking 3 of 40"));
    EXPECT_EQ(tray.systemTrayIcon().contextMenu(), &tray.contextMenu());
    EXPECT_TRUE(tray.IsTrayAlertOn());
    const QImage alert = image(":/icons/tray-alert-32.png");
    const QImage plain = image(":/icons/tray-32.png");
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == alert; }, 2000)) << "the new icon does not flash";
    EXPECT_TRUE(WaitFor([&] { return shown(tray) == plain; }, 2000)) << "the new icon does not flash";
    emit tray.systemTrayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks.count(), 1) << "clicks on the new icon are lost";
    // Found once, the tray is not looked for again.
    EXPECT_FALSE(WaitFor([&] { return appeared.count() > 1; }, 2500));
}

} // namespace
