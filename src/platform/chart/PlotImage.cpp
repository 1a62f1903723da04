#include "platform/chart/PlotImage.h"

#include <QBuffer>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <qcustomplot.h>

#include "platform/base/SafeSave.h"

namespace qb::platform {

namespace {

constexpr int kPngDotsPerInch = 96;

std::optional<QByteArray> pngBytes(QCustomPlot& plot, int width, int height) {
    QImage image = plot.toPixmap(width, height).toImage();
    if (image.isNull()) return std::nullopt;
    const int dotsPerMeter = static_cast<int>(kPngDotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return std::nullopt;
    return bytes;
}

// One page the size of the plot in points, drawn as vectors with the plot's own screen
// resolution, as the plot's own PDF export draws it.
std::optional<QByteArray> pdfBytes(QCustomPlot& plot, int width, int height) {
    const int w = width > 0 ? width : plot.width();
    const int h = height > 0 ? height : plot.height();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(plot.logicalDpiX());
        pdf.setCreator(QStringLiteral("qb4160-eval"));
        pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(w, h), QPageSize::Point, QString(), QPageSize::ExactMatch),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QCPPainter painter;
        if (!painter.begin(&pdf)) return std::nullopt;
        painter.setMode(QCPPainter::pmVectorized);
        painter.setWindow(0, 0, w, h);
        plot.toPainter(&painter, w, h);
        if (!painter.end()) return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<ChartImageFormat> ImageFormatOf(const std::string& path) {
    const QString name = QString::fromStdString(path);
    if (name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) return ChartImageFormat::Png;
    if (name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return ChartImageFormat::Pdf;
    return std::nullopt;
}

Result<> SavePlotImage(QCustomPlot& plot, const std::string& path, ChartImageFormat format, int width, int height) {
    const std::optional<QByteArray> bytes =
        format == ChartImageFormat::Png ? pngBytes(plot, width, height) : pdfBytes(plot, width, height);
    if (!bytes) return Fail(format == ChartImageFormat::Png ? "the PNG image could not be made"
                                                            : "the PDF document could not be made");
    return SaveFileSafely(path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
}

} // namespace qb::platform
