#include <services/HostContext.h>
#include <services/Routines.h>

#include <data/TClientDataSet.h>
#include <data/TField.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include "printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace ngc;

TEST(Routines, EmptyStringIsTrueOnlyForBlankTexts)
{
    EXPECT_TRUE(EmptyString(QString()));
    EXPECT_TRUE(EmptyString(QStringLiteral("")));
    EXPECT_TRUE(EmptyString(QStringLiteral("   ")));
    EXPECT_TRUE(EmptyString(QStringLiteral(" \t ")));
    EXPECT_FALSE(EmptyString(QStringLiteral(" 0 ")));
    EXPECT_FALSE(EmptyString(QStringLiteral("[]")));
}

TEST(Routines, AjustaBringsDigitCodesToTheirStoredWidth)
{
    struct Case {
        const char *text;
        int width;
        const char *expected;
    };
    // A code with more significant digits than the width is not cut into another code.
    const Case cases[] = {
        {"7", 2, "07"},   {"07", 2, "07"},   {" 7 ", 2, "07"},      {"123", 5, "00123"},
        {"007", 2, "07"}, {"0000", 2, "00"}, {"12345", 5, "12345"}, {"123", 2, "123"},
        {"A", 2, "A"},    {" 1A ", 3, "1A"}, {"", 2, ""},           {"   ", 2, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Ajusta(QString::fromUtf8(c.text), c.width), QString::fromUtf8(c.expected))
            << c.text << " to width " << c.width;
    }
}

