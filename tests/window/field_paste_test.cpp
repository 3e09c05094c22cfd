// A paste cut at the user's five-character limit never splits a character.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "support/row_name.h"
#include "window/design.h"
#include "window_fixture.h"

namespace aspect::window {
namespace {

struct PasteRow {
    const char* name;
    const char* typed;
    const char16_t* pasted;
    const char16_t* expected;
};

const PasteRow kPastes[] = {
    {"PairAcrossTheLimit", "", u"1234\U0001F600", u"1234"},
    {"PairAcrossTheLimitAfterText", "12", u"34\U0001F600", u"1234"},
    {"CombiningMarkAcrossTheLimit", "", u"1234e\u0301", u"1234"},
    {"PairThatFits", "123", u"\U0001F600", u"123\U0001F600"},
};

class Paste : public testing::TestWithParam<PasteRow> {};

TEST_P(Paste, KeepsWholeCharacters) {
    const PasteRow& row = GetParam();
    testing_support::MemoryRegistry store;
    RealWindow win(store);
    QLineEdit* w = win.Field(Control::txtW);
    win.Type(Control::txtW, QString::fromLatin1(row.typed));
    QGuiApplication::clipboard()->setText(QString::fromUtf16(row.pasted));
    QTest::keyClick(w, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(w->text(), QString::fromUtf16(row.expected));
}

INSTANTIATE_TEST_SUITE_P(Clipboard, Paste, testing::ValuesIn(kPastes), testing_support::RowName());

}  // namespace
}  // namespace aspect::window
