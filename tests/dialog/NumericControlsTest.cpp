// The copies field, its spin buttons and the address field, typed into and
// left as a user does.
#include "CIPAddressCtrl.h"
#include "CNumEdit.h"
#include "CNumSpinCtrl.h"
#include "Platform/PlatformMessageBox.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {
const char* const kNotANumber = "Characters must be a number.\n";
const char* const kOutOfRange = "Given value is out of range. Min=1.00 Max=1000.00\n";

// The copies pair as the dialog sets it up (range 1 to 1000, no decimals, verbose), with a
// second field to move the focus to, in an active window.
class NumericControls : public ::testing::Test {
protected:
    NumericControls() : edit(new CNumEdit(&window)), spin(new CNumSpinCtrl(&window)), other(new QLineEdit(&window)) {
        edit->setGeometry(10, 10, 80, 24);
        spin->setGeometry(70, 10, 16, 24);
        other->setGeometry(10, 50, 80, 24);
        spin->SetBuddy(edit);
        edit->SetVerbose(true);
        edit->SetDecimalPlaces(0);
        spin->SetRange(1.0, 1000.0);
        spin->SetDelta(1.0);
        spin->SetPos(1.0);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    // Replaces the field's text by typing (an empty text: deleting it).
    void type(const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void leave() { other->setFocus(); }

    QWidget window;
    CNumEdit* edit;
    CNumSpinCtrl* spin;
    QLineEdit* other;
    MessageBoxCapture boxes;
};
}  // namespace

TEST_F(NumericControls, TypingAndLeavingKeepsTheFieldANumberInRange) {
    struct Case {
        const char* typed;
        const char* shownBeforeLeaving;
        const char* shownAfterLeaving;
        double value;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"5x", "5", "5", 5, {kNotANumber}},          // the refused character puts the last value back
        {"5000", "5000", "1000", 1000, {kOutOfRange}}, // the range is checked on leaving, not while typing
        {"0", "0", "1", 1, {kOutOfRange}},
        {"", "", "1", 1, {kNotANumber}},
        {"-", "-", "-", 1, {}},                       // incomplete: kept, valued at the minimum
        {"1 2", "12", "12", 12, {}},                  // blanks are not inserted
        {"1.5", "1.5", "1.5", 1.5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        MessageBoxCapture capture;
        type(QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text().toStdString(), c.shownBeforeLeaving);
        leave();
        EXPECT_EQ(edit->text().toStdString(), c.shownAfterLeaving);
        EXPECT_EQ(edit->GetValue(), c.value);
        EXPECT_EQ(capture.texts(), c.messages);
        edit->setFocus();
    }
}

TEST_F(NumericControls, RefusedCharacterSelectsTheRestoredValue) {
    type("7");
    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(edit->text(), "7");
    EXPECT_EQ(edit->selectedText(), "7");
}

TEST_F(NumericControls, ChecksTextWithoutTheLocale) {
    const std::pair<const char*, int> cases[] = {
        {"12", CNumEdit::kValid},      {" 12  ", CNumEdit::kValid},       {"12abc", CNumEdit::kNotANumber},
        {"+", CNumEdit::kIncomplete},  {"-5", CNumEdit::kBelowMinimum},   {"1000.5", CNumEdit::kAboveMaximum},
        {"", CNumEdit::kNotANumber},   {"nan", CNumEdit::kNotANumber},    {"1,5", CNumEdit::kNotANumber},
        {"+7", CNumEdit::kValid},
    };
    edit->SetVerbose(false);
    for (const auto& [text, status] : cases) EXPECT_EQ(edit->IsValidText(text), status) << text;
    EXPECT_FALSE(edit->SetValue(0.0));
    EXPECT_EQ(edit->text(), "1");
}

TEST_F(NumericControls, SpinStepsStopAtTheLimits) {
    struct Case {
        const char* start;
        const char* button;   // "up", "down", or a key in the field
        Qt::Key key;
        const char* shown;
    };
    const Case cases[] = {
        {"1", "down", Qt::Key_unknown, "1"},   {"1000", "up", Qt::Key_unknown, "1000"},
        {"5", "up", Qt::Key_unknown, "6"},     {"5", "down", Qt::Key_unknown, "4"},
        {"5", nullptr, Qt::Key_Up, "6"},       {"5", nullptr, Qt::Key_Down, "4"},
        {"x", "up", Qt::Key_unknown, "2"},     // from a text that is no value, the step starts at the minimum
    };
    for (const Case& c : cases) {
        edit->setText(c.start);
        if (c.button) QTest::mouseClick(spin->findChild<QToolButton*>(c.button), Qt::LeftButton);
        else QTest::keyClick(edit, c.key);
        EXPECT_EQ(edit->text().toStdString(), c.shown) << c.start << " " << (c.button ? c.button : "key");
    }
}

TEST_F(NumericControls, SpinSitsAtTheBuddysRightEdge) {
    // The buddy was 80 wide; the buttons take the last 16 pixels of it.
    EXPECT_EQ(edit->geometry(), QRect(10, 10, 64, 24));
    EXPECT_EQ(spin->geometry(), QRect(74, 10, 16, 24));
}

TEST(AddressField, TypingMovesOnAndCapsEachNumber) {
    struct Case {
        const char* typed;
        uint8_t expected[4];
        int filled;
    };
    const Case cases[] = {
        {"10.0.0.7", {10, 0, 0, 7}, 4},
        {"192168001002", {192, 168, 1, 2}, 4},   // three digits move on by themselves
        {"300.1", {255, 1, 0, 0}, 2},
        {"1..2", {1, 2, 0, 0}, 2},               // a "." in an empty field stays there
    };
    for (const Case& c : cases) {
        QWidget window;
        auto* address = new CIPAddressCtrl(&window);
        address->setGeometry(0, 0, 200, 24);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        address->Field(0)->setFocus();
        // Each key goes where the focus is, as the keyboard's would.
        for (const char* p = c.typed; *p; ++p) QTest::keyClick(QApplication::focusWidget(), *p);
        SCOPED_TRACE(c.typed);
        uint8_t got[4] = {};
        EXPECT_EQ(address->GetAddress(got[0], got[1], got[2], got[3]), c.filled);
        EXPECT_EQ(std::vector<uint8_t>(got, got + 4), std::vector<uint8_t>(c.expected, c.expected + 4));
    }
}

TEST(AddressField, ArrowsAndBackspaceCrossBetweenNumbers) {
    QWidget window;
    auto* address = new CIPAddressCtrl(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    address->SetAddress(1, 2, 3, 4);
    address->Field(1)->setFocus();
    address->Field(1)->setCursorPosition(0);
    QTest::keyClick(address->Field(1), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), address->Field(0));
    QTest::keyClick(address->Field(0), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), address->Field(1));
    address->Field(1)->setCursorPosition(0);
    QTest::keyClick(address->Field(1), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), address->Field(0));
    EXPECT_EQ(address->Field(1)->text(), "2");
}
