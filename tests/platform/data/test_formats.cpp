#include <data/Formats.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace ngc;

namespace {

const QLocale c = QLocale::c();
const QLocale ptBR(QLocale::Portuguese, QLocale::Brazil);

} // namespace

TEST(Formats, PictureFormatsInBothLocales)
{
    const struct {
        const char *picture;
        double value;
        const char *inC;
        const char *inPtBR;
    } cases[] = {
        {"##0.00", 0, "0.00", "0,00"},
        {"##0.00", 1.005, "1.01", "1,01"}, // half away from zero on the decimal value
        {"##0.00", 2.675, "2.68", "2,68"},
        {"##0.00", -1.005, "-1.01", "-1,01"},
        {"##0.00", 0.004, "0.00", "0,00"},
        {"##0.00", -0.004, "0.00", "0,00"}, // no negative zero
        {"##0.00", 123456.789, "123456.79", "123456,79"},
        {"#,##0.00", 1234567.891, "1,234,567.89", "1.234.567,89"},
        {"#,##0.00", 999.995, "1,000.00", "1.000,00"},
        {"#,##0.00", -1234.5, "-1,234.50", "-1.234,50"},
        {"#,##0.00", 0.5, "0.50", "0,50"},
        {"#,##0.00", 100, "100.00", "100,00"},
        {"##0.00%", 12.5, "12.50%", "12,50%"}, // no scaling
        {"##0.00%", 100, "100.00%", "100,00%"},
        {"#0.00", 7, "7.00", "7,00"},
        {"##0.00000", 3.14159265, "3.14159", "3,14159"},
        {"##0.00000", 0.000005, "0.00001", "0,00001"},
        {"#.##", 0.5, ".5", ",5"},
        {"0000", 42, "0042", "0042"},
        {"#,##0", 1e15, "1,000,000,000,000,000", "1.000.000.000.000.000"},
        {"R$ #,##0.00", 5, "R$ 5.00", "R$ 5,00"},
        {"0.00;(0.00)", -3, "(3.00)", "(3,00)"},
        {"0.00;(0.00);\"zero\"", 0, "zero", "zero"},
    };
    for (const auto &t : cases) {
        EXPECT_EQ(FormatFloat(t.picture, t.value, c), t.inC) << t.picture << " " << t.value;
        EXPECT_EQ(FormatFloat(t.picture, t.value, ptBR), t.inPtBR) << t.picture << " " << t.value;
    }
}

TEST(Formats, GeneralFormat)
{
    const struct {
        double value;
        const char *inC;
        const char *inPtBR;
    } cases[] = {
        {999, "999", "999"},
        {1000, "1000", "1000"},
        {12.5, "12.5", "12,5"},
        {0, "0", "0"},
        {-0.5, "-0.5", "-0,5"},
        {0.1 + 0.2, "0.3", "0,3"},          // 15 significant digits
        {1.0 / 3.0, "0.333333333333333", "0,333333333333333"},
        {123456789012345.0, "123456789012345", "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15", "1,23456789012346E15"},
        {0.00001, "0.00001", "0,00001"},
        {0.000001, "1E-6", "1E-6"},
        {1e20, "1E20", "1E20"},
    };
    for (const auto &t : cases) {
        EXPECT_EQ(FloatToText(t.value, c), t.inC) << t.value;
        EXPECT_EQ(FloatToText(t.value, ptBR), t.inPtBR) << t.value;
    }
}

TEST(Formats, GeneralFormatReadsBackAsTheSameNumber)
{
    for (const double value : {12.5, 0.1, 999.0, -7.25, 1e-3, 123456.789}) {
        double read = 0;
        ASSERT_TRUE(TextToFloat(FloatToText(value, ptBR), read, ptBR)) << value;
        EXPECT_EQ(read, value);
    }
}

TEST(Formats, ReadingTypedNumbers)
{
    const struct {
        const char *text;
        const QLocale &locale;
        bool ok;
        double value;
    } cases[] = {
        {"12,5", ptBR, true, 12.5},   {"1.234,5", ptBR, true, 1234.5},
        {" 7 ", ptBR, true, 7},       {"12.5", c, true, 12.5},
        {"1,234.5", c, true, 1234.5}, {"", c, false, 0},
        {"abc", c, false, 0},         {"1e999", c, false, 0},
        {"12,5", c, false, 0},
    };
    for (const auto &t : cases) {
        double value = -1;
        EXPECT_EQ(TextToFloat(t.text, value, t.locale), t.ok) << t.text;
        EXPECT_EQ(value, t.ok ? t.value : -1) << t.text;
    }
}
