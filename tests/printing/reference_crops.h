// Regions of rendered pages compared with checked-in reference crops under
// tests/printing/data/. After a deliberate change of the layout, run the
// tests once with KORVALEN_UPDATE_REFERENCE_CROPS=1 to write new crops,
// look at them, and commit them.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdlib>
#include <string>

namespace korvalen::printing::fixtures {

inline QString ReferencePath(const std::string& name) {
    return QString::fromUtf8(KORVALEN_SOURCE_DIR "/tests/printing/data/") + QString::fromStdString(name) +
           QStringLiteral(".png");
}

// Pixels whose channels differ by more than this count as different, so a
// changed grey level of an antialiased edge does not, but ink where there
// was paper does.
inline constexpr int kChannelTolerance = 64;

// The share of the region's pixels that differ; 1.0 when the sizes differ.
inline double DifferingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    long differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            if (std::abs(qRed(p[column]) - qRed(q[column])) > kChannelTolerance ||
                std::abs(qGreen(p[column]) - qGreen(q[column])) > kChannelTolerance ||
                std::abs(qBlue(p[column]) - qBlue(q[column])) > kChannelTolerance) {
                ++differing;
            }
        }
    }
    return static_cast<double>(differing) / (static_cast<double>(x.width()) * x.height());
}

// Expects `region` of `page` to look like the reference crop `name`; at
// most `allowed` of its pixels may differ (glyph rasterising may vary a
// little between font library versions; a moved line or a lost shade
// changes far more).
inline void ExpectLikeReference(const QImage& page, const QRect& region, const std::string& name,
                                double allowed = 0.002) {
    const QImage crop = page.copy(region);
    if (std::getenv("KORVALEN_UPDATE_REFERENCE_CROPS")) {
        ASSERT_TRUE(crop.save(ReferencePath(name))) << name;
        return;
    }
    const QImage reference(ReferencePath(name));
    ASSERT_FALSE(reference.isNull()) << "missing reference crop " << name;
    const double share = DifferingShare(crop, reference);
    if (share > allowed) {
        const QString seen =
            QStringLiteral("%1/%2-seen.png").arg(QString::fromUtf8(KORVALEN_BIN_DIR), QString::fromStdString(name));
        crop.save(seen);
        ADD_FAILURE() << name << ": " << share * 100 << " % of the pixels differ; what was drawn is in "
                      << seen.toStdString();
    }
}

}  // namespace korvalen::printing::fixtures
