#include "platform/display_modes_qt.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace {

using kestrune::platform::DisplayModeText;
using kestrune::platform::ListScreenModes;

TEST(DisplayModes, AModeReadsWidthHeightDepthAndRefresh) {
  EXPECT_EQ(DisplayModeText(1920, 1080, 24, 60), "1920x1080x24@60");
}

// Every screen is listed in the desktop's order, and its list holds at least the mode it is in now,
// each mode once.
TEST(DisplayModes, EveryScreenOffersAtLeastItsCurrentMode) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  const auto listed = ListScreenModes();
  ASSERT_EQ(listed.size(), static_cast<std::size_t>(screens.size()));
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const QScreen& screen = *screens[static_cast<qsizetype>(i)];
    EXPECT_EQ(listed[i].name, screen.name().isEmpty() ? screen.model() : screen.name());
    ASSERT_FALSE(listed[i].modes.isEmpty());
    const QSize size = screen.size() * screen.devicePixelRatio();
    const QString current = QStringLiteral("%1x%2x").arg(size.width()).arg(size.height());
    EXPECT_TRUE(listed[i].modes.join(' ').contains(current)) << listed[i].modes.join(' ').toStdString();
    QStringList once = listed[i].modes;
    EXPECT_EQ(once.removeDuplicates(), 0);
  }
}

}  // namespace
