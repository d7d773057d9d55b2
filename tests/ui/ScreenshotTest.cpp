// An offscreen picture of the window as a user first sees it, written beside the tests
// (window.png) for a person to look at.
#include <gtest/gtest.h>

#include <QPixmap>

#include "WindowRig.h"

namespace zemra {
namespace {

TEST(Screenshot, theWindowFitsItsFormAndIsDrawn) {
  WindowRig rig;
  rig.Build();
  CQorvelControllerDlg& w = *rig.window;
  w.adjustSize();
  const QPixmap picture = w.grab();
  ASSERT_FALSE(picture.isNull());
  EXPECT_GE(picture.width(), 800);
  EXPECT_LE(picture.width(), 1400);
  EXPECT_LE(picture.height(), 900);
  // Nothing of the form is squeezed below the size its layout asks for.
  EXPECT_GE(w.size().width(), w.minimumSizeHint().width());
  EXPECT_TRUE(picture.save(QStringLiteral(ZEMRA_TEST_OUTPUT "/window.png")));
}

}  // namespace
}  // namespace zemra
