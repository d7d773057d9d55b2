#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <vector>

#include "ui/CDecimalSpinCtrl.h"
#include "ui/CListSpinCtrl.h"
#include "ui/SpinStepping.h"

namespace zemra {
namespace {

TEST(SpinStepping, stepZeroStandsForAThousandthOfTheSpanRoundedUpToAPowerOfTen) {
  struct Case {
    double minimum, maximum, step, expected;
  };
  const Case cases[] = {
      {0, 10, 0.0, 0.01},     {0, 1000, 0.0, 1.0}, {0, 1, 0.0, 0.001},
      {0.1, 1.0, 0.0, 0.001}, {0, 1500, 0.0, 10},  {800, 1200, 1, 1},
      {0, 10, 0.1, 0.1},      {5, 5, 0.0, 1.0},    {10, 0, 0.0, 1.0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(StepForRange(c.minimum, c.maximum, c.step), c.expected)
        << c.minimum << ".." << c.maximum << " step " << c.step;
}

TEST(SpinStepping, decimalStepsClampAtTheLimitsAndNeverWrap) {
  struct Case {
    double shown;
    int delta;
    double step, minimum, maximum;
    const char* expected;  // as shown with 3 decimals
  };
  const Case cases[] = {
      {0.999, 1, 0.001, 0.1, 1.0, "1.000"}, {1.000, 1, 0.001, 0.1, 1.0, "1.000"},
      {0.05, 1, 0.001, 0.1, 1.0, "0.100"},  {0.1, -1, 0.001, 0.1, 1.0, "0.100"},
      {0.5, 20, 0.001, 0.1, 1.0, "0.520"},  {0.95, -5, 0.001, 0.1, 1.0, "0.945"},
      {1.2, -1, 0.001, 0.8, 1.25, "1.199"}, {1199, 20, 1, 800, 1200, "1200.000"},
      {-0.1, 1, 0.1, -10, 10, "0.000"},     {7.5, -100, 0.1, 0, 10, "0.000"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatFixed(StepDecimal(c.shown, c.delta, c.step, c.minimum, c.maximum), 3),
              c.expected)
        << c.shown << " by " << c.delta;
}

TEST(SpinStepping, formatsAsPrintfWouldWithThePointWhateverTheLocale) {
  EXPECT_EQ(FormatFixed(0.95, 3), "0.950");
  EXPECT_EQ(FormatFixed(1000, 0), "1000");
  EXPECT_EQ(FormatFixed(2.5, 1), "2.5");
  EXPECT_EQ(FormatFixed(2.25, -1), "2");
  EXPECT_EQ(FormatFixed(-1.5, 1), "-1.5");
  EXPECT_EQ(FormatFixed(-0.00001, 3), "0.000");
  EXPECT_EQ(FormatShortest(0.5), "0.5");
  EXPECT_EQ(FormatShortest(20), "20");
  EXPECT_EQ(FormatShortest(0.05), "0.05");
  EXPECT_EQ(FormatShortest(512), "512");
  EXPECT_EQ(FormatShortest(1234567), "1.23457e+06");
}

TEST(SpinStepping, listStepsGoByValueFromAnyText) {
  const std::vector<double> items = {0.5, 1, 2, 5};
  struct Case {
    double shown;
    int delta;
    int expected;
  };
  const Case cases[] = {
      {1.5, 1, 2},  {1.5, -1, 1}, {1, 1, 2},  {1, -1, 0},   {5, 1, 3},   {100, 1, 3},
      {0.5, -1, 0}, {-3, -1, 0},  {-3, 1, 0}, {100, -1, 3}, {0.5, 1, 1}, {2, -5, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StepListIndex(items, c.shown, c.delta), c.expected) << c.shown << " by " << c.delta;
  const std::vector<double> one = {3};
  EXPECT_EQ(StepListIndex(one, 0, 1), 0);
  EXPECT_EQ(StepListIndex(one, 9, -1), 0);
}

TEST(SpinStepping, holdingAnArrowAcceleratesAtTheUsualThresholds) {
  const SpinAccels accels = Accelerations(5, 20);
  EXPECT_EQ(AccelIncrement(accels, 0.0), 1);
  EXPECT_EQ(AccelIncrement(accels, 1.9), 1);
  EXPECT_EQ(AccelIncrement(accels, 2.0), 5);
  EXPECT_EQ(AccelIncrement(accels, 4.9), 5);
  EXPECT_EQ(AccelIncrement(accels, 5.0), 20);
  EXPECT_EQ(AccelIncrement(accels, 60.0), 20);
}

// A spin control with its buddy, as the form pairs them.
template <class Spin>
struct SpinWithBuddy {
  QWidget parent;
  QLineEdit* buddy = new QLineEdit(&parent);
  Spin* spin = new Spin(&parent);
  SpinWithBuddy() { spin->SetBuddy(buddy); }
};

TEST(CDecimalSpinCtrl, valueIsTheBuddysTextAndArrowsClamp) {
  SpinWithBuddy<CDecimalSpinCtrl> w;
  EXPECT_EQ(w.spin->Minimum(), 0.0);
  EXPECT_EQ(w.spin->Maximum(), 100.0);
  EXPECT_EQ(w.spin->StepSize(), 1.0);
  EXPECT_EQ(w.spin->Decimals(), 0);

  w.spin->SetRange(0.1, 1.0, 0.001, 5, 20);
  w.spin->SetDecimals(3);
  w.spin->SetDecimals(-2);  // ignored
  EXPECT_EQ(w.spin->Decimals(), 3);
  w.spin->SetValue(0.999);
  EXPECT_EQ(w.buddy->text(), "0.999");
  w.spin->Step(1);
  EXPECT_EQ(w.buddy->text(), "1.000");
  w.spin->Step(1);
  EXPECT_EQ(w.buddy->text(), "1.000");

  w.buddy->setText("0.05");  // typed below the minimum
  w.spin->Step(1);
  EXPECT_EQ(w.buddy->text(), "0.100");

  w.buddy->setText(" 9.5e-1xyz");
  EXPECT_DOUBLE_EQ(w.spin->GetValue(), 0.95);
  w.buddy->setText("abc");  // no number: the minimum
  EXPECT_DOUBLE_EQ(w.spin->GetValue(), 0.1);

  w.spin->SetValue(5.0);  // SetValue applies no limit
  EXPECT_EQ(w.buddy->text(), "5.000");
}

TEST(CDecimalSpinCtrl, parentStillReceivesTheStepAfterTheControlHasStepped) {
  SpinWithBuddy<CDecimalSpinCtrl> w;
  w.spin->SetRange(800, 1200, 1, 5, 20);
  EXPECT_EQ(w.spin->Accelerations()[1].increment, 5);
  EXPECT_EQ(w.spin->Accelerations()[2].increment, 20);
  w.spin->SetValue(1000);
  QString shownWhenNotified;
  QObject::connect(w.spin, &SpinButton::deltaPos, [&] { shownWhenNotified = w.buddy->text(); });
  QSignalSpy spy(w.spin, &SpinButton::deltaPos);
  w.spin->Step(-5);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), -5);
  EXPECT_EQ(shownWhenNotified, "995");
}

TEST(CDecimalSpinCtrl, showsAndHidesWithItsBuddy) {
  SpinWithBuddy<CDecimalSpinCtrl> w;
  w.parent.show();
  w.spin->hide();
  EXPECT_FALSE(w.buddy->isVisible());
  w.spin->show();
  EXPECT_TRUE(w.buddy->isVisible());
}

TEST(CListSpinCtrl, stepsThroughItsTableByValue) {
  SpinWithBuddy<CListSpinCtrl> w;
  std::vector<double> items = {0.5, 1, 2, 5};
  w.spin->SetList(items, 7, false);  // out of range: index 0
  items[3] = 99;                     // the control keeps its own copy
  EXPECT_EQ(w.spin->GetIndex(), 0);
  EXPECT_EQ(w.buddy->text(), "0.5");
  EXPECT_TRUE(w.buddy->isReadOnly());

  w.buddy->setText("1.5");
  w.spin->Step(1);
  EXPECT_EQ(w.buddy->text(), "2");
  EXPECT_EQ(w.spin->GetIndex(), 2);
  w.buddy->setText("1.5");
  w.spin->Step(-1);
  EXPECT_EQ(w.buddy->text(), "1");

  w.spin->SetIndex(3);
  w.spin->Step(1);
  EXPECT_EQ(w.buddy->text(), "5");
  w.spin->SetIndex(0);
  w.spin->Step(-1);
  EXPECT_EQ(w.buddy->text(), "0.5");

  w.spin->SetIndex(4);  // outside the table: nothing changes
  w.spin->SetIndex(-1);
  EXPECT_EQ(w.spin->GetIndex(), 0);

  items[3] = 5;
  w.spin->SetList(items, 1, true);
  EXPECT_FALSE(w.buddy->isReadOnly());
  w.buddy->setText("none");  // no number: steps from the item last shown
  w.spin->Step(1);
  EXPECT_EQ(w.buddy->text(), "2");
}

}  // namespace
}  // namespace zemra
