#include "support/ScreenFixture.h"

#include <widgets/TPageControl.h>
#include <widgets/TTabSheet.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPixmap>
#include <QVariantMap>

using screentest::component;
using screentest::dataSet;
using screentest::ScreenFixture;

namespace {

// A pixel counts as different when a colour channel moved by more than this; anti-aliasing and
// hinting differences between font builds stay below it or touch few pixels.
constexpr int channelTolerance = 48;
// Share of pixels that may differ before the page counts as changed.
constexpr double differenceTolerance = 0.02;

// The test's source folder as the build names it: __FILE__ may be relative to the build folder
// (ccache rewrites paths), and the tests run elsewhere.
QDir referenceDir()
{
    return QDir(QStringLiteral(QT_TESTCASE_SOURCEDIR)).filePath(QStringLiteral("reference"));
}

double differenceRatio(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (std::abs(qRed(p[col]) - qRed(q[col])) > channelTolerance ||
                std::abs(qGreen(p[col]) - qGreen(q[col])) > channelTolerance ||
                std::abs(qBlue(p[col]) - qBlue(q[col])) > channelTolerance)
                ++differing;
        }
    }
    return static_cast<double>(differing) / (static_cast<double>(x.width()) * x.height());
}

// An item with something in every field the pages show.
void loadItem(Cli_Ngc27451::TfrmInfoPlanNeg &screen)
{
    ngc::TClientDataSet &item = dataSet(screen, "cdsItemCole");
    ngc::DataPacket packet;
    packet.fields = item.FieldDefs();
    ngc::Row row(packet.fields.size());
    const auto set = [&](const char *field, const QVariant &value) {
        row[item.FieldByName(QLatin1String(field)).Index()] = value;
    };
    set("CDTIPCOB", QStringLiteral("01"));
    set("NMTIPOCOBR", QStringLiteral("Boleto"));
    set("VRPRECUNIITM", 10.0);
    set("VRPERDESITM", 12.5);
    set("CDSEGMARCCOL", QStringLiteral("00002"));
    set("NMMARCA", QStringLiteral("Bravo"));
    set("CDFORMPGTO", QStringLiteral("03"));
    set("NMFORMPGTO", QStringLiteral("Trinta dias"));
    set("IDTPFOPGTCOL", QStringLiteral("V"));
    set("IDUTDIAPGCOL", QStringLiteral("E"));
    set("IDTIPFREITM", QStringLiteral("F"));
    set("DTINIVALITM", QDateTime(QDate(2026, 12, 1), QTime(0, 0)));
    set("DTFINVALITM", QDateTime(QDate(2026, 12, 31), QTime(0, 0)));
    set("VRFRETEFORN", 1234.5);
    packet.rows.append(row);
    item.SetData(packet);

    ngc::TClientDataSet &terms = dataSet(screen, "cdsPzoPgtItmCol");
    ngc::DataPacket instalments;
    instalments.fields = terms.FieldDefs();
    for (const auto &[days, share] : {std::pair{30.0, 50.0}, {60.0, 50.0}}) {
        ngc::Row r(instalments.fields.size());
        r[7] = days;
        r[8] = share;
        instalments.rows.append(r);
    }
    terms.SetData(instalments);

    const auto load = [](ngc::TClientDataSet &dataSet, const QList<QVariantMap> &records) {
        ngc::DataPacket taxes;
        taxes.fields = dataSet.FieldDefs();
        for (const QVariantMap &record : records) {
            ngc::Row r(taxes.fields.size());
            for (auto it = record.cbegin(); it != record.cend(); ++it)
                r[dataSet.FieldByName(it.key()).Index()] = it.value();
            taxes.rows.append(r);
        }
        dataSet.SetData(taxes);
    };
    load(dataSet(screen, "cdsImpColet"),
         {{{"NMIMPOSTO", QStringLiteral("ICMS")}, {"VRALIQIMPCOL", 18.0}, {"VRIMPCOLETA", 1.8}},
          {{"NMIMPOSTO", QStringLiteral("IPI")}, {"VRALIQIMPCOL", 5.0}, {"VRIMPCOLETA", 0.5}}});
    load(dataSet(screen, "cdsFilialImp"),
         {{{"CDFILIAL", QStringLiteral("0001")}, {"NMFILIAL", QStringLiteral("Matriz")}},
          {{"CDFILIAL", QStringLiteral("0002")}, {"NMFILIAL", QStringLiteral("Filial Norte")}}});
    load(dataSet(screen, "cdsDescImp"), {{{"NMIMPOSTO", QStringLiteral("ICMS")},
                                          {"CDFILIAP", QStringLiteral("0001")},
                                          {"VRPERCALIQUOTA", 18.0},
                                          {"VRIMPOSTO", 1.8}},
                                         {{"NMIMPOSTO", QStringLiteral("ICMS")},
                                          {"CDFILIAP", QStringLiteral("0002")},
                                          {"VRPERCALIQUOTA", 12.0},
                                          {"VRIMPOSTO", 1.2}}});
}

using ScreenshotTest = ScreenFixture;

// Each page as the user sees it, against the committed picture. NGC_UPDATE_REFERENCE=1 writes
// the pictures instead (review them before committing).
TEST_F(ScreenshotTest, EveryPageMatchesItsReference)
{
    // The pictures were drawn with the condensed DejaVu face; another face moves every caption.
    const QString face = QFontInfo(screen->font()).family();
    if (face != QLatin1String("DejaVu Sans Condensed"))
        GTEST_SKIP() << "reference pictures need DejaVu Sans Condensed; this machine draws with "
                     << face.toStdString();
    loadItem(*screen);
    screen->show();
    QApplication::processEvents();
    const bool update = qEnvironmentVariable("NGC_UPDATE_REFERENCE") == QLatin1String("1");
    const QDir dir = referenceDir();
    if (update) {
        ASSERT_TRUE(dir.mkpath(QStringLiteral(".")));
    }

    for (ngc::TTabSheet *page :
         {component<ngc::TTabSheet>(*screen, "tshDados"),
          component<ngc::TTabSheet>(*screen, "tshFormPgto"), screen->tshPadrao,
          component<ngc::TTabSheet>(*screen, "tshImpostoItem")}) {
        SCOPED_TRACE(page->objectName().toStdString());
        screen->pgcPadrao->SetActivePage(page);
        QApplication::processEvents();
        const QImage shot = screen->grab().toImage();
        const QString path = dir.filePath(page->objectName() + QStringLiteral(".png"));
        if (update) {
            ASSERT_TRUE(shot.save(path));
            continue;
        }
        const QImage reference(path);
        ASSERT_FALSE(reference.isNull())
            << "no reference " << path.toStdString() << "; run once with NGC_UPDATE_REFERENCE=1";
        ASSERT_EQ(shot.size(), reference.size());
        const double ratio = differenceRatio(shot, reference);
        EXPECT_LE(ratio, differenceTolerance) << "differing share " << ratio;
        if (ratio > differenceTolerance) {
            shot.save(QDir::temp().filePath(page->objectName() + QStringLiteral("-actual.png")));
        }
    }
    screen->hide();
}

} // namespace
