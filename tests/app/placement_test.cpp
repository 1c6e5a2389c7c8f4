#include <gtest/gtest.h>

#include <ostream>

#include "app/closing_click_filter.h"
#include "app/popover_window.h"
#include "app/popup_placement.h"
#include "desktop/desktop_platform.h"

namespace ovantic {
namespace {

const QSize kPanel(320, 380);
const QRect kScreen(0, 0, 1280, 800);

struct PlacementCase {
  const char* name;
  QRect icon;
  QPoint cursor;
  std::optional<QRect> area;
  QPoint expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) {
  *os << c.name;
}

class PopupPlacement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PopupPlacement, LandsWhereExpected) {
  const auto& c = GetParam();
  EXPECT_EQ(popupPosition(kPanel, PopupAnchor{c.icon, c.cursor, c.area}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PopupPlacement,
    ::testing::Values(
        // Centred under an icon in the middle of a top panel.
        PlacementCase{"below a top icon", QRect(600, 0, 24, 24), {}, kScreen, {451, 24}},
        // The right end of the tray: pushed left to stay on screen, still below the icon.
        PlacementCase{"clamped at the right edge", QRect(1257, 1, 22, 30), {}, kScreen, {960, 31}},
        PlacementCase{"clamped at the left edge", QRect(2, 2, 20, 20), {}, kScreen, {0, 22}},
        // A bottom tray leaves no room below: the panel sits on top of the icon.
        PlacementCase{"above a bottom icon", QRect(1250, 776, 24, 24), {}, kScreen, {960, 396}},
        // No geometry from the tray (status-notifier hosts, not yet embedded): the cursor is
        // the anchor, and the result is still clamped.
        PlacementCase{
            "cursor when the icon is unknown", QRect(), QPoint(700, 10), kScreen, {540, 11}},
        PlacementCase{
            "cursor near the bottom right", QRect(), QPoint(1279, 799), kScreen, {960, 419}},
        // A second screen to the right, with a negative top: offsets are honoured.
        PlacementCase{"on a second screen",
                      QRect(2500, -100, 24, 24),
                      {},
                      QRect(1280, -200, 1920, 1080),
                      {2351, -76}},
        // Neither side has room for the whole panel: the side with more room, then clamped.
        PlacementCase{"short screen, icon high",
                      QRect(100, 100, 20, 20),
                      {},
                      QRect(0, 0, 1024, 450),
                      {0, 70}},
        // Where no screen is known for the point (Wayland), nothing can be clamped; the panel
        // still goes under the anchor rather than nowhere.
        PlacementCase{"no screen known", QRect(600, 0, 24, 24), {}, std::nullopt, {451, 24}},
        PlacementCase{"empty screen", QRect(), QPoint(5, 5), QRect(), {-155, 6}}));

TEST(PopupPlacementLimits, APanelTallerThanTheScreenKeepsItsTopVisible) {
  const QRect small(0, 0, 300, 200);
  EXPECT_EQ(popupPosition(kPanel, PopupAnchor{QRect(150, 0, 10, 10), {}, small}), QPoint(0, 0));
}

TEST(PopupPlacementLimits, EveryPlacementOnAKnownScreenLiesWhollyOnIt) {
  for (int x = -50; x <= 1330; x += 37) {
    for (int y = -50; y <= 850; y += 29) {
      for (const QRect icon : {QRect(x, y, 22, 22), QRect()}) {
        const QPoint at = popupPosition(kPanel, PopupAnchor{icon, QPoint(x, y), kScreen});
        ASSERT_TRUE(kScreen.contains(QRect(at, kPanel))) << x << "," << y;
      }
    }
  }
}

TEST(PopupPlacementLimits, OnlyAPointerOnNoTrayLetsThePanelCoverIt) {
  // Clicked on a status-notifier icon in a top bar: the room stops at the bar.
  EXPECT_EQ(popupRoom(PopupAnchor{{}, QPoint(700, 10), kScreen}), 789);
  // Asked for by a second launch with the pointer mid-screen: the whole screen, no scroll bar.
  EXPECT_EQ(popupRoom(PopupAnchor{{}, QPoint(640, 400), kScreen}), 800);
}

TEST(PopupPlacementLimits, AClickOnAWaylandBarHangsThePanelAgainstThatBar) {
  // waybar's 30-pixel top bar, Plasma's 44-pixel bottom one, each clicked on its icon's centre;
  // a click at the very edge still keeps the panel off the bar's row of pixels.
  EXPECT_EQ(popupPosition(kPanel, anchorAtBar(QPoint(1200, 15), kScreen)), QPoint(960, 30));
  EXPECT_EQ(popupPosition(kPanel, anchorAtBar(QPoint(600, 777), kScreen)), QPoint(440, 376));
  EXPECT_EQ(popupPosition(kPanel, anchorAtBar(QPoint(600, 0), kScreen)), QPoint(440, 1));
}

TEST(DesktopPlatform, TheQtPluginNameTellsTheWindowingSystem) {
  EXPECT_EQ(DesktopPlatform::windowingSystemOf(u"wayland"), WindowingSystem::wayland);
  EXPECT_EQ(DesktopPlatform::windowingSystemOf(u"wayland-egl"), WindowingSystem::wayland);
  EXPECT_EQ(DesktopPlatform::windowingSystemOf(u"xcb"), WindowingSystem::x11);
  for (const auto* name : {u"offscreen", u"cocoa", u"windows", u"minimal", u""}) {
    EXPECT_EQ(DesktopPlatform::windowingSystemOf(name), WindowingSystem::other);
  }
}

TEST(ClosingClick, AnActivationWithNoFocusLossBeforeItIsAlwaysAClick) {
  ClosingClickFilter filter;
  EXPECT_TRUE(filter.acceptActivation(0));
  EXPECT_TRUE(filter.acceptActivation(10));
}

TEST(ClosingClick, TheClickThatTookTheFocusIsSwallowedOnce) {
  ClosingClickFilter filter;
  filter.panelLostFocus(1000);
  EXPECT_FALSE(filter.acceptActivation(1000 + ClosingClickFilter::kSameClickMs));
  // The next click opens the panel again: no dead clicks.
  EXPECT_TRUE(filter.acceptActivation(1000 + ClosingClickFilter::kSameClickMs + 1));
}

TEST(ClosingClick, ALaterClickAfterAFocusLossOpens) {
  ClosingClickFilter filter;
  filter.panelLostFocus(1000);
  EXPECT_TRUE(filter.acceptActivation(1000 + ClosingClickFilter::kSameClickMs + 1));
}

TEST(ClosingClick, AClockThatWentBackIsNotTakenForTheSameClick) {
  ClosingClickFilter filter;
  filter.panelLostFocus(1000);
  EXPECT_TRUE(filter.acceptActivation(999));
}

}  // namespace
}  // namespace ovantic
