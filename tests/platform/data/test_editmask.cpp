#include <data/EditMask.h>

#include <gtest/gtest.h>

using namespace ngc;

TEST(EditMask, DigitMasksAcceptOnlyDigits)
{
    const EditMask two("99;0; ");
    EXPECT_EQ(two.maxLength(), 2);
    EXPECT_FALSE(two.saveLiterals());
    EXPECT_EQ(two.blank(), u' ');
    EXPECT_TRUE(two.accepts(0, u'7'));
    EXPECT_FALSE(two.accepts(0, u'a'));
    EXPECT_FALSE(two.accepts(1, u'-'));
    EXPECT_FALSE(two.accepts(2, u'1')) << "beyond the end";
    EXPECT_TRUE(two.isComplete("")) << "9 positions are optional";
    EXPECT_EQ(two.format("5"), "5 ");
    EXPECT_EQ(two.value("5 "), "5");
    EXPECT_EQ(two.value("  "), "");
    EXPECT_EQ(two.qtInputMask(), "00; ");

    const EditMask five("99999;0; ");
    EXPECT_EQ(five.maxLength(), 5);
    EXPECT_EQ(five.format("123"), "123  ");
    EXPECT_EQ(five.value("12 3 "), "123");
}

TEST(EditMask, FormatMaskTextLaysRawTextIntoLiterals)
{
    const struct {
        const char *mask;
        const char *raw;
        const char *shown;
    } cases[] = {
        {"99.999.999/9999-99", "12345678000195", "12.345.678/0001-95"},
        {"999.999.999-99", "12345678901", "123.456.789-01"},
        // Literals already in place are kept as they are.
        {"999.999.999-99", "123.456.789-01", "123.456.789-01"},
        // Shorter: the rest stays blank, literals still shown.
        {"999.999.999-99", "1234", "123.4__.___-__"},
        {"999.999.999-99;0; ", "1234", "123.4  .   -  "},
        // Longer: what does not fit is dropped.
        {"999.999.999-99", "1234567890123", "123.456.789-01"},
        {"99;0; ", "123", "12"},
        // Shown as stored, even where the mask would not let it be typed.
        {"99.99", "ab", "ab.__"},
        {"", "anything", "anything"},
        {"999.999.999-99", "", "___.___.___-__"},
    };
    for (const auto &t : cases)
        EXPECT_EQ(FormatMaskText(t.mask, t.raw), t.shown) << t.mask << " <- " << t.raw;
}

TEST(EditMask, ValueOfAnEditedText)
{
    const EditMask noLiterals("999.999.999-99;0;_");
    EXPECT_EQ(noLiterals.value("123.456.789-01"), "12345678901");
    EXPECT_EQ(noLiterals.value("123.4__.___-__"), "1234");
    const EditMask withLiterals("999.999.999-99;1;_");
    EXPECT_EQ(withLiterals.value("123.456.789-01"), "123.456.789-01");
    EXPECT_EQ(withLiterals.value("123.4__.___-__"), "123.4  .   -");
    EXPECT_EQ(withLiterals.value("___.___.___-__"), "") << "literals alone are no value";
}

TEST(EditMask, PositionKindsCaseAndEscapes)
{
    const EditMask mask(R"(>LL<ll\9-0#;1;*)");
    ASSERT_EQ(mask.maxLength(), 8);
    EXPECT_TRUE(mask.accepts(0, u'a'));
    EXPECT_EQ(mask.adjust(0, u'a'), u'A');
    EXPECT_EQ(mask.adjust(2, u'B'), u'b');
    EXPECT_TRUE(mask.isLiteral(4)) << "escaped 9 is a literal";
    EXPECT_TRUE(mask.isLiteral(5));
    EXPECT_TRUE(mask.accepts(6, u'3'));
    EXPECT_TRUE(mask.accepts(7, u'-'));
    EXPECT_FALSE(mask.accepts(6, u'-'));
    EXPECT_EQ(mask.blank(), u'*');
    EXPECT_FALSE(mask.isComplete("AB")) << "0 is required";
    EXPECT_TRUE(mask.isComplete("ABcd9-1 "));
    EXPECT_EQ(mask.qtInputMask(), R"(>AA<aa\9-9#;*)");

    const EditMask alnum("AaCc");
    EXPECT_TRUE(alnum.accepts(0, u'7'));
    EXPECT_FALSE(alnum.accepts(1, u'-'));
    EXPECT_TRUE(alnum.accepts(2, u'-'));
    EXPECT_EQ(alnum.qtInputMask(), "NnXx;_");
}
