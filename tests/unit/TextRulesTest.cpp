// Classification of INI lines: the bracket rules that the import relies on.
#include "settings/TextRules.h"

#include <gtest/gtest.h>

using textrules::ClassifyIniLine;
using textrules::IniLineKind;

TEST(TextRules, SectionLinesNeedBracketsAtBothEndsAndNoOtherClosingBracket) {
    EXPECT_EQ(IniLineKind::Section, ClassifyIniLine("[Screen]\n").kind);
    EXPECT_EQ("Screen", ClassifyIniLine(" \t[  Screen \t]\r\n").section);
    EXPECT_EQ("", ClassifyIniLine("[]").section);
    EXPECT_EQ(IniLineKind::Section, ClassifyIniLine("[]").kind);
    EXPECT_EQ("a[b", ClassifyIniLine("[a[b]").section);

    EXPECT_EQ(IniLineKind::Ignored, ClassifyIniLine("[a]]").kind);
    EXPECT_EQ(IniLineKind::Ignored, ClassifyIniLine("]a[").kind);
    EXPECT_EQ(IniLineKind::Ignored, ClassifyIniLine("[open").kind);
    EXPECT_EQ(IniLineKind::Entry, ClassifyIniLine("[a]=1").kind);
    EXPECT_EQ(IniLineKind::Entry, ClassifyIniLine("]x[=1").kind);
    // A section line with "=" inside the brackets is still a section.
    EXPECT_EQ("a=b", ClassifyIniLine("[a=b]").section);
}

TEST(TextRules, EntriesSplitAtTheFirstEqualsSign) {
    auto e = ClassifyIniLine("  key = value = more  \n");
    EXPECT_EQ(IniLineKind::Entry, e.kind);
    EXPECT_EQ("key ", e.key);
    EXPECT_EQ(" value = more", e.value);
    e = ClassifyIniLine("=");
    EXPECT_EQ(IniLineKind::Entry, e.kind);
    EXPECT_EQ("", e.key);
    EXPECT_EQ("", e.value);
    EXPECT_EQ(IniLineKind::Ignored, ClassifyIniLine("   \r\n").kind);
}