TEST(Routines, RoundDecRoundsHalfAwayFromZeroOnTheDecimalValue)
{
    struct Case {
        double value;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {1.005, 2, 1.01},     {2.675, 2, 2.68},     {-1.005, 2, -1.01},
        {1.004, 2, 1.0},      {0.125, 2, 0.13},     {-0.125, 2, -0.13},
        {1.0049999, 2, 1.0},  {9.995, 2, 10.0},     {99.5, 0, 100.0},
        {0.5, 0, 1.0},        {0.4, 0, 0.0},        {0.05, 0, 0.0},
        {1234.5, -2, 1200.0}, {1250.0, -2, 1300.0}, {12.5, 5, 12.5},
        {1e-7, 2, 0.0},       {0.0, 2, 0.0},        {123456789.125, 2, 123456789.13},
        {1e20, 2, 1e20},      {0.285, 2, 0.29},     {1.45, 1, 1.5},
        {8.325, 2, 8.33},
    };
    for (const Case &c : cases)
        EXPECT_EQ(RoundDec(c.value, c.decimals), c.expected) << c.value << " to " << c.decimals;

    EXPECT_TRUE(std::isnan(RoundDec(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_EQ(RoundDec(std::numeric_limits<double>::infinity(), 2),
              std::numeric_limits<double>::infinity());
}

namespace {

struct KeyCase {
    const char *text;
    int intDigits;
    int decDigits;
    char16_t key;
    int selStart;
    int selLength;
    bool accepted;
};

void runKeyCases(const QList<KeyCase> &cases)
{
    for (const KeyCase &c : cases) {
        QChar key(c.key);
        MaxNumber(QString::fromUtf8(c.text), c.intDigits, c.decDigits, key, c.selStart,
                  c.selLength);
        EXPECT_EQ(!key.isNull(), c.accepted)
            << "text '" << c.text << "' key '" << QString(QChar(c.key)).toStdString() << "' at "
            << c.selStart << "+" << c.selLength;
        if (c.accepted) {
            EXPECT_EQ(key, QChar(c.key));
        }
    }
}

} // namespace

TEST(Routines, MaxNumberRefusesKeysThatExceedTheDigitLimits)
{
    // The percentage edit: three integer digits and two decimals, decimal point '.'.
    runKeyCases({
        {"", 3, 2, u'1', 0, 0, true},
        {"12", 3, 2, u'3', 2, 0, true},
        {"123", 3, 2, u'4', 3, 0, false}, // a fourth integer digit
        {"123", 3, 2, u'4', 0, 0, false}, // also in front
        {"123", 3, 2, u'4', 1, 1, true},  // replaces a selected digit
        {"123", 3, 2, u'4', 0, 3, true},  // replaces everything
        {"123", 3, 2, u'.', 3, 0, true},
        {"12.5", 3, 2, u'6', 4, 0, true},
        {"12.56", 3, 2, u'7', 5, 0, false}, // a third decimal
        {"12.56", 3, 2, u'7', 4, 1, true},  // replaces the last decimal
        {"12.56", 3, 2, u'7', 0, 0, true},  // an integer digit is still free
        {"123.56", 3, 2, u'7', 0, 0, false},
        {"12.5", 3, 2, u'.', 4, 0, false},  // a second separator
        {"12.5", 3, 2, u'.', 2, 1, true},   // replaces the separator itself
        {"12345", 5, 2, u'.', 2, 0, false}, // would leave three decimals
        {"12345", 5, 2, u'.', 3, 0, true},
        {"1", 3, 0, u'.', 1, 0, false},    // no decimals allowed at all
        {"123", 3, 2, u'\b', 3, 0, true},  // control keys pass
        {"123", 3, 2, u'x', 3, 0, true},   // not a digit: the edit's own business
        {"123", 3, 2, u'4', 10, 5, false}, // caret beyond the text is clamped
        {"1234567890", 10, 5, u'1', 10, 0, false},
        {"1234567890.1234", 10, 5, u'5', 15, 0, true},
        {"1234567890.12345", 10, 5, u'6', 16, 0, false},
    });
}

TEST(Routines, MaxNumberUsesTheLocaleDecimalSeparator)
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    runKeyCases({
        {"12,5", 3, 2, u'6', 4, 0, true},
        {"12,56", 3, 2, u'7', 5, 0, false},
        {"12,5", 3, 2, u',', 4, 0, false},
        {"123", 3, 2, u',', 3, 0, true},
        {"123", 3, 2, u'.', 3, 0, true}, // a group separator adds no digit
    });
    QLocale::setDefault(QLocale::c());

    QChar nullKey;
    MaxNumber(QStringLiteral("999"), 3, 2, nullKey, 3, 0);
    EXPECT_TRUE(nullKey.isNull());
}

TEST(Routines, NomeSemanaNamesEveryWeekDay)
{
    // 6 December 2026 is a Sunday.
    const QStringList names{QStringLiteral("Domingo"), QStringLiteral("Segunda"),
                            QStringLiteral("Terça"),   QStringLiteral("Quarta"),
                            QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
                            QStringLiteral("Sábado")};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(NomeSemana(QDate(2026, 12, 6).addDays(i)), names.at(i));
    EXPECT_EQ(NomeSemana(QDate(2026, 12, 6)).left(3), QStringLiteral("Dom"));
    EXPECT_EQ(NomeSemana(QDate(2026, 12, 12)).left(3), QStringLiteral("Sáb"));
    EXPECT_EQ(NomeSemana(QDate()), QString());
}

TEST(Routines, PictPessMasksLayRegistrationNumbers)
{
    struct Case {
        const char *type;
        const char *raw;
        const char *shown;
    };
    const Case cases[] = {
        {"J", "12345678000195", "12.345.678/0001-95"},
        {"j", "12345678000195", "12.345.678/0001-95"},
        {"F", "12345678909", "123.456.789-09"},
        {" F ", "12345678909", "123.456.789-09"},
        {"E", "12345", "12345"},
        {"", "12345", "12345"},
    };
    for (const Case &c : cases) {
        const QString mask = PictPess(QString::fromUtf8(c.type));
        const QString raw = QString::fromUtf8(c.raw);
        const QString shown = mask.isEmpty() ? raw : FormatMaskText(mask, raw);
        EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << "type '" << c.type << "'";
    }
    EXPECT_EQ(PictPess(QStringLiteral("J")), QStringLiteral("99.999.999/9999-99;0;_"));
    EXPECT_EQ(PictPess(QStringLiteral("F")), QStringLiteral("999.999.999-99;0;_"));
    EXPECT_EQ(PictPess(QStringLiteral("X")), QString());
}

TEST(Routines, SetaCampoNullNullsOnlyEmptyValues)
{
    TClientDataSet ds(QStringLiteral("cdsItem"));
    ds.AddField({QStringLiteral("CDCODE"), FieldType::String, 4});
    ds.AddField({QStringLiteral("NMNAME"), FieldType::String, 20});
    ds.AddField({QStringLiteral("VRVALUE"), FieldType::Float});
    ds.AddField({QStringLiteral("QTZERO"), FieldType::Integer});
    DataPacket packet;
    packet.fields = ds.FieldDefs();
    packet.rows.append(Row{QStringLiteral("   "), QStringLiteral("kept"), 0.0, 0});
    ds.SetData(packet);

    ds.Edit();
    Seta_Campo_Null(ds);
    EXPECT_TRUE(ds.FieldByName(QStringLiteral("CDCODE")).IsNull());
    EXPECT_EQ(ds.FieldByName(QStringLiteral("NMNAME")).AsString(), QStringLiteral("kept"));
    EXPECT_FALSE(ds.FieldByName(QStringLiteral("VRVALUE")).IsNull()); // zero is a value
    EXPECT_FALSE(ds.FieldByName(QStringLiteral("QTZERO")).IsNull());
    ds.Post();
    EXPECT_TRUE(ds.FieldByName(QStringLiteral("CDCODE")).IsNull());

    // Browsing with nothing to change: nothing to write, no error.
    EXPECT_NO_THROW(Seta_Campo_Null(ds));
}

TEST(Routines, SetChildEnabledReachesNestedControls)
{
    QWidget window;
    auto *group = new QGroupBox(&window);
    auto *inner = new QWidget(group);
    auto *edit = new QLineEdit(inner);
    auto *check = new QCheckBox(group);
    auto *outside = new QLineEdit(&window);
    auto *shown = new QLineEdit(inner);
    inner->setEnabled(false); // a control disabled on its own is enabled with its container
    SetDisplayOnly(shown);
    EXPECT_FALSE(shown->isEnabled());

    SetChildEnabled(group, true);
    EXPECT_TRUE(group->isEnabled());
    EXPECT_TRUE(inner->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_FALSE(shown->isEnabled()); // display-only stays out of reach

    SetChildEnabled(group, false);
    for (QWidget *w : {static_cast<QWidget *>(group), inner, static_cast<QWidget *>(edit),
                       static_cast<QWidget *>(check)})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_TRUE(outside->isEnabled());
    SetChildEnabled(nullptr, true);
}

TEST(Routines, HostRoutinesReadTheContextAtEveryCall)
{
    HostContext &context = HostContext::instance();
    const HostContext saved = context;
    context.serverHost = QStringLiteral("appserver.local");
    context.serverPort = 9123;
    context.moduleCode = 34;
    context.productPicture = QStringLiteral("9.99.999;0;_");
    EXPECT_EQ(WebURL(), QStringLiteral("appserver.local"));
    EXPECT_EQ(WebPort(), 9123);
    EXPECT_EQ(ModuloAtiv(), 34);
    EXPECT_EQ(DBPict(0), QStringLiteral("9.99.999;0;_"));
    EXPECT_EQ(DBPict(1), QString());

    context.moduleCode = 4;
    context.serverPort = 8081;
    context.serverTls = true;
    EXPECT_EQ(ModuloAtiv(), 4);
    EXPECT_EQ(WebPort(), 8081);
    EXPECT_EQ(WebURL(), QStringLiteral("https://appserver.local"));
    context = saved;
}

TEST(Routines, StrToFloatReadsTheLocaleSeparatorAndNamesBadText)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("12.5")), 12.5);
    EXPECT_EQ(StrToFloat(QStringLiteral(" 100 ")), 100.0);
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    EXPECT_EQ(StrToFloat(QStringLiteral("12,5")), 12.5);
    try {
        StrToFloat(QStringLiteral("12x"));
        ADD_FAILURE() << "no error for a text that is no number";
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("'12x'"), std::string::npos) << e.what();
    }
    EXPECT_THROW(StrToFloat(QString()), std::runtime_error);
    QLocale::setDefault(QLocale::c());
}
