// Pictures of the strip chart: PNG and PDF files (through the safe save, PlotImage.h), and the
// context menu that saves them.
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QMenu>

#include "platform/base/Messages.h"
#include "platform/widgets/QtMessages.h"
#include "platform/chart/StripChart.h"

namespace qb::platform {

Result<> StripChart::saveImage(const QString& path, ChartImageFormat format, int width, int height) {
    if (path.trimmed().isEmpty()) return Fail("No file name was given for the chart image.");
    placeEndTexts();
    return SavePlotImage(*this, path.toStdString(), format, width, height);
}

void StripChart::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* png = menu.addAction(tr("Save as PNG..."));
    QAction* pdf = menu.addAction(tr("Save as PDF..."));
    menu.addSeparator();
    QAction* full = menu.addAction(tr("Full range"));
    full->setEnabled(userView_);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == png) saveFromMenu(ChartImageFormat::Png);
    else if (chosen == pdf) saveFromMenu(ChartImageFormat::Pdf);
    else if (chosen == full) showFullRange();
}

void StripChart::saveFromMenu(ChartImageFormat format) {
    const bool png = format == ChartImageFormat::Png;
    QString base = title_ ? title_->text().trimmed() : QString();
    if (base.isEmpty()) base = QStringLiteral("Chart");
    QFileDialog dialog(this, png ? tr("Save chart as PNG") : tr("Save chart as PDF"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(png ? tr("PNG images (*.png)") : tr("PDF documents (*.pdf)"));
    dialog.setDefaultSuffix(png ? QStringLiteral("png") : QStringLiteral("pdf"));
    dialog.selectFile(base + (png ? QStringLiteral(".png") : QStringLiteral(".pdf")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().first();
    const Result<> saved = saveImage(path, format);
    if (saved.ok()) return;
    const std::string message =
        "The chart could not be written to " + QDir::toNativeSeparators(path).toStdString() + ": " + saved.error() + ".";
    if (messages_) {
        messages_->exclamation(message);
    } else {
        QtMessages boxes;
        boxes.exclamation(message);
    }
}

} // namespace qb::platform
